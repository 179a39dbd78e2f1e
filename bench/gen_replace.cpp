// Synthetic input for timing `plok-cli replace`: a file to convert and a change-definition table, both code page
// 932 with CR LF. About half of the lines carry an old value of the table in field 1, some of them in another
// letter case; the rest carry codes the table does not hold.
#include "core/Cp932.h"
#include "testsupport/Rng.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace {

constexpr const char* kUsage = "usage: plok-gen-replace --lines N --pairs P [--seed S] SOURCE DEFFILE\n";

using plok::testsupport::Rng;

bool ParseCount(std::string_view s, std::uint64_t& out)
{
    auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

int Usage(const char* message)
{
    std::fprintf(stderr, "plok-gen-replace: %s\n%s", message, kUsage);
    return 2;
}

std::string Digits(Rng& rng, int count)
{
    std::string s;
    for (int i = 0; i < count; ++i)
        s += static_cast<char>('0' + rng.Below(10));
    return s;
}

/// Ten characters of capital letters and digits, at least one letter.
std::string Alnum(Rng& rng)
{
    static constexpr std::string_view kChars = "ABCDEFGHJKLMNPQRSTUVWXYZ0123456789";
    std::string s;
    for (int i = 0; i < 10; ++i)
        s += kChars[rng.Below(i == 0 ? 24 : kChars.size())];
    return s;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

class Output
{
public:
    explicit Output(const char* path)
        : m_path(path)
        , m_file(std::fopen(path, "wb"))
    { }
    ~Output()
    {
        if (m_file)
            std::fclose(m_file);
    }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    bool opened() const { return m_file != nullptr; }
    void Line(std::string_view line)
    {
        m_buf.append(line);
        m_buf += "\r\n";
        ++m_lines;
        if (m_buf.size() >= (1u << 20))
            Flush();
    }
    /// Writes what is left and closes; false (with a message) on failure.
    bool Close()
    {
        Flush();
        const bool ok = !m_failed && std::fclose(m_file) == 0;
        m_file = nullptr;
        if (!ok)
            std::fprintf(stderr, "plok-gen-replace: cannot write %s: %s\n", m_path, std::strerror(errno));
        return ok;
    }
    std::uint64_t bytes() const { return m_bytes; }
    std::uint64_t lines() const { return m_lines; }

private:
    void Flush()
    {
        if (!m_failed && std::fwrite(m_buf.data(), 1, m_buf.size(), m_file) != m_buf.size())
            m_failed = true;
        m_bytes += m_buf.size();
        m_buf.clear();
    }

    const char* m_path;
    std::FILE* m_file;
    std::string m_buf;
    std::uint64_t m_bytes = 0;
    std::uint64_t m_lines = 0;
    bool m_failed = false;
};

} // namespace

int main(int argc, char** argv)
{
    std::uint64_t lines = 0;
    std::uint64_t pairs = 0;
    std::uint64_t seed = 1;
    std::vector<const char*> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == "--lines" || arg == "--pairs" || arg == "--seed") {
            const char* v = value();
            std::uint64_t& target = arg == "--lines" ? lines : arg == "--pairs" ? pairs : seed;
            if (v == nullptr || !ParseCount(v, target))
                return Usage((std::string(arg) + " takes a number").c_str());
        } else if (arg.starts_with("--") || paths.size() == 2) {
            return Usage(("unexpected argument: " + std::string(arg)).c_str());
        } else {
            paths.push_back(argv[i]);
        }
    }
    if (lines == 0 || pairs == 0 || paths.size() != 2)
        return Usage("--lines, --pairs, SOURCE and DEFFILE are required");

    Rng rng(seed);
    // Old values are unique so that "about half the lines hit" means what it says.
    std::vector<std::string> olds;
    olds.reserve(pairs);
    std::unordered_set<std::string> seen;
    seen.reserve(pairs);
    while (olds.size() < pairs) {
        std::string v = rng.OneIn(5) ? Alnum(rng) : Digits(rng, 10);
        if (seen.insert(v).second)
            olds.push_back(std::move(v));
    }

    Output def(paths[1]);
    if (!def.opened()) {
        std::fprintf(stderr, "plok-gen-replace: cannot create %s: %s\n", paths[1], std::strerror(errno));
        return 1;
    }
    def.Line(plok::cp932::Encode(u"変更前コード,変更後コード"));
    for (const std::string& old : olds)
        def.Line(old + "," + Digits(rng, 10));
    if (!def.Close())
        return 1;

    const std::vector<std::string> names = {
        plok::cp932::Encode(u"山田　太郎"),
        plok::cp932::Encode(u"佐藤　花子"),
        plok::cp932::Encode(u"鈴木　一郎"),
        plok::cp932::Encode(u"高橋　美咲"),
        plok::cp932::Encode(u"ﾀﾅｶ ｼﾞﾛｳ"),
    };
    const std::string note = plok::cp932::Encode(u"再診");
    Output src(paths[0]);
    if (!src.opened()) {
        std::fprintf(stderr, "plok-gen-replace: cannot create %s: %s\n", paths[0], std::strerror(errno));
        return 1;
    }
    std::uint64_t hits = 0;
    std::string line;
    for (std::uint64_t i = 0; i < lines; ++i) {
        std::string key;
        if (rng.OneIn(2)) {
            key = olds[rng.Below(olds.size())];
            if (rng.OneIn(4))
                key = Lower(std::move(key));
            ++hits;
        } else {
            // A code outside the table: one digit short of the table's width, then a letter no table code has.
            key = Digits(rng, 9) + "I";
        }
        char seq[24];
        std::snprintf(seq, sizeof seq, "%03llu", static_cast<unsigned long long>(i % 1000 + 1));
        line.clear();
        line += seq;
        line += ',';
        line += key;
        line += ',';
        line += names[rng.Below(names.size())];
        line += ',';
        line += key;
        line += ",2025060";
        line += static_cast<char>('1' + rng.Below(9));
        line += ',';
        line += std::to_string(rng.Between(100, 99999));
        line += ',';
        line += note;
        src.Line(line);
    }
    if (!src.Close())
        return 1;
    std::fprintf(stderr, "%s: %llu lines, %llu bytes, %llu with a table code in field 1\n%s: %llu pairs, %llu bytes\n",
        paths[0], static_cast<unsigned long long>(src.lines()), static_cast<unsigned long long>(src.bytes()),
        static_cast<unsigned long long>(hits), paths[1], static_cast<unsigned long long>(pairs),
        static_cast<unsigned long long>(def.bytes()));
    return 0;
}
