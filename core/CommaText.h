#pragma once

#include "core/Text.h"

#include <string_view>

namespace plok {

/// The program's own field splitter: cuts `s` at every comma and drops every double quote wherever it stands;
/// quoting is not honoured and fields are not trimmed. n commas give n + 1 fields, an empty line one empty field.
/// Appends to `list` (never clears it). Always returns true.
bool GetCommaTxt(std::u16string_view s, FieldList& list);
/// GetCommaTxt on raw code page 932 bytes, without copying: cuts where GetCommaTxt cuts the decoded line, since ","
/// and '"' never occur inside a multi-byte character, and each field is the bytes between the commas without their
/// double quotes. These decode to GetCommaTxt's field, except in a line that is no valid code page 932: a quote
/// after a lone lead byte goes, and the lead byte then pairs with the byte after the quote, where the decoded line
/// keeps it an escape (81 22 40 gives the field 81 40, U+3000, where the text splitter gives U+DC81 "@").
/// The fields view the line, or an internal copy of it when it holds double quotes; they stay valid until the next
/// Split or until the line goes.
class ByteFieldSplitter
{
public:
    std::vector<std::string_view>& Split(std::string_view line);

private:
    std::string m_dequoted;
    std::vector<std::string_view> m_fields;
};

/// The comma-text join rule: fields joined with ","; a field holding U+0001..U+0020, '"' or "," is enclosed in
/// double quotes with inner quotes doubled. A single empty field joins to `""`, an empty list to an empty text.
std::u16string JoinCommaText(const FieldList& fields);
/// The join rule on byte fields, appended to `out`.
void AppendCommaText(std::string& out, const std::vector<std::string_view>& fields);

/// The comma-text split rule (comma delimiter, double-quote quoting; blanks outside quotes also separate fields).
/// An empty text gives no field. The text is taken to end at its first U+0000.
FieldList SplitCommaText(std::u16string_view s);

} // namespace plok
