#include "core/FoldCase.h"

#include <unicode/stringoptions.h>
#include <unicode/ustring.h>
#include <unicode/utypes.h>

namespace plok {

void FoldCase(std::u16string_view s, std::u16string& out)
{
    out.assign(s);
    bool ascii = true;
    for (char16_t c : s)
        ascii = ascii && c < 0x80;
    if (ascii) {
        for (char16_t& c : out)
            if (c >= u'A' && c <= u'Z')
                c = static_cast<char16_t>(c + (u'a' - u'A'));
        return;
    }
    // Full folding can grow the text ("ß" folds to "ss"): retry once with the size ICU asks for.
    for (int attempt = 0; attempt < 2; ++attempt) {
        UErrorCode status = U_ZERO_ERROR;
        const int32_t length = u_strFoldCase(out.data(), static_cast<int32_t>(out.size()), s.data(),
            static_cast<int32_t>(s.size()), U_FOLD_CASE_DEFAULT, &status);
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            out.resize(static_cast<std::size_t>(length));
            continue;
        }
        if (U_FAILURE(status))
            break;
        out.resize(static_cast<std::size_t>(length));
        return;
    }
    out.assign(s);
}

} // namespace plok
