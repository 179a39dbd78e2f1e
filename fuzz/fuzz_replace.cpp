// The change table and the replacement run. The table: one pair per line, each old value found at the first pair
// that spells it alike. The run, beyond what every run promises: one output line per source line, and a line whose
// field 1 is no old value comes out as it was (byte for byte from a code page 932 source).
#include "FuzzSupport.h"
#include "core/CommaText.h"
#include "core/Cp932.h"
#include "core/FoldCase.h"
#include "core/TextFile.h"
#include "tools/ChangeTable.h"
#include "tools/Replace.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace plok;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider provider(data, size);
    const auto flags = provider.ConsumeIntegral<std::uint8_t>();
    // Bit 0: the output goes into the source's folder; bit 1: a source name without ".txt", whose output would then
    // replace the source.
    const bool sameFolder = flags & 1;
    const char* const name = flags & 2 ? "data.csv" : "data.txt";
    const std::string tableBytes = provider.ConsumeRandomLengthString(4096);
    const std::string bytes = provider.ConsumeRemainingBytesAsString();

    const fuzz::RunFiles f = fuzz::LayOut(bytes, sameFolder, name, name);
    fuzz::WriteFile(f.in / "def.csv", tableBytes);

    tools::ChangeTable table;
    table.Add(u"stale", u"pair");
    int lastCount = 0;
    bool loaded = true;
    try {
        const RunResult r = tools::CsvSet(f.in / "def.csv", table, [&](int n) { lastCount = n; });
        FUZZ_CHECK(r.Done() && r.message.empty());
    } catch (const ListIndexError& e) {
        FUZZ_CHECK(e.index() == 1);
        loaded = false;
    }
    FUZZ_CHECK(static_cast<std::size_t>(lastCount) == table.size());
    FUZZ_CHECK(table.mlsList().size() == table.mlsList2().size());
    if (loaded)
        FUZZ_CHECK(table.size() == fuzz::ReferenceLines(tableBytes).size());
    std::u16string folded;
    std::u16string other;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const Line& old = table.mlsList()[i];
        const int found = table.Find(old);
        FUZZ_CHECK(found >= 0 && static_cast<std::size_t>(found) <= i);
        const Line& first = table.mlsList()[static_cast<std::size_t>(found)];
        FoldCase(old, folded);
        FoldCase(first, other);
        FUZZ_CHECK(first.size() == old.size() && folded == other);
    }

    const fuzz::Outcome o = fuzz::CheckRun(f.out, [&] { return tools::Cnv(f.source, table, f.out); });
    if (!o.result || !o.result->Done())
        return 0;

    const std::vector<std::string> lines = fuzz::CrLfLines(o.fileBytes);
    TextLines src(bytes);
    Line line;
    std::size_t i = 0;
    for (; src.Next(line); ++i) {
        FUZZ_CHECK(i < lines.size());
        const FieldList fields = SplitCommaText(line);
        FUZZ_CHECK(fields.size() >= 2);
        const std::u16string_view key = TrimView<char16_t>(fields[1]);
        if (key.empty() || table.Find(key) < 0)
            FUZZ_CHECK(
                lines[i] == (src.encoding() == TextEncoding::Cp932 ? std::string(src.raw()) : cp932::Encode(line)));
    }
    FUZZ_CHECK(i == lines.size());
    return 0;
}
