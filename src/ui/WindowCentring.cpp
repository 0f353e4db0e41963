#include "ui/WindowCentring.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace testloop {

QPoint centredTopLeft(const QRect &available, const QSize &size)
{
    const int left = available.left() + (available.width() - size.width()) / 2;
    const int top = available.top() + (available.height() - size.height()) / 2;
    return QPoint(std::max(left, available.left()), std::max(top, available.top()));
}

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen();
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    window->move(centredTopLeft(screen->availableGeometry(), window->size()));
}

} // namespace testloop
