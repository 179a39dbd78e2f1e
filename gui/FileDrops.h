#pragma once

#include "present/Prompts.h"

#include <functional>
#include <string>

class QLineEdit;

namespace plok::gui {

/// Lets the user drop a file from the desktop onto `edit`: `take` gets the dropped file's path and does with it what
/// the window's selection does with a chosen one (its checks, its messages), through the guard and under the busy
/// cursor. Anything else dropped is refused, and nothing is typed into the field by the drop itself.
void AcceptFileDrops(QLineEdit* edit, Prompts& prompts, std::function<void(const std::u16string& file)> take);

} // namespace plok::gui
