#pragma once

#include "core/Errors.h"
#include "core/Text.h"

#include <exception>

namespace plok {

template<class Body>
void RunGuarded(Prompts& prompts, Body&& body)
{
    try {
        body();
    } catch (const std::exception& e) {
        prompts.Error(FromUtf8(e.what()));
    } catch (...) {
        prompts.Error(u"予期しないエラーが発生しました。");
    }
}

} // namespace plok
