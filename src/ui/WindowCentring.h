#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace testloop {

// The top-left corner that centres a window of the given size in the available area. A window
// larger than the area keeps its top-left corner inside it, so its title bar stays reachable.
QPoint centredTopLeft(const QRect &available, const QSize &size);

// Moves a top-level window to the centre of the screen it is on (the primary screen if none).
void centreOnScreen(QWidget *window);

} // namespace testloop
