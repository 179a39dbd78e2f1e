#pragma once

#include "core/CommaText.h"
#include "core/Errors.h"
#include "core/RunResult.h"
#include "core/Text.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// What the libFuzzer targets share: a property check that aborts with its text (libFuzzer then keeps the input), a
/// scratch folder, and the properties every run on files must keep.
namespace plok::fuzz {

namespace fs = std::filesystem;

[[noreturn]] inline void Fail(const char* file, int line, const char* what)
{
    std::fprintf(stderr, "%s:%d: property failed: %s\n", file, line, what);
    std::abort();
}

#define FUZZ_CHECK(cond)                                                                                               \
    do {                                                                                                               \
        if (!(cond))                                                                                                   \
            ::plok::fuzz::Fail(__FILE__, __LINE__, #cond);                                                             \
    } while (false)

inline std::string_view AsBytes(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

/// One folder for the whole process (under TMPDIR), removed at exit; Fresh(name) gives an empty subfolder.
class Scratch
{
public:
    static fs::path Fresh(const char* name)
    {
        static Scratch scratch;
        const fs::path p = scratch.m_root / name;
        fs::remove_all(p);
        fs::create_directory(p);
        return p;
    }

private:
    Scratch()
    {
        std::string tmpl = (fs::temp_directory_path() / "plok-fuzz-XXXXXX").string();
        if (!mkdtemp(tmpl.data()))
            Fail(__FILE__, __LINE__, "mkdtemp");
        m_root = tmpl;
    }
    ~Scratch()
    {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }

    fs::path m_root;
};

inline void WriteFile(const fs::path& p, std::string_view bytes)
{
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    FUZZ_CHECK(f.good());
}

inline std::string ReadFile(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    FUZZ_CHECK(f.good());
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

/// Every entry of a folder with the bytes of the files.
inline std::map<std::string, std::string> Snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> entries;
    for (const auto& e : fs::directory_iterator(folder))
        entries[e.path().filename().string()] = e.is_regular_file() ? ReadFile(e.path()) : std::string("<folder>");
    return entries;
}

/// The lines of a file by the line reader's rules, worked out the plain way: nothing from the first 0x1A on, a line
/// ends at LF, every CR is dropped, and bytes after the last LF make one more line.
inline std::vector<std::string> ReferenceLines(std::string_view bytes)
{
    bytes = bytes.substr(0, bytes.find('\x1a'));
    std::vector<std::string> lines;
    while (!bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        const std::string_view raw = bytes.substr(0, lf);
        std::string& line = lines.emplace_back();
        for (std::size_t start = 0; start <= raw.size();) {
            const std::size_t cr = std::min(raw.find('\r', start), raw.size());
            line.append(raw.substr(start, cr - start));
            start = cr + 1;
        }
        bytes.remove_prefix(lf == bytes.npos ? bytes.size() : lf + 1);
    }
    return lines;
}

/// The line (counted from 1, at LF) of the first CR that no LF follows before the end or the first 0x1A; 0 for none.
inline std::uint64_t LoneCrLine(std::string_view bytes)
{
    bytes = bytes.substr(0, bytes.find('\x1a'));
    std::uint64_t line = 1;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n')
            ++line;
        else if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))
            return line;
    }
    return 0;
}

/// A claims run refuses a file with a lone CR before it writes anything, unless it failed on an earlier line first;
/// its output never comes from such a file.
inline void CheckLoneCrRefusal(std::string_view bytes, const std::optional<RunResult>& result)
{
    if (!result)
        return;
    const std::uint64_t line = LoneCrLine(bytes);
    if (result->status == RunStatus::LoneCr)
        FUZZ_CHECK(line != 0 && result->message.starts_with(FromUtf8(std::to_string(line) + "行目")));
    if (result->Done())
        FUZZ_CHECK(line == 0);
}

