#include "core/Cp932.h"

#include "core/tables/Cp932Table.inc"

#include <array>
#include <cstdint>
#include <memory>

namespace plok::cp932 {

namespace {

// U+FFFF is a noncharacter that no code page 932 code maps to.
constexpr char16_t kNone = 0xFFFF;

/// Both directions as flat tables, unpacked once from the generated rows: looking codes up in arrays is what makes the
/// conversion fast.
struct Tables
{
    std::array<char16_t, 256> single {}; // bytes 0x80..0xFF that are characters by themselves
    std::array<std::array<char16_t, 256>, 128> pair {}; // [lead - 0x80][trail]
    std::array<std::uint16_t, 65536> encode {}; // code unit -> code (< 0x100 single byte), 0 = none
};

unsigned TrailAt(int index)
{
    return static_cast<unsigned>(index < 0x3F ? 0x40 + index : 0x41 + index);
}

std::unique_ptr<Tables> BuildTables()
{
    auto t = std::make_unique<Tables>();
    t->single.fill(kNone);
    for (auto& row : t->pair)
        row.fill(kNone);
    for (unsigned b = 0; b < 0x80; ++b)
        t->encode[b] = static_cast<std::uint16_t>(b);

    for (unsigned b = 0x80; b < 0x100; ++b) {
        const char16_t c = detail::kSingle[b - 0x80];
        t->single[b] = c;
        if (c != kNone && t->encode[c] == 0)
            t->encode[c] = static_cast<std::uint16_t>(b);
    }
    for (unsigned lead = 0x80; lead < 0x100; ++lead) {
        if (const unsigned row = detail::kRowOf[lead - 0x80])
            for (int i = 0; i < detail::kTrails; ++i)
                t->pair[lead - 0x80][TrailAt(i)] = detail::kRows[row - 1][i];
    }
    // Among the codes of a character the first in the preferred order of lead bytes is the one Windows writes.
    for (const unsigned lead : detail::kEncodeOrder) {
        for (int i = 0; i < detail::kTrails; ++i) {
            const char16_t c = t->pair[lead - 0x80][TrailAt(i)];
            if (c != kNone && c >= 0x80 && t->encode[c] == 0)
                t->encode[c] = static_cast<std::uint16_t>((lead << 8) | TrailAt(i));
        }
    }
    for (const detail::EncodeException& e : detail::kEncodeExceptions)
        if (e.c != 0)
            t->encode[e.c] = e.code;
    return t;
}

const Tables& GetTables()
{
    static const std::unique_ptr<Tables> tables = BuildTables();
    return *tables;
}

} // namespace

void DecodeAppend(std::string_view bytes, std::u16string& out)
{
    const std::size_t n = bytes.size();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t i = 0;
    const std::size_t base = out.size();
    out.resize(base + n); // never more code units than bytes
    char16_t* o = out.data() + base;
    const Tables* t = nullptr;
    while (i < n) {
        const unsigned b = p[i];
        if (b < 0x80) {
            *o++ = static_cast<char16_t>(b);
            ++i;
            continue;
        }
        if (!t)
            t = &GetTables();
        if (IsLeadByte(b)) {
            if (i + 1 < n && IsTrailByte(p[i + 1])) {
                const unsigned trail = p[i + 1];
                const char16_t c = t->pair[b - 0x80][trail];
                if (c != kNone) {
                    *o++ = c;
                } else {
                    // An unassigned pair is still one character's worth of bytes: escape the lead and keep the
                    // trail with it, so the bytes after it are read in the same frame as before.
                    *o++ = static_cast<char16_t>(kEscapeBase + b);
                    *o++ = trail < 0x80 ? static_cast<char16_t>(trail) : static_cast<char16_t>(kEscapeBase + trail);
                }
                i += 2;
                continue;
            }
            *o++ = static_cast<char16_t>(kEscapeBase + b);
            ++i;
            continue;
        }
        const char16_t c = t->single[b];
        *o++ = c != kNone ? c : static_cast<char16_t>(kEscapeBase + b);
        ++i;
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
}

std::u16string Decode(std::string_view bytes)
{
    std::u16string out;
    DecodeAppend(bytes, out);
    return out;
}

void EncodeAppend(std::u16string_view text, std::string& out)
{
    const std::size_t n = text.size();
    const std::size_t base = out.size();
    out.resize(base + 2 * n); // never more than two bytes per code unit
    char* o = out.data() + base;
    const Tables* t = nullptr;
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t c = text[i];
        if (c < 0x80) {
            *o++ = static_cast<char>(c);
            continue;
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (IsByteEscape(c)) {
                *o++ = static_cast<char>(c - kEscapeBase);
                continue;
            }
            // A surrogate pair is one character the code page cannot hold: one "?".
            if (c <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
                ++i;
            *o++ = '?';
            continue;
        }
        if (!t)
            t = &GetTables();
        const std::uint16_t code = t->encode[c];
        if (code == 0) {
            *o++ = '?';
        } else if (code < 0x100) {
            *o++ = static_cast<char>(code);
        } else {
            *o++ = static_cast<char>(code >> 8);
            *o++ = static_cast<char>(code & 0xFF);
        }
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
}

std::string Encode(std::u16string_view text)
{
    std::string out;
    EncodeAppend(text, out);
    return out;
}

bool CanEncode(std::u16string_view text)
{
    const Tables* t = nullptr;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < 0x80)
            continue;
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (IsByteEscape(c))
                continue;
            return false;
        }
        if (!t)
            t = &GetTables();
        if (t->encode[c] == 0)
            return false;
    }
    return true;
}

} // namespace plok::cp932
