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
    const std::string_view bytes = input.empty() ? input : input.substr(1);
    const fuzz::RunFiles f = fuzz::LayOut(input, "FF.txt", "202406_carte.csv");

    const fuzz::Outcome o = fuzz::CheckRun(f.out, [&] { return tools::ExportCsv(f.source, f.out); });
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
