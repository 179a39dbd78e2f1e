// The line reader on a file: its lines are those of the plain reference splitter (LF ends a line, every CR goes,
// 0x1A ends the file), and the CR LF view it offers is the line's own bytes. A reader that refuses lone CRs gives
// the same lines up to the first, and then fails naming its line.
#include "FuzzSupport.h"
#include "core/LineReader.h"

using namespace plok;

namespace {

constexpr std::size_t kReaderBuffer = std::size_t(1) << 16;

/// Inputs starting with a byte of 0xC0 or above are moved near the reader's buffer boundary: a first line of 'x'
/// ending in LF comes before the rest of the input, so that the boundary falls at a byte of the rest that the first
/// byte picks (or, for the longest filler, inside the first line itself).
std::string FileBytes(std::string_view input)
{
    if (input.empty() || static_cast<unsigned char>(input[0]) < 0xC0)
        return std::string(input);
    const std::size_t fill = kReaderBuffer - 48 + (static_cast<unsigned char>(input[0]) & 0x3F);
    std::string bytes(fill - 1, 'x');
    bytes += '\n';
    bytes += input.substr(1);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes = FileBytes(fuzz::AsBytes(data, size));
    const fuzz::fs::path file = fuzz::Scratch::Fresh("lines") / "in.txt";
    fuzz::WriteFile(file, bytes);
    const std::vector<std::string> expected = fuzz::ReferenceLines(bytes);
    // Each line's bytes in the file with its CRs, and whether an LF ended it.
    std::vector<std::pair<std::string_view, bool>> segments;
    for (std::string_view rest = std::string_view(bytes).substr(0, bytes.find('\x1a')); !rest.empty();) {
        const std::size_t lf = rest.find('\n');
        segments.emplace_back(rest.substr(0, lf), lf != rest.npos);
        rest.remove_prefix(lf == rest.npos ? rest.size() : lf + 1);
    }
    FUZZ_CHECK(segments.size() == expected.size());

    LineReader views(file);
    LineReader copies(file);
    std::string_view view;
    std::string copy;
    std::size_t i = 0;
    for (; views.Next(view); ++i) {
        FUZZ_CHECK(i < expected.size());
        FUZZ_CHECK(view == expected[i]);
        if (const std::string_view raw = views.LastLineWithCrLf(view); !raw.empty()) {
            FUZZ_CHECK(raw.size() == view.size() + 2 && raw.starts_with(view) && raw.ends_with("\r\n"));
            FUZZ_CHECK(segments[i].second && segments[i].first.size() == view.size() + 1);
            FUZZ_CHECK(segments[i].first.back() == '\r');
        }
        FUZZ_CHECK(copies.Next(copy) && copy == expected[i]);
    }
    FUZZ_CHECK(i == expected.size());
    FUZZ_CHECK(!copies.Next(copy) && copy.empty());
    FUZZ_CHECK(!views.Next(view));

    const std::uint64_t loneCr = fuzz::LoneCrLine(bytes);
    LineReader refusing(file, LoneCr::Refuse);
    std::size_t read = 0;
    try {
        for (; refusing.Next(view); ++read)
            FUZZ_CHECK(read < expected.size() && view == expected[read]);
        FUZZ_CHECK(loneCr == 0 && read == expected.size());
    } catch (const LoneCrError& e) {
        FUZZ_CHECK(e.line() == loneCr && read + 1 == loneCr);
    }
    return 0;
}
