#include "ui/SplashPicture.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>
#include <cmath>

namespace testloop {

namespace {

const QColor Ink(13, 27, 54);
const QColor Fire(255, 122, 26);
const QColor Cable(255, 90, 54);
const QColor GridGreen(0, 128, 0);
const QColor GridYellow(255, 255, 0);
const QColor GridRed(255, 0, 0);
const QColor GridWhite(255, 255, 255);

QFont pictureFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void drawBackground(QPainter &painter)
{
    QLinearGradient ground(0, 0, 0, SplashPicture::Height);
    ground.setColorAt(0.0, Ink);
    ground.setColorAt(0.6, QColor(27, 36, 64));
    ground.setColorAt(1.0, QColor(52, 20, 32));
    painter.fillRect(QRectF(0, 0, SplashPicture::Width, SplashPicture::Height), ground);
}

void drawTitle(QPainter &painter)
{
    const QFont title = pictureFont(60, true);
    painter.setFont(title);
    const QString first = QStringLiteral("Test");
    painter.setPen(QColor(255, 255, 255));
    painter.drawText(QPointF(36, 92), first);
    painter.setPen(Fire);
    painter.drawText(QPointF(36 + QFontMetricsF(title).horizontalAdvance(first), 92),
                     QStringLiteral("Loop"));

    painter.setFont(pictureFont(16, false));
    painter.setPen(QColor(184, 196, 220));
    painter.drawText(QPointF(38, 122), QStringLiteral("Verifica dei loop di rivelazione incendio"));

    QLinearGradient accent(36, 0, 360, 0);
    accent.setColorAt(0.0, Fire);
    accent.setColorAt(1.0, QColor(255, 122, 26, 0));
    painter.fillRect(QRectF(36, 134, 324, 3), accent);

    painter.setFont(pictureFont(11, false));
    painter.setPen(QColor(141, 153, 179));
    painter.drawText(QPointF(36, 466), QStringLiteral("Analisi dei loop analogici indirizzati"));
}

// The control panel the loop starts from and returns to.
void drawPanel(QPainter &painter)
{
    QLinearGradient metal(0, 190, 0, 320);
    metal.setColorAt(0.0, QColor(217, 221, 227));
    metal.setColorAt(1.0, QColor(154, 161, 171));
    painter.setPen(QPen(QColor(58, 63, 71), 2));
    painter.setBrush(metal);
    painter.drawRoundedRect(QRectF(36, 190, 84, 130), 6, 6);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(31, 61, 31));
    painter.drawRect(QRectF(46, 202, 64, 26));
    painter.setFont(pictureFont(11, true));
    painter.setPen(QColor(125, 255, 125));
    painter.drawText(QRectF(46, 202, 64, 26), Qt::AlignCenter, QStringLiteral("LOOP 1"));

    const std::array<QColor, 3> lamps {GridGreen, QColor(230, 200, 0), GridRed};
    for (std::size_t lamp = 0; lamp < lamps.size(); ++lamp) {
        painter.setPen(QPen(QColor(40, 40, 40), 1));
        painter.setBrush(lamps[lamp]);
        painter.drawEllipse(QPointF(54 + 14.0 * qreal(lamp), 244), 4, 4);
    }
    painter.setBrush(QColor(90, 96, 106));
    painter.setPen(Qt::NoPen);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 4; ++column)
            painter.drawRoundedRect(QRectF(47 + column * 16, 258 + row * 16, 12, 11), 2, 2);
}

QPainterPath loopCable()
{
    QPainterPath cable;
    cable.moveTo(120, 250);
    cable.lineTo(370, 250);
    cable.quadTo(400, 250, 400, 280);
    cable.lineTo(400, 410);
    cable.quadTo(400, 440, 370, 440);
    cable.lineTo(170, 440);
    cable.quadTo(140, 440, 140, 410);
    cable.lineTo(140, 320);
    cable.quadTo(140, 300, 120, 300);
    return cable;
}

