#pragma once

// Resource identifiers of win32/plok.rc; the resource compiler reads this file too.
#define PLOK_APP_ICON 1
#define PLOK_CLOSE_GLYPH 2

#ifdef __cplusplus
namespace plok::win32 {
inline constexpr int kAppIcon = PLOK_APP_ICON;
inline constexpr int kCloseGlyph = PLOK_CLOSE_GLYPH;
} // namespace plok::win32
#endif
