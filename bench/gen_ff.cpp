// plok-gen-ff: synthetic FF files (tab-separated health-check results) for timing the chart-linkage conversion.

#include "core/Cp932.h"
#include "testsupport/Rng.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace {

using plok::testsupport::Rng;

constexpr const char* kUsage = "usage: plok-gen-ff --lines N [--seed S] OUT\n";
constexpr int kFields = 60;

std::vector<std::string> Encoded(std::initializer_list<std::u16string_view> texts)
{
    std::vector<std::string> list;
    for (auto t : texts)
        list.push_back(plok::cp932::Encode(t));
    return list;
}

void AppendNumber(std::string& out, std::uint64_t v)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

/// A value in tenths, written with one decimal ("172.4").
void AppendTenths(std::string& out, std::uint64_t tenths)
{
    AppendNumber(out, tenths / 10);
    out += '.';
    out += static_cast<char>('0' + tenths % 10);
}

void AppendPadded(std::string& out, std::uint64_t v, int width)
{
    std::string digits;
    AppendNumber(digits, v);
    if (static_cast<int>(digits.size()) < width)
        out.append(static_cast<std::size_t>(width) - digits.size(), '0');
    out += digits;
}

void AppendHeader(std::string& out)
{
    const auto named
        = Encoded({u"受診者番号", u"氏名", u"カナ氏名", u"受診年月", u"生年月日", u"郵便番号", u"身長", u"体重"});
    for (int i = 0; i < kFields; ++i) {
        if (i > 0)
            out += '\t';
        if (static_cast<std::size_t>(i) < named.size()) {
            out += named[static_cast<std::size_t>(i)];
        } else {
            out += plok::cp932::Encode(u"項目");
            AppendNumber(out, static_cast<std::uint64_t>(i));
        }
    }
    out += "\r\n";
}

void AppendRecord(std::string& out, Rng& rng, std::uint64_t line, std::vector<std::string>& issued)
{
    static const auto family = Encoded({u"山田", u"佐藤", u"鈴木", u"高橋", u"田中", u"伊藤", u"渡辺", u"中村", u"小林",
        u"加藤", u"吉田", u"山本", u"長谷川", u"髙橋", u"山﨑"});
    static const auto given = Encoded(
        {u"太郎", u"花子", u"一郎", u"恵子", u"健太", u"美咲", u"大輔", u"陽子", u"誠", u"由美", u"蓮", u"結衣"});
    static const auto kana = Encoded({u"ﾔﾏﾀﾞ ﾀﾛｳ", u"ｻﾄｳ ﾊﾅｺ", u"ｽｽﾞｷ ｲﾁﾛｳ", u"ﾀｶﾊｼ ｹｲｺ"});
    static const std::string wideBlank = plok::cp932::Encode(u"　");

    // Chart number: mostly a new zero-padded number, some repeats of an earlier one, and now and then a
    // letter-prefixed number whose repeat differs in case.
    std::string chart;
    if (!issued.empty() && rng.Percent(3)) {
        chart = issued[rng.Below(issued.size())];
        if (!chart.empty() && chart[0] >= 'a' && chart[0] <= 'z')
            chart[0] = static_cast<char>(chart[0] - 'a' + 'A');
    } else if (rng.Percent(1)) {
        chart += static_cast<char>('a' + rng.Below(26));
        AppendNumber(chart, line);
        issued.push_back(chart);
    } else {
        AppendPadded(chart, line, 6);
        issued.push_back(chart);
    }

    for (int i = 0; i < kFields; ++i) {
        if (i > 0)
            out += '\t';
        switch (i) {
        case 0:
            out += chart;
            break;
        case 1:
            out += family[rng.Below(family.size())];
            out += rng.Percent(50) ? wideBlank : std::string(" ");
            out += given[rng.Below(given.size())];
            break;
        case 2:
            out += kana[rng.Below(kana.size())];
            break;
        case 3:
            out += "202406";
            break;
        case 4:
            AppendNumber(out, rng.Between(1940, 2005) * 10000 + rng.Between(1, 12) * 100 + rng.Between(1, 28));
            break;
        case 5:
            AppendPadded(out, rng.Between(10'000, 9'999'999), 7);
            break;
        case 6:
            AppendTenths(out, rng.Between(1500, 1900));
            break;
        case 7:
            AppendTenths(out, rng.Between(400, 1000));
            break;
        case 22:
            if (rng.Percent(10))
                AppendNumber(out, rng.Between(5, 7));
            else
                AppendTenths(out, rng.Between(50, 75));
            break;
        case 31:
            if (rng.Percent(3))
                out += "999";
            else
                AppendNumber(out, rng.Between(100, 160));
            break;
        case 32:
            AppendNumber(out, rng.Between(60, 100));
            break;
        case 37:
            if (rng.Percent(30))
                AppendTenths(out, rng.Between(800, 2000));
            else
                AppendNumber(out, rng.Between(80, 200));
            break;
        case 52:
            AppendTenths(out, rng.Between(30, 80));
            break;
        default:
            if (rng.Percent(70))
                AppendNumber(out, rng.Between(0, 300));
            break;
        }
    }
    out += "\r\n";
}

int Usage(const char* message)
{
    std::fprintf(stderr, "plok-gen-ff: %s\n%s", message, kUsage);
    return 2;
}

bool ParseCount(std::string_view s, std::uint64_t& out)
{
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

} // namespace

int main(int argc, char** argv)
{
    std::uint64_t lines = 0;
    std::uint64_t seed = 1;
    const char* outPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == "--lines") {
            const char* v = value();
            if (v == nullptr || !ParseCount(v, lines) || lines == 0)
                return Usage("--lines takes a positive number");
        } else if (arg == "--seed") {
            const char* v = value();
            if (v == nullptr || !ParseCount(v, seed))
                return Usage("--seed takes a number");
        } else if (arg.starts_with("--") || outPath != nullptr) {
            return Usage(("unexpected argument: " + std::string(arg)).c_str());
        } else {
            outPath = argv[i];
        }
    }
    if (lines == 0 || outPath == nullptr)
        return Usage("--lines and OUT are required");

    std::FILE* f = std::fopen(outPath, "wb");
    if (f == nullptr) {
        std::fprintf(stderr, "plok-gen-ff: cannot create %s: %s\n", outPath, std::strerror(errno));
        return 1;
    }
    Rng rng(seed);
    std::vector<std::string> issued;
    std::string chunk;
    std::uint64_t bytes = 0;
    bool ok = true;
    AppendHeader(chunk);
    for (std::uint64_t line = 1; line < lines && ok; ++line) {
        AppendRecord(chunk, rng, line, issued);
        if (chunk.size() >= (1u << 20) || line + 1 == lines) {
            ok = std::fwrite(chunk.data(), 1, chunk.size(), f) == chunk.size();
            bytes += chunk.size();
            chunk.clear();
        }
    }
    if (ok && !chunk.empty()) {
        ok = std::fwrite(chunk.data(), 1, chunk.size(), f) == chunk.size();
        bytes += chunk.size();
    }
    if (std::fclose(f) != 0 || !ok) {
        std::fprintf(stderr, "plok-gen-ff: cannot write %s: %s\n", outPath, std::strerror(errno));
        return 1;
    }
    std::fprintf(stderr, "%s: %llu lines, %llu bytes\n", outPath, static_cast<unsigned long long>(lines),
        static_cast<unsigned long long>(bytes));
    return 0;
}
