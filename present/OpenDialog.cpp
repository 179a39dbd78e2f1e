#include "present/OpenDialog.h"

#include "core/FileNames.h"
#include "core/Settings.h"

namespace plok {

OpenDialog::OpenDialog(const Environment& env, Prompts& prompts, std::span<const FileType> types)
    : m_settingsFile(env.settingsFile)
    , m_prompts(prompts)
    , m_types(types)
{ }

std::optional<std::u16string> OpenDialog::Execute()
{
    const std::u16string startAt
        = !m_fileName.empty() ? m_fileName : settings::Read(m_settingsFile, settings::kLastFolder, u"");
    std::optional<std::u16string> file = m_prompts.OpenFile(startAt, m_types);
    if (!file)
        return file;
    m_fileName = *file;
    settings::Write(m_settingsFile, settings::kLastFolder, ToPath(*file).parent_path().u16string());
    return file;
}

} // namespace plok
