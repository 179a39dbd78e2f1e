// The chart-linkage conversion of an FF file. Beyond what every run promises: the output is the header and lines of
// exactly eleven values, at most one per source line after the first.
#include "FuzzSupport.h"
#include "core/Cp932.h"
#include "core/TextFile.h"
#include "tools/ChartLink.h"

#include <algorithm>

using namespace plok;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Bit 0 of the first byte puts the output into the source's folder (fuzz::LayOut).
    const std::string_view input = fuzz::AsBytes(data, size);
    const std::string_view bytes = input.empty() ? input : input.substr(1);
    const fuzz::RunFiles f = fuzz::LayOut(input, "FF.txt", "202406_carte.csv");

    const fuzz::Outcome o = fuzz::CheckRun(f.out, [&] { return tools::ConvertToCarte(f.source, f.out); });
    if (!o.result || !o.result->Done())
        return 0;

    static const std::string kHeader = cp932::Encode(tools::kCarteHeader);
    const std::vector<std::string> lines = fuzz::CrLfLines(o.fileBytes);
    FUZZ_CHECK(!lines.empty() && lines[0] == kHeader);
    FUZZ_CHECK(lines.size() <= std::max<std::size_t>(SplitLines(DecodeText(bytes)).size(), 1));
    for (std::size_t i = 1; i < lines.size(); ++i)
        FUZZ_CHECK(std::count(lines[i].begin(), lines[i].end(), ',') == 10);
    return 0;
}
