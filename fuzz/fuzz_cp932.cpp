// Code page 932 without loss. Bytes: Encode(Decode(x)) gives x back except that a character with several codes
// comes back under the code Windows writes for it (JIS X 0208 before NEC row 13, that before IBM's extension, that
// before the NEC-selected IBM extension); Decode(Encode(Decode(x))) == Decode(x) always. Text (the input as
// UTF-16LE): Encode works character by character, writing one "?" for each code point it cannot hold.
#include "FuzzSupport.h"
#include "core/Cp932.h"

#include <array>

using namespace plok;

namespace {

using cp932::IsLeadByte;
using cp932::IsTrailByte;

int Rank(unsigned lead)
{
    if (lead == 0x87)
        return 1; // NEC row 13
    if (lead >= 0xFA)
        return 2; // IBM extension
    if (lead == 0xED || lead == 0xEE)
        return 3; // NEC-selected IBM extension
    return 0; // JIS X 0208
}

/// For every two-byte code the code Windows writes for its character: itself unless another code of the same
/// character ranks before it. Worked out from the decoder alone, so the encoder's own table is put to the test.
const std::array<std::uint16_t, 65536>& PreferredCodes()
{
    static const std::array<std::uint16_t, 65536> preferred = [] {
        std::array<std::uint16_t, 65536> best {};
        std::array<std::uint16_t, 65536> codeOf {};
        for (int pass = 0; pass < 2; ++pass) {
            for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
                for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                    if (!IsLeadByte(lead) || !IsTrailByte(trail))
                        continue;
                    const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                    const std::u16string c = cp932::Decode(std::string_view(pair, 2));
                    if (c.size() != 1)
                        continue; // not a character: escapes
                    const auto code = static_cast<std::uint16_t>((lead << 8) | trail);
                    std::uint16_t& known = codeOf[c[0]];
                    if (pass == 0 && (known == 0 || Rank(lead) < Rank(known >> 8)))
                        known = code;
                    if (pass == 1)
                        best[code] = known;
                }
            }
        }
        return best;
    }();
    return preferred;
}

void CheckBytes(std::string_view x)
{
    const std::u16string d = cp932::Decode(x);
    const std::string e = cp932::Encode(d);
    FUZZ_CHECK(cp932::Decode(e) == d);
    FUZZ_CHECK(cp932::CanEncode(d));
    FUZZ_CHECK(e.size() == x.size());
    // Walk the input in the decoder's frames: a lead byte and a trail byte are one unit, anything else one byte.
    for (std::size_t i = 0; i < x.size();) {
        const auto b = static_cast<unsigned char>(x[i]);
        if (IsLeadByte(b) && i + 1 < x.size() && IsTrailByte(static_cast<unsigned char>(x[i + 1]))) {
            const auto code = static_cast<std::uint16_t>((b << 8) | static_cast<unsigned char>(x[i + 1]));
            const std::uint16_t want = PreferredCodes()[code] != 0 ? PreferredCodes()[code] : code;
            FUZZ_CHECK(static_cast<unsigned char>(e[i]) == want >> 8);
            FUZZ_CHECK(static_cast<unsigned char>(e[i + 1]) == (want & 0xFF));
            i += 2;
        } else {
            FUZZ_CHECK(e[i] == x[i]);
            ++i;
        }
    }
}

void CheckText(std::string_view x)
{
    std::u16string t;
    for (std::size_t i = 0; i + 1 < x.size(); i += 2)
        t += static_cast<char16_t>(static_cast<unsigned char>(x[i]) | (static_cast<unsigned char>(x[i + 1]) << 8));
    const std::string e = cp932::Encode(t);

    std::string pieces;
    bool all = true;
    bool escapes = false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const bool pair
            = t[i] >= 0xD800 && t[i] <= 0xDBFF && i + 1 < t.size() && t[i + 1] >= 0xDC00 && t[i + 1] <= 0xDFFF;
        const std::u16string_view c = std::u16string_view(t).substr(i, pair ? 2 : 1);
        escapes = escapes || cp932::IsByteEscape(t[i]);
        const std::string piece = cp932::Encode(c);
        if (!cp932::CanEncode(c)) {
            all = false;
            FUZZ_CHECK(piece == "?");
        } else {
            FUZZ_CHECK(!piece.empty() && piece.size() <= 2 && (piece != "?" || c == u"?"));
        }
        pieces += piece;
        i += pair ? 1 : 0;
    }
    FUZZ_CHECK(e == pieces);
    FUZZ_CHECK(cp932::CanEncode(t) == all);
    // Without escapes, which may pair up with their neighbours, text the code page can hold comes back as it was.
    if (all && !escapes)
        FUZZ_CHECK(cp932::Decode(e) == t);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view x = fuzz::AsBytes(data, size);
    CheckBytes(x);
    CheckText(x);
    return 0;
}
