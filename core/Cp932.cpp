#include "core/Cp932.h"

#include "core/Errors.h"

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>

#include <unicode/ucnv.h>

namespace plok::cp932 {

namespace {

// U+FFFF is a noncharacter that no code page 932 code maps to.
constexpr char16_t kNone = 0xFFFF;

/// Both directions as flat tables, built once from ICU's Windows-31J converter. Looking codes up in arrays is
/// what makes the conversion fast, and it confines ICU (and its IBM conventions for control bytes) to one place.
struct Tables
{
    std::array<char16_t, 256> single {}; // bytes 0x80..0xFF that are characters by themselves
    std::array<std::array<char16_t, 256>, 128> pair {}; // [lead - 0x80][trail]
    std::array<std::uint16_t, 65536> encode {}; // code unit -> code (< 0x100 single byte), 0 = none
};

struct ConverterCloser
{
    void operator()(UConverter* c) const { ucnv_close(c); }
};

std::unique_ptr<Tables> BuildTables()
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, ConverterCloser> conv(ucnv_open("windows-31j", &status));
    if (U_FAILURE(status))
        throw Error(std::string("文字コード表（シフトJIS）を読み込めません。(") + u_errorName(status) + ")");
    ucnv_setToUCallBack(conv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_setFromUCallBack(conv.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);

    auto toUnicode = [&](const char* bytes, int len) -> char16_t {
        UErrorCode e = U_ZERO_ERROR;
        UChar out[4];
        ucnv_resetToUnicode(conv.get());
        const int n = ucnv_toUChars(conv.get(), out, 4, bytes, len, &e);
        return (U_SUCCESS(e) && n == 1) ? static_cast<char16_t>(out[0]) : kNone;
    };
    auto fromUnicode = [&](char16_t c) -> std::uint16_t {
        UErrorCode e = U_ZERO_ERROR;
        char out[4];
        const UChar in = c;
        ucnv_resetFromUnicode(conv.get());
        const int n = ucnv_fromUChars(conv.get(), out, 4, &in, 1, &e);
        if (U_FAILURE(e) || n < 1 || n > 2)
            return 0;
        const auto b0 = static_cast<unsigned char>(out[0]);
        return n == 1 ? b0 : static_cast<std::uint16_t>((b0 << 8) | static_cast<unsigned char>(out[1]));
    };

    auto t = std::make_unique<Tables>();
    t->single.fill(kNone);
    for (auto& row : t->pair)
        row.fill(kNone);

    // Bytes below 0x80 never go through ICU: its table swaps 0x1A, 0x1C and 0x7F for other control characters.
    for (unsigned b = 0; b < 0x80; ++b)
        t->encode[b] = static_cast<std::uint16_t>(b);

    auto addEncoding = [&](char16_t c) {
        if (c < 0x80 || t->encode[c] != 0)
            return;
        // ICU chooses among duplicate codes the way Windows does (NEC row 13 over IBM, IBM over NEC-selected).
        const std::uint16_t code = fromUnicode(c);
        if (code >= 0x80)
            t->encode[c] = code;
    };

    for (unsigned b = 0x80; b < 0x100; ++b) {
        if (IsLeadByte(b))
            continue;
        const char byte = static_cast<char>(b);
        const char16_t c = toUnicode(&byte, 1);
        t->single[b] = c;
        if (c != kNone)
            addEncoding(c);
    }
    for (unsigned lead = 0x81; lead < 0x100; ++lead) {
        if (!IsLeadByte(lead))
            continue;
        for (unsigned trail = 0x40; trail < 0x100; ++trail) {
            if (!IsTrailByte(trail))
                continue;
            const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            const char16_t c = toUnicode(bytes, 2);
            t->pair[lead - 0x80][trail] = c;
            if (c != kNone)
                addEncoding(c);
        }
    }
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
