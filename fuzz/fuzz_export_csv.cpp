// The plain CSV export of an FF file. Beyond what every run promises: one output line for each source line whose
// first field is not empty, each the split fields joined by commas.
#include "FuzzSupport.h"
#include "core/CommaText.h"
#include "core/Cp932.h"
#include "core/TextFile.h"
#include "tools/ChartLink.h"

using namespace plok;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input = fuzz::AsBytes(data, size);
    const bool sameFolder = !input.empty() && (input[0] & 1);
    const std::string bytes(input.empty() ? input : input.substr(1));
    const fuzz::fs::path in = fuzz::Scratch::Fresh("in");
    const fuzz::fs::path out = sameFolder ? in : fuzz::Scratch::Fresh("out");
    const fuzz::fs::path source = in / (sameFolder ? "202406_carte.csv" : "FF.txt");
    fuzz::WriteFile(source, bytes);

    const fuzz::Outcome o = fuzz::CheckRun(out, [&] { return tools::ExportCsv(source, out); });
    if (!o.result || !o.result->Done())
        return 0;

    std::vector<std::string> want;
    for (const Line& line : SplitLines(DecodeText(bytes))) {
        const FieldList fields = SplitCommaText(line);
        FUZZ_CHECK(!fields.empty());
        if (fields[0].empty())
            continue;
        std::u16string row;
        for (std::size_t i = 0; i < fields.size(); ++i)
            row += (i > 0 ? u"," : u"") + fields[i];
        want.push_back(cp932::Encode(row));
    }
    FUZZ_CHECK(fuzz::CrLfLines(o.fileBytes) == want);
    return 0;
}