// A ceiling detector seen from below: a white disc, its sensing chamber and a lamp.
void drawDetector(QPainter &painter, const QPointF &centre, qreal radius, const QColor &lamp)
{
    QRadialGradient body(centre - QPointF(radius / 3, radius / 3), radius * 1.4);
    body.setColorAt(0.0, QColor(255, 255, 255));
    body.setColorAt(1.0, QColor(190, 196, 205));
    painter.setPen(QPen(QColor(89, 96, 107), std::max(1.0, radius / 12)));
    painter.setBrush(body);
    painter.drawEllipse(centre, radius, radius);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, radius * 0.5, radius * 0.5);

    const qreal lampRadius = std::max(2.0, radius / 7);
    const QPointF lampCentre = centre + QPointF(radius * 0.62, -radius * 0.42);
    QRadialGradient glow(lampCentre, lampRadius * 3);
    glow.setColorAt(0.0, lamp);
    glow.setColorAt(1.0, QColor(lamp.red(), lamp.green(), lamp.blue(), 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(lampCentre, lampRadius * 3, lampRadius * 3);
    painter.setBrush(lamp);
    painter.drawEllipse(lampCentre, lampRadius, lampRadius);
}

void drawLoop(QPainter &painter)
{
    const QPainterPath cable = loopCable();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 90, 54, 60), 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(cable);
    painter.setPen(QPen(Cable, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(cable);

    struct Device
    {
        QPointF centre;
        QColor lamp;
    };
    const std::array<Device, 8> devices {{
        {{200, 250}, GridGreen},
        {{270, 250}, GridGreen},
        {{340, 250}, GridYellow},
        {{400, 320}, GridGreen},
        {{400, 385}, GridRed},
        {{330, 440}, GridGreen},
        {{255, 440}, GridWhite},
        {{185, 440}, GridGreen},
    }};
    for (const Device &device : devices)
        drawDetector(painter, device.centre, 12, device.lamp);
}

// Inside the loop: the grid of device buttons in the colours of their readings.
void drawMiniGrid(QPainter &painter)
{
    const std::array<QColor, 15> cells {
        GridGreen, GridGreen, GridYellow, GridGreen, GridGreen,  GridGreen, GridRed,   GridGreen,
        GridGreen, GridWhite, GridGreen,  GridGreen, GridYellow, GridGreen, GridGreen,
    };
    painter.setPen(QPen(QColor(20, 20, 20), 1));
    for (std::size_t cell = 0; cell < cells.size(); ++cell) {
        const qreal x = 180 + 38.0 * qreal(cell % 5);
        const qreal y = 290 + 36.0 * qreal(cell / 5);
        painter.setBrush(cells[cell]);
        painter.drawRect(QRectF(x, y, 30, 26));
    }
}

QPainterPath flame(qreal cx, qreal base, qreal w, qreal h)
{
    QPainterPath path;
    path.moveTo(cx, base);
    path.cubicTo(cx - 0.55 * w, base, cx - 0.5 * w, base - 0.45 * h, cx - 0.15 * w, base - 0.7 * h);
    path.cubicTo(cx - 0.05 * w, base - 0.82 * h, cx - 0.02 * w, base - 0.9 * h, cx + 0.05 * w,
                 base - h);
    path.cubicTo(cx + 0.1 * w, base - 0.8 * h, cx + 0.5 * w, base - 0.6 * h, cx + 0.5 * w,
                 base - 0.3 * h);
    path.cubicTo(cx + 0.5 * w, base - 0.08 * h, cx + 0.3 * w, base, cx, base);
    return path;
}

// The smoke that rises from the flame to the detector above it.
void drawSmoke(QPainter &painter)
{
    for (int wisp = 0; wisp < 3; ++wisp) {
        const qreal shift = (wisp - 1) * 14.0;
        QPainterPath smoke;
        smoke.moveTo(494 + shift / 2, 318);
        smoke.cubicTo(522 + shift, 290, 456 + shift, 252, 488 + shift, 216);
        smoke.cubicTo(502 + shift / 2, 198, 470, 192, 474, 180);
        painter.setPen(QPen(QColor(180, 185, 195, 45), 12 - 2 * wisp, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(smoke);
    }
}

void drawFire(QPainter &painter)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(232, 57, 29));
    painter.drawPath(flame(492, 444, 76, 124));
    painter.setBrush(QColor(255, 138, 28));
    painter.drawPath(flame(492, 444, 52, 88));
    painter.setBrush(QColor(255, 210, 63));
    painter.drawPath(flame(492, 444, 28, 50));
}

// A dark plate under the platform label so that it reads on any part of the picture.
void drawPlate(QPainter &painter)
{
    painter.setPen(QPen(QColor(255, 122, 26, 140), 1));
    painter.setBrush(QColor(10, 20, 40, 210));
    painter.drawRoundedRect(QRectF(430, 264, 110, 40), 6, 6);
}

} // namespace

void SplashPicture::paint(QPainter &painter, const QRectF &target)
{
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / Width, target.height() / Height);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setClipRect(QRectF(0, 0, Width, Height));

    drawBackground(painter);
    drawTitle(painter);
    drawMiniGrid(painter);
    drawLoop(painter);
    drawPanel(painter);
    drawSmoke(painter);
    drawFire(painter);
    drawDetector(painter, QPointF(474, 118), 56, GridRed);
    drawPlate(painter);
    painter.restore();
}

QPixmap SplashPicture::pixmap(const QSize &size, qreal devicePixelRatio)
{
    if (size.isEmpty() || devicePixelRatio <= 0)
        return QPixmap();
    QPixmap picture(size * devicePixelRatio);
    picture.setDevicePixelRatio(devicePixelRatio);
    picture.fill(Ink);
    QPainter painter(&picture);
    paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return picture;
}

} // namespace testloop
