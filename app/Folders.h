#pragma once

#include "core/UserFolders.h"

#include <filesystem>

namespace plok::app {

/// The first page of the user manual: the installed one (share/doc/plok/manual beside the bin folder of
/// `executableFolder`), else the one in the source tree when the program runs from a build; empty when neither is
/// there.
std::filesystem::path FindManual(const std::filesystem::path& executableFolder);

} // namespace plok::app
