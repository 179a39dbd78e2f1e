#include "tools/ChangeTable.h"

#include "core/CommaText.h"
#include "core/Cp932.h"
#include "core/Errors.h"
#include "core/FileNames.h"
#include "core/FoldCase.h"
#include "core/LineReader.h"

namespace plok::tools {

namespace {

constexpr std::size_t kPadWidth = 10;

std::u16string Field(const FieldList& fields, std::size_t i, bool pad)
{
    if (i >= fields.size())
        throw ListIndexError(static_cast<int>(i));
    std::u16string value = Trim(fields[i]);
    if (pad && value.size() < kPadWidth)
        value.insert(0, kPadWidth - value.size(), u'0');
    return value;
}

} // namespace

void ChangeTable::Clear()
{
    m_old.clear();
    m_new.clear();
    m_index.clear();
    m_next.clear();
}

void ChangeTable::Add(Line oldValue, Line newValue)
{
    const int i = static_cast<int>(m_old.size());
    std::u16string folded;
    FoldCase(oldValue, folded);
    m_old.push_back(std::move(oldValue));
    m_new.push_back(std::move(newValue));
    m_next.push_back(-1);
    const auto [it, inserted] = m_index.try_emplace(std::move(folded), Chain {i, i});
    if (!inserted) {
        m_next[static_cast<std::size_t>(it->second.last)] = i;
        it->second.last = i;
    }
}

int ChangeTable::Find(std::u16string_view key) const
{
    thread_local std::u16string folded;
    FoldCase(key, folded);
    const auto it = m_index.find(folded);
    if (it == m_index.end())
        return -1;
    // Texts of different lengths can fold alike ("ß" and "ss"); only one as long as the key counts.
    for (int i = it->second.first; i >= 0; i = m_next[static_cast<std::size_t>(i)])
        if (m_old[static_cast<std::size_t>(i)].size() == key.size())
            return i;
    return -1;
}

RunResult CsvSet(const std::filesystem::path& pstFile, ChangeTable& table, const std::function<void(int)>& onCount)
{
    table.Clear();
    if (!FileExists(pstFile))
        return RunResult::Refused(RunStatus::MissingFile, kMissingTableText);

    LineReader in(pstFile);
    std::string_view bytes;
    std::u16string line;
    FieldList fields;
    bool first = true;
    while (in.Next(bytes)) {
        line.clear();
        cp932::DecodeAppend(bytes, line);
        fields.clear();
        GetCommaTxt(line, fields);
        // The first line is taken as it stands: it may be a heading rather than a pair of codes.
        std::u16string oldValue = Field(fields, 0, !first);
        std::u16string newValue = Field(fields, 1, !first);
        first = false;
        table.Add(std::move(oldValue), std::move(newValue));
        if (onCount)
            onCount(static_cast<int>(table.size()));
    }
    return {RunStatus::Done, {}, {}, {}};
}

} // namespace plok::tools
