#pragma once

#include "present/Prompts.h"

#include <functional>
#include <string>
#include <vector>

class QLineEdit;

namespace plok::gui {

/// Lets the user drop files from the desktop onto `edit`: `take` gets the paths of every local file dropped at once and
/// does with them what the window's selection does with a chosen one (its checks, its messages), through the guard
/// and under the busy cursor. A drop without a local file is refused, and nothing is typed into the field by the drop
/// itself.
void AcceptFileDrops(
    QLineEdit* edit, Prompts& prompts, std::function<void(const std::vector<std::u16string>& files)> take);

} // namespace plok::gui
