#pragma once

#include "core/RunResult.h"
#include "core/Text.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace plok::tools {

/// The change-definition table: pairs of an old value and its new value, in file order, duplicates kept.
class ChangeTable
{
public:
    /// The old values, in file order.
    const std::vector<Line>& mlsList() const { return m_old; }
    /// The new values; entry i replaces mlsList()[i].
    const std::vector<Line>& mlsList2() const { return m_new; }
    std::size_t size() const { return m_old.size(); }

    void Clear();
    /// Appends a pair after the existing ones.
    void Add(Line oldValue, Line newValue);

    /// The index of the first pair whose old value has as many UTF-16 units as `key` and equals it ignoring
    /// letter case (full Unicode case folding, so "ａ" matches "Ａ"); -1 when there is none. One hash look-up.
    int Find(std::u16string_view key) const;

private:
    struct Chain
    {
        int first;
        int last;
    };

    std::vector<Line> m_old;
    std::vector<Line> m_new;
    // Pairs whose old values fold alike, linked through m_next in file order; m_next[i] is -1 at a chain's end.
    std::unordered_map<std::u16string, Chain> m_index;
    std::vector<int> m_next;
};

/// Warning shown when the change-definition file does not exist (a folder does not count).
inline constexpr char16_t kMissingTableText[] = u"変更定義ファイルがファイルがありません。";

/// Replaces the content of `table` with the pairs of the change-definition file `pstFile`: one pair per line in
/// code page 932 (no byte-order mark detection), old value in field 0 and new value in field 1 of the program's
/// own field splitter, both trimmed; from the second line on, a value shorter than 10 characters is left-padded
/// with "0" to 10. Further fields are ignored. `onCount` gets the number of pairs loaded after each line.
///
/// Done when the table holds the file's pairs (there is no message then); MissingFile with the warning otherwise. The
/// table is emptied first, even when the file is missing. Throws ListIndexError(1) for a line without a
/// comma (the pairs read before it stay in the table) and IoError when the file cannot be read.
RunResult CsvSet(
    const std::filesystem::path& pstFile, ChangeTable& table, const std::function<void(int)>& onCount = {});

} // namespace plok::tools
