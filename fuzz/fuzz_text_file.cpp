// The whole-file loader: LoadLines, TextLines (on the file and on its bytes), ReadFirstLine and HasLines agree with
// decoding the whole file and cutting its text at CR LF, LF and CR.
#include "FuzzSupport.h"
#include "core/Cp932.h"
#include "core/TextFile.h"

using namespace plok;

namespace {

/// The file: the input after its first byte, with filler of 'x' after any byte-order mark when the first byte asks
/// for it (0xC0 and above), so that lines cross the chunks ReadFirstLine reads (4 KiB, then 8 KiB, ...). The first byte
/// also gives the limit for ReadFirstLine.
std::string FileBytes(std::string_view input, std::size_t& limit)
{
    const auto mode = input.empty() ? 0u : static_cast<unsigned char>(input[0]);
    std::string bytes(input.empty() ? input : input.substr(1));
    limit = mode & 0x3F;
    if (mode < 0xC0)
        return bytes;
    const std::size_t base = mode & 0x20 ? 12288 : 4096;
    const TextEncoding encoding = DetectEncoding(bytes);
    const std::size_t bom = encoding == TextEncoding::Cp932 ? 0 : encoding == TextEncoding::Utf8 ? 3 : 2;
    limit = base - 16 + (mode & 0x1F);
    bytes.insert(bom, limit & ~std::size_t(1), 'x');
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::size_t limit = 0;
    const std::string bytes = FileBytes(fuzz::AsBytes(data, size), limit);
    const fuzz::fs::path file = fuzz::Scratch::Fresh("text") / "in.txt";
    fuzz::WriteFile(file, bytes);

    const std::vector<Line> expected = SplitLines(DecodeText(bytes));
    FUZZ_CHECK(LoadLines(file) == expected);

    TextLines fromFile(file);
    TextLines fromBytes(bytes);
    FUZZ_CHECK(fromFile.encoding() == DetectEncoding(bytes) && fromBytes.encoding() == fromFile.encoding());
    Line a;
    Line b;
    std::size_t i = 0;
    for (; fromFile.Next(a); ++i) {
        FUZZ_CHECK(i < expected.size() && a == expected[i]);
        FUZZ_CHECK(fromBytes.Next(b) && b == a && fromBytes.raw() == fromFile.raw());
        if (fromFile.encoding() == TextEncoding::Cp932)
            FUZZ_CHECK(cp932::Decode(fromFile.raw()) == a);
        FUZZ_CHECK(fromFile.lineEnded() || i + 1 == expected.size());
    }
    FUZZ_CHECK(i == expected.size() && !fromBytes.Next(b));

    const std::optional<Line> first = ReadFirstLine(file);
    FUZZ_CHECK(first.has_value() == !expected.empty());
    if (first)
        FUZZ_CHECK(*first == expected[0]);
    FUZZ_CHECK(HasLines(file) == !expected.empty());

    // With a limit, the first line of the bytes up to it.
    TextLines prefix(bytes.substr(0, limit));
    Line cut;
    const bool hasCut = prefix.Next(cut);
    const std::optional<Line> limited = ReadFirstLine(file, limit);
    FUZZ_CHECK(limited.has_value() == hasCut);
    if (limited)
        FUZZ_CHECK(*limited == cut);
    return 0;
}