/// The bytes before the first comma without double quotes: the record identifier of a claims line.
inline std::string ReferenceRecordId(std::string_view line)
{
    std::string id;
    for (char c : line.substr(0, line.find(',')))
        if (c != '"')
            id += c;
    return id;
}

/// The lines of a file the runs wrote: every line ends in CR LF and holds neither CR nor LF.
inline std::vector<std::string> CrLfLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find("\r\n");
        FUZZ_CHECK(end != bytes.npos);
        const std::string_view line = bytes.substr(0, end);
        FUZZ_CHECK(line.find_first_of("\r\n") == line.npos);
        lines.emplace_back(line);
        bytes.remove_prefix(end + 2);
    }
    return lines;
}

/// The fields of a claims line as the runs' byte splitter gives them.
inline std::vector<std::string> ByteFields(std::string_view line)
{
    ByteFieldSplitter splitter;
    const auto& fields = splitter.Split(line);
    return {fields.begin(), fields.end()};
}

/// The folders and the source file of one run.
struct RunFiles
{
    fs::path in;
    fs::path out;
    fs::path source;
};

/// Writes `bytes` as the source of a run into a fresh folder. With `sameFolder` the output goes into that folder too,
/// and the source is named `sameName`, the name the seeds' output takes, so that a run may replace its own input.
inline RunFiles LayOut(std::string_view bytes, bool sameFolder, const char* name, const char* sameName)
{
    RunFiles f;
    f.in = Scratch::Fresh("in");
    f.out = sameFolder ? f.in : Scratch::Fresh("out");
    f.source = f.in / (sameFolder ? sameName : name);
    WriteFile(f.source, bytes);
    return f;
}

/// LayOut for an input whose first byte holds the flags (bit 0: the same folder) and whose rest is the source.
inline RunFiles LayOut(std::string_view input, const char* name, const char* sameName)
{
    const bool sameFolder = !input.empty() && (input[0] & 1);
    return LayOut(input.empty() ? input : input.substr(1), sameFolder, name, sameName);
}

struct Outcome
{
    std::optional<RunResult> result; // empty when the run threw
    std::string fileBytes; // the output file's bytes when the run is Done
};

/// Runs `run` (writing into `out`) and checks what every run on files promises: it returns a RunResult or throws a
/// plok::Error, never leaves a temporary file; Done names a file it wrote and changes nothing else in `out`; a
/// refusal or a failure leaves `out` exactly as it was.
template<class Run>
Outcome CheckRun(const fs::path& out, Run run)
{
    const auto before = Snapshot(out);
    Outcome o;
    try {
        o.result = run();
    } catch (const plok::Error&) {
    } catch (const std::exception& e) {
        std::fprintf(stderr, "a run threw what is no plok::Error: %s\n", e.what());
        std::abort();
    } catch (...) {
        std::fprintf(stderr, "a run threw what is no std::exception\n");
        std::abort();
    }
    const auto after = Snapshot(out);
    // AtomicFile's temporary files are named ".plok-XXXXXX.tmp"; an output may well start with ".plok-" too.
    for (const auto& [name, bytes] : after)
        FUZZ_CHECK(
            !(name.size() == 16 && name.starts_with(".plok-") && name.ends_with(".tmp")) || before.contains(name));
    if (o.result && o.result->Done()) {
        const std::string name = ToUtf8(o.result->fileName);
        FUZZ_CHECK(!name.empty() && after.contains(name));
        for (const auto& [n, bytes] : before)
            FUZZ_CHECK(n == name || (after.contains(n) && after.at(n) == bytes));
        FUZZ_CHECK(after.size() == before.size() + (before.contains(name) ? 0 : 1));
        o.fileBytes = after.at(name);
    } else {
        FUZZ_CHECK(after == before);
        if (o.result)
            FUZZ_CHECK(!o.result->message.empty() && o.result->fileName.empty());
    }
    return o;
}

} // namespace plok::fuzz
