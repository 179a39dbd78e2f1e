// GetCommaTxt and ByteFieldSplitter: the byte splitter cuts where the text splitter cuts, and its fields decode to
// the text splitter's fields of the decoded line.
#include "FuzzSupport.h"
#include "core/CommaText.h"
#include "core/Cp932.h"

using namespace plok;

using cp932::IsLeadByte;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view line = fuzz::AsBytes(data, size);

    std::vector<std::string> raw(1); // the bytes between the commas, quotes kept
    for (char c : line) {
        if (c == ',')
            raw.emplace_back();
        else
            raw.back() += c;
    }

    static ByteFieldSplitter splitter;
    // A splitter that held another line before must not carry anything over.
    splitter.Split("\"x\",y");
    const std::vector<std::string_view>& fields = splitter.Split(line);
    FUZZ_CHECK(fields.size() == raw.size());

    FieldList text {u"kept"};
    FUZZ_CHECK(GetCommaTxt(cp932::Decode(line), text));
    FUZZ_CHECK(text.size() == raw.size() + 1 && text[0] == u"kept");

    for (std::size_t i = 0; i < raw.size(); ++i) {
        std::string dequoted;
        std::u16string pieces; // the runs between quotes, each decoded on its own
        std::size_t run = 0;
        bool leadBeforeQuote = false;
        for (std::size_t k = 0; k <= raw[i].size(); ++k) {
            if (k < raw[i].size() && raw[i][k] != '"') {
                dequoted += raw[i][k];
                continue;
            }
            pieces += cp932::Decode(std::string_view(raw[i]).substr(run, k - run));
            run = k + 1;
            if (k < raw[i].size() && k > 0 && IsLeadByte(static_cast<unsigned char>(raw[i][k - 1])))
                leadBeforeQuote = true;
        }
        FUZZ_CHECK(fields[i] == dequoted);
        FUZZ_CHECK(text[i + 1] == pieces);
        // Dropping a quote can bring a lone lead byte next to a byte it then pairs with, where the text keeps the
        // lead as an escape; nothing else may make the decoded byte field differ.
        FUZZ_CHECK(cp932::Decode(fields[i]) == text[i + 1] || leadBeforeQuote);
    }
    return 0;
}
