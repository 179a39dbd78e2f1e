#pragma once

#include "core/Environment.h"
#include "present/Prompts.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace plok {

/// A window's open-file dialog: it keeps the file last confirmed in it and starts there the next time; until then it
/// starts in the folder of the file last confirmed in any open-file dialog, which the settings keep across restarts.
class OpenDialog
{
public:
    /// `types`: the choices of files it offers (Prompts::OpenFile), which must outlive it.
    OpenDialog(const Environment& env, Prompts& prompts, std::span<const FileType> types = {});

    /// Shows the dialog: the confirmed file, or nothing when cancelled. A confirmed file is remembered even when the
    /// caller then finds it unfit. Throws IoError when the settings cannot be written.
    std::optional<std::u16string> Execute();
    /// The file last confirmed in the dialog, empty until then.
    const std::u16string& fileName() const { return m_fileName; }

private:
    std::filesystem::path m_settingsFile;
    Prompts& m_prompts;
    std::span<const FileType> m_types;
    std::u16string m_fileName;
};

} // namespace plok
