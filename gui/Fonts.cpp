#include "gui/Fonts.h"

#include <QWidget>
#include <cmath>

namespace plok::gui {

namespace {

void ToPixels(QWidget* w)
{
    QFont font = w->font();
    if (font.pointSizeF() <= 0)
        return;
    font.setPixelSize(static_cast<int>(std::lround(font.pointSizeF() * 96.0 / 72.0)));
    w->setFont(font);
}

} // namespace

void UsePixelFonts(QWidget* window)
{
    ToPixels(window);
    for (QWidget* child : window->findChildren<QWidget*>())
        if (child->testAttribute(Qt::WA_SetFont) && child->font().pointSizeF() > 0)
            ToPixels(child);
}

} // namespace plok::gui
