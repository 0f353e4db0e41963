#pragma once

#include <QPixmap>
#include <QRectF>
#include <QSize>

class QPainter;

namespace testloop {

// The picture of the splash window, drawn in code: the program's name, a control panel with its
// detection loop of detectors, a small grid of coloured device buttons, and a ceiling detector
// above a flame whose smoke rises towards it. Drawn on a 576 x 473 canvas and scaled to fit.
class SplashPicture
{
public:
    static constexpr int Width = 576;
    static constexpr int Height = 473;

    static QSize naturalSize() { return QSize(Width, Height); }

    // Draws the picture stretched over the target rectangle.
    static void paint(QPainter &painter, const QRectF &target);

    // The picture at the given size in device-independent pixels, sharp at the given ratio.
    static QPixmap pixmap(const QSize &size, qreal devicePixelRatio = 1.0);
};

} // namespace testloop
