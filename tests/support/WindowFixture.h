#pragma once

#include "core/Environment.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "present/ControlId.h"
#include "support/FakePrompts.h"
#include "support/TempDir.h"

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace plok {

inline std::ostream& operator<<(std::ostream& os, const ControlId& control)
{
    return os << control.window() << "." << control.name();
}

} // namespace plok

namespace plok::test {

/// What every window test starts from, a presenter's or a Qt window's: temporary work, Downloads and data folders, an
/// installed manual, the settings file in the work folder, and scripted prompts.
class WindowFixture : public testing::Test
{
protected:
    WindowFixture()
    {
        for (const char* d : {"program", "downloads", "data", "manual"})
            std::filesystem::create_directory(root / d);
        env = {root / "program", root / "program" / "user.ini", root / "downloads", root / "manual" / "index.html"};
        WriteBytes(env.manual, "<!DOCTYPE html>");
    }

    /// Sets `key` of section PARAM of the settings file.
    void Setting(std::u16string_view key, std::u16string_view value) const
    {
        settings::Write(env.settingsFile, key, value);
    }
    /// The value of `key` of section PARAM, or "<none>".
    std::u16string Stored(std::u16string_view key) const
    {
        return IFReadIniStr(env.settingsFile, settings::kSection, key, u"<none>");
    }

    /// Writes `bytes` as data/`name` and returns its full path as the open-file dialog gives it.
    std::u16string DataFile(std::string_view name, std::string_view bytes) const
    {
        WriteBytes(root / "data" / name, bytes);
        return (root / "data" / name).u16string();
    }
    /// The full path of data/`name`, which need not exist; empty for an empty name.
    std::u16string DataPath(std::string_view name) const
    {
        return name.empty() ? std::u16string() : (root / "data" / name).u16string();
    }

    TempDir root;
    Environment env;
    FakePrompts prompts;
};

} // namespace plok::test
