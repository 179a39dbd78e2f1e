// The comma-text join and split rules: joined fields split back into the same fields, a split text joins and
// splits again to itself, and the byte join is the text join encoded.
#include "FuzzSupport.h"
#include "core/CommaText.h"
#include "core/Cp932.h"

using namespace plok;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::u16string text = cp932::Decode(fuzz::AsBytes(data, size));

    // Fields cut at U+0000, since the split rule ends a text there; any other character may stand in a field.
    FieldList fields(1);
    for (char16_t c : text) {
        if (c == u'\0')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    const std::u16string joined = JoinCommaText(fields);
    FUZZ_CHECK(SplitCommaText(joined) == fields);

    std::vector<std::string> encoded;
    for (const auto& f : fields)
        encoded.push_back(cp932::Encode(f));
    const std::vector<std::string_view> views(encoded.begin(), encoded.end());
    std::string bytes = "x,";
    AppendCommaText(bytes, views);
    FUZZ_CHECK(bytes == "x," + cp932::Encode(joined));

    const FieldList split = SplitCommaText(text);
    for (const auto& f : split)
        FUZZ_CHECK(f.find(u'\0') == std::u16string::npos);
    FUZZ_CHECK(SplitCommaText(JoinCommaText(split)) == split);
    return 0;
}
