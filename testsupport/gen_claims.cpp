#include "testsupport/ClaimGenerator.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>

namespace {

constexpr const char* kUsage
    = "usage: plok-gen-claims --payer social|national (--receipts N | --size-mb M) [--seed S]\n"
      "                       [--month 50605] [--eof] [--names N] [--plant-every N] [--patients N]\n"
      "                       [--branched-charts] OUT\n";

bool ParseCount(std::string_view s, std::uint64_t& out)
{
    auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

int Usage(const char* message)
{
    std::fprintf(stderr, "plok-gen-claims: %s\n%s", message, kUsage);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    plok::testsupport::ClaimOptions options;
    bool payerGiven = false;
    bool sizeGiven = false;
    const char* outPath = nullptr;

    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == "--payer") {
            const char* v = value();
            if (v != nullptr && std::strcmp(v, "social") == 0)
                options.payer = plok::testsupport::Payer::Social;
            else if (v != nullptr && std::strcmp(v, "national") == 0)
                options.payer = plok::testsupport::Payer::National;
            else
                return Usage("--payer takes social or national");
            payerGiven = true;
        } else if (arg == "--receipts") {
            const char* v = value();
            if (v == nullptr || !ParseCount(v, options.receipts) || options.receipts == 0)
                return Usage("--receipts takes a positive number");
            sizeGiven = true;
        } else if (arg == "--size-mb") {
            const char* v = value();
            std::uint64_t mb = 0;
            if (v == nullptr || !ParseCount(v, mb) || mb == 0 || mb > (std::uint64_t {1} << 30))
                return Usage("--size-mb takes a positive number of MiB");
            options.minBytes = mb << 20;
            sizeGiven = true;
        } else if (arg == "--seed") {
            const char* v = value();
            if (v == nullptr || !ParseCount(v, options.seed))
                return Usage("--seed takes a number");
        } else if (arg == "--month") {
            const char* v = value();
            if (v == nullptr)
                return Usage("--month takes a value");
            options.month = v;
        } else if (arg == "--names") {
            const char* v = value();
            if (v == nullptr || !ParseCount(v, options.distinctNames))
                return Usage("--names takes a number");
        } else if (arg == "--plant-every") {
            const char* v = value();
            if (v == nullptr || !ParseCount(v, options.plantEvery))
                return Usage("--plant-every takes a number");
        } else if (arg == "--patients") {
            const char* v = value();
            if (v == nullptr || !ParseCount(v, options.patients))
                return Usage("--patients takes a number");
        } else if (arg == "--eof") {
            options.eof = true;
        } else if (arg == "--branched-charts") {
            options.branchedCharts = true;
        } else if (arg.starts_with("--") || outPath != nullptr) {
            return Usage(("unexpected argument: " + std::string(arg)).c_str());
        } else {
            outPath = argv[i];
        }
    }
    if (!payerGiven || outPath == nullptr)
        return Usage("--payer and OUT are required");
    if (!sizeGiven || (options.receipts != 0 && options.minBytes != 0))
        return Usage("give exactly one of --receipts and --size-mb");

    std::FILE* f = std::fopen(outPath, "wb");
    if (f == nullptr) {
        std::fprintf(stderr, "plok-gen-claims: cannot create %s: %s\n", outPath, std::strerror(errno));
        return 1;
    }
    bool writeFailed = false;
    plok::testsupport::ClaimTotals totals;
    try {
        totals = plok::testsupport::GenerateClaims(options, [&](std::string_view chunk) {
            if (!writeFailed && std::fwrite(chunk.data(), 1, chunk.size(), f) != chunk.size())
                writeFailed = true;
        });
    } catch (const std::exception& e) {
        std::fclose(f);
        std::remove(outPath);
        return Usage(e.what());
    }
    if (std::fclose(f) != 0 || writeFailed) {
        std::fprintf(stderr, "plok-gen-claims: cannot write %s: %s\n", outPath, std::strerror(errno));
        return 1;
    }
    std::fprintf(stderr, "%s: %llu receipts, %llu points, %llu bytes%s, %zu planted identifiers\n", outPath,
        static_cast<unsigned long long>(totals.receipts), static_cast<unsigned long long>(totals.points),
        static_cast<unsigned long long>(totals.bytes), totals.hasGo ? ", GO record" : "", totals.planted.size());
    return 0;
}
