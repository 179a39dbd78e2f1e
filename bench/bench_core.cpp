#include "claims/StrongAnonymize.h"
#include "core/CommaText.h"
#include "core/Cp932.h"
#include "core/LineReader.h"
#include "testsupport/ClaimGenerator.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

#include <benchmark/benchmark.h>

namespace {

constexpr std::size_t kCodecBytes = std::size_t {1} << 20;
constexpr std::uint64_t kReaderBytes = std::uint64_t {64} << 20;

// 38 fields, as a receipt header line of a claims file.
constexpr std::u16string_view kReLine = u"RE,1,1112,50605,山田　太郎,1,3450401,,,,,,,12345-01,,,,,,,,03,,,,,,,,,,,,,,,"
                                        u"ﾔﾏﾀﾞ ﾀﾛｳ,";

// The first MiB of a generated file, cut at a line end so no character is split.
const std::string& CodecBytes()
{
    static const std::string bytes = [] {
        plok::testsupport::ClaimOptions options;
        options.minBytes = kCodecBytes;
        std::string all;
        plok::testsupport::GenerateClaims(options, [&](std::string_view chunk) { all += chunk; });
        all.resize(all.rfind('\n', kCodecBytes) + 1);
        return all;
    }();
    return bytes;
}

void BM_GetCommaTxtUtf16(benchmark::State& state)
{
    plok::FieldList fields;
    for (auto _ : state) {
        fields.clear();
        plok::GetCommaTxt(kReLine, fields);
        benchmark::DoNotOptimize(fields.data());
    }
    if (fields.size() != 38)
        state.SkipWithError("the RE line does not split into 38 fields");
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(plok::cp932::Encode(kReLine).size()));
}
BENCHMARK(BM_GetCommaTxtUtf16);

void BM_ByteFieldSplitter(benchmark::State& state)
{
    const std::string line = plok::cp932::Encode(kReLine);
    plok::ByteFieldSplitter splitter;
    std::size_t count = 0;
    for (auto _ : state) {
        const auto& fields = splitter.Split(line);
        count = fields.size();
        benchmark::DoNotOptimize(fields.data());
    }
    if (count != 38)
        state.SkipWithError("the RE line does not split into 38 fields");
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(line.size()));
}
BENCHMARK(BM_ByteFieldSplitter);

void BM_Cp932Decode(benchmark::State& state)
{
    const std::string& bytes = CodecBytes();
    std::u16string text;
    for (auto _ : state) {
        text.clear();
        plok::cp932::DecodeAppend(bytes, text);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_Cp932Decode);

// Throughput is counted in code page 932 bytes produced, so it compares directly with decoding.
void BM_Cp932Encode(benchmark::State& state)
{
    const std::string& bytes = CodecBytes();
    const std::u16string text = plok::cp932::Decode(bytes);
    std::string out;
    for (auto _ : state) {
        out.clear();
        plok::cp932::EncodeAppend(text, out);
        benchmark::DoNotOptimize(out.data());
    }
    if (out != bytes)
        state.SkipWithError("encoding the decoded text did not give the original bytes");
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_Cp932Encode);

// One chart number's pseudonym, a different chart number each time as in a month's file (one receipt per patient): of
// five digits (as the generator's patients have), eight, ten, or with a branch number (the text form, an HMAC as every
// pseudonym was before the permutation).
void BM_ChartPseudonym(benchmark::State& state)
{
    std::vector<std::string> charts;
    for (int i = 0; i < 4096; ++i) {
        const std::int64_t kind = state.range(0);
        const std::int64_t first = kind == 1 ? 20000001 : kind == 2 ? 2000000001 : 10001;
        const std::string n = std::to_string(first + 17 * i);
        charts.push_back(kind == 3 ? n + "-01" : n);
    }
    plok::crypto::Key key {};
    key[0] = 1;
    plok::claims::ChartPseudonyms pseudonyms(key);
    std::string out;
    std::size_t i = 0;
    for (auto _ : state) {
        out.clear();
        pseudonyms.Append(charts[i++ & 4095], out);
        benchmark::DoNotOptimize(out.data());
    }
    if (out.empty())
        state.SkipWithError("no pseudonym");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ChartPseudonym)->ArgName("digits5_8_10_branch")->DenseRange(0, 3);

// The file is written on first use and removed when the program ends, so repeated runs of the benchmark (one per
// iteration-count probe) do not rewrite it.
class ClaimsFile
{
public:
    static const ClaimsFile& Get()
    {
        static const ClaimsFile file;
        return file;
    }

    ~ClaimsFile()
    {
        std::error_code ec;
        std::filesystem::remove(m_path, ec);
    }

    const std::filesystem::path& path() const { return m_path; }
    std::uint64_t size() const { return m_size; }
    bool ok() const { return m_ok; }

private:
    ClaimsFile()
        : m_path(std::filesystem::temp_directory_path() / ("plok_bench_" + std::to_string(::getpid()) + ".UKE"))
    {
        std::FILE* f = std::fopen(m_path.c_str(), "wb");
        if (f == nullptr)
            return;
        plok::testsupport::ClaimOptions options;
        options.minBytes = kReaderBytes;
        options.eof = true;
        bool written = true;
        m_size = plok::testsupport::GenerateClaims(options, [&](std::string_view chunk) {
            written = written && std::fwrite(chunk.data(), 1, chunk.size(), f) == chunk.size();
        }).bytes;
        m_ok = std::fclose(f) == 0 && written;
    }

    std::filesystem::path m_path;
    std::uint64_t m_size = 0;
    bool m_ok = false;
};

class LineReaderFixture : public benchmark::Fixture
{
public:
    void SetUp(const benchmark::State&) override { m_file = &ClaimsFile::Get(); }

protected:
    const ClaimsFile* m_file = nullptr;
};

BENCHMARK_DEFINE_F(LineReaderFixture, ReadAll)(benchmark::State& state)
{
    if (!m_file->ok()) {
        state.SkipWithError("could not write the temporary claims file");
        return;
    }
    std::int64_t lines = 0;
    for (auto _ : state) {
        plok::LineReader reader(m_file->path());
        std::string line;
        while (reader.Next(line)) {
            benchmark::DoNotOptimize(line.data());
            ++lines;
        }
    }
    state.SetItemsProcessed(lines);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(m_file->size()));
}
BENCHMARK_REGISTER_F(LineReaderFixture, ReadAll)->Unit(benchmark::kMillisecond);

// The claims runs' way through a file: runs of lines they copy, and one line at a time where they stop (here at every
// receipt line, one in about seventeen).
BENCHMARK_DEFINE_F(LineReaderFixture, TakeRuns)(benchmark::State& state)
{
    if (!m_file->ok()) {
        state.SkipWithError("could not write the temporary claims file");
        return;
    }
    std::int64_t lines = 0;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        plok::LineReader reader(m_file->path());
        const auto take = [&](std::string_view line) {
            const bool taken = !line.starts_with("RE,");
            lines += taken;
            return taken;
        };
        std::string_view run;
        std::string_view line;
        for (;;) {
            const bool refused = reader.TakeWhile(take, run, line);
            bytes += static_cast<std::int64_t>(run.size());
            if (!refused && !reader.Next(line))
                break;
            benchmark::DoNotOptimize(line.data());
            ++lines;
        }
    }
    if (bytes == 0)
        state.SkipWithError("no run was taken");
    state.SetItemsProcessed(lines);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(m_file->size()));
}
BENCHMARK_REGISTER_F(LineReaderFixture, TakeRuns)->Unit(benchmark::kMillisecond);

} // namespace
