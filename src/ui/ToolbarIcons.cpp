#include "ui/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>

namespace testloop {

namespace {

// Every picture is drawn on a 100 x 100 canvas, scaled to the pixmap.
constexpr qreal Canvas = 100.0;

const QColor Outline(40, 40, 40);

void drawEraser(QPainter &painter)
{
    // The line being rubbed out: a scribble whose right part is already gone.
    QPainterPath scribble;
    scribble.moveTo(6, 84);
    for (int step = 0; step < 4; ++step) {
        const qreal x = 6 + step * 10;
        scribble.cubicTo(x + 3, 70, x + 6, 98, x + 10, 84);
    }
    painter.setPen(QPen(QColor(30, 30, 30), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(scribble);
    painter.setPen(QPen(QColor(170, 170, 170), 3, Qt::DotLine, Qt::RoundCap));
    painter.drawLine(QPointF(50, 86), QPointF(70, 86));

    // The pencil, upside down: eraser on the line, point towards the top right.
    painter.save();
    painter.translate(56, 78);
    painter.rotate(-50);
    painter.setPen(QPen(Outline, 2.5));
    painter.setBrush(QColor(240, 130, 150));
    painter.drawRoundedRect(QRectF(0, -9, 14, 18), 4, 4);
    painter.setBrush(QColor(180, 180, 190));
    painter.drawRect(QRectF(12, -9, 9, 18));
    painter.setBrush(QColor(250, 200, 40));
    painter.drawRect(QRectF(21, -9, 46, 18));
    painter.setBrush(QColor(235, 200, 150));
    painter.drawPolygon(QPolygonF({QPointF(67, -9), QPointF(86, 0), QPointF(67, 9)}));
    painter.setBrush(Outline);
    painter.drawPolygon(QPolygonF({QPointF(80, -3), QPointF(86, 0), QPointF(80, 3)}));
    painter.restore();
}

void drawStopSign(QPainter &painter)
{
    QPolygonF octagon;
    for (int corner = 0; corner < 8; ++corner) {
        const qreal angle = (22.5 + 45.0 * corner) * M_PI / 180.0;
        octagon << QPointF(50 + 47 * std::cos(angle), 50 + 47 * std::sin(angle));
    }
    painter.setPen(QPen(QColor(255, 255, 255), 5));
    painter.setBrush(QColor(210, 20, 20));
    painter.drawPolygon(octagon);
    painter.setPen(QPen(QColor(120, 0, 0), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(octagon);

    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(30);
    font.setStretch(QFont::SemiCondensed);
    painter.setFont(font);
    painter.setPen(QColor(255, 255, 255));
    painter.drawText(QRectF(0, 0, Canvas, Canvas), Qt::AlignCenter, QStringLiteral("STOP"));
}

void drawSpanner(QPainter &painter)
{
    painter.save();
    painter.translate(50, 50);
    painter.rotate(45);
    // The handle with an open jaw at the top and a ring at the bottom.
    QPainterPath shape;
    shape.addRoundedRect(QRectF(-8, -26, 16, 58), 6, 6);
    shape.addEllipse(QPointF(0, -30), 19, 19);
    shape.addEllipse(QPointF(0, 34), 14, 14);
    QPainterPath holes;
    holes.addRect(QRectF(-8, -52, 16, 24));
    holes.addEllipse(QPointF(0, 34), 7, 7);
    shape = shape.simplified().subtracted(holes);
    painter.setPen(QPen(Outline, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QLinearGradient steel(-20, 0, 20, 0);
    steel.setColorAt(0, QColor(220, 224, 230));
    steel.setColorAt(1, QColor(130, 136, 146));
    painter.setBrush(steel);
    painter.drawPath(shape);
    painter.restore();
}

void drawQuestionBubble(QPainter &painter)
{
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(6, 8, 88, 64), 22, 22);
    QPainterPath tail;
    tail.addPolygon(QPolygonF({QPointF(26, 64), QPointF(18, 94), QPointF(50, 66)}));
    bubble = bubble.united(tail);
    painter.setPen(QPen(Outline, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(255, 255, 255));
    painter.drawPath(bubble);

    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(54);
    painter.setFont(font);
    painter.setPen(QColor(20, 70, 200));
    painter.drawText(QRectF(6, 8, 88, 64), Qt::AlignCenter, QStringLiteral("?"));
}

void drawFloppy(QPainter &painter)
{
    const QPolygonF body(
        {QPointF(8, 8), QPointF(82, 8), QPointF(92, 18), QPointF(92, 92), QPointF(8, 92)});
    painter.setPen(QPen(Outline, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(QColor(40, 70, 150));
    painter.drawPolygon(body);
    // The metal shutter with its window, and the label.
    painter.setBrush(QColor(200, 204, 210));
    painter.drawRect(QRectF(26, 8, 46, 30));
    painter.setBrush(QColor(40, 70, 150));
    painter.drawRect(QRectF(56, 13, 10, 20));
    painter.setBrush(QColor(250, 250, 245));
    painter.drawRect(QRectF(18, 52, 64, 40));
    painter.setPen(QPen(QColor(150, 150, 170), 2));
    for (int line = 0; line < 3; ++line)
        painter.drawLine(QPointF(24, 62 + line * 10), QPointF(76, 62 + line * 10));
}

void drawOpenFolder(QPainter &painter)
{
    painter.setPen(QPen(Outline, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    // Back of the folder with its tab, then the front flap swung open.
    painter.setBrush(QColor(220, 170, 40));
    painter.drawPolygon(QPolygonF({QPointF(6, 40), QPointF(6, 90), QPointF(78, 90), QPointF(78, 46),
                                   QPointF(40, 46), QPointF(34, 40)}));
    painter.setBrush(QColor(250, 210, 80));
    painter.drawPolygon(
        QPolygonF({QPointF(6, 90), QPointF(22, 58), QPointF(96, 58), QPointF(78, 90)}));

    // The curved arrow coming out of it.
    QPainterPath arrow;
    arrow.moveTo(34, 50);
    arrow.cubicTo(34, 20, 56, 10, 76, 16);
    painter.setPen(QPen(QColor(20, 140, 60), 7, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(arrow);
    painter.setPen(QPen(QColor(20, 140, 60), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(20, 140, 60));
    painter.drawPolygon(QPolygonF({QPointF(70, 2), QPointF(94, 18), QPointF(68, 30)}));
}

void drawPrinter(QPainter &painter)
{
    painter.setPen(QPen(Outline, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    // Paper going in at the back, the body, the printed sheet coming out at the front.
    painter.setBrush(QColor(255, 255, 255));
    painter.drawRect(QRectF(24, 6, 52, 36));
    painter.setBrush(QColor(150, 155, 165));
    painter.drawRoundedRect(QRectF(6, 36, 88, 38), 6, 6);
    painter.setBrush(QColor(90, 95, 105));
    painter.drawRect(QRectF(16, 62, 68, 10));
    painter.setBrush(QColor(255, 255, 255));
    painter.drawRect(QRectF(22, 66, 56, 28));
    painter.setPen(QPen(QColor(120, 120, 120), 2));
    for (int line = 0; line < 2; ++line)
        painter.drawLine(QPointF(30, 76 + line * 9), QPointF(70, 76 + line * 9));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 200, 70));
    painter.drawEllipse(QPointF(84, 46), 4, 4);
}

} // namespace

QPixmap ToolbarIcons::pixmap(ToolbarPicture picture, const QSize &size, qreal devicePixelRatio)
{
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    if (size.isEmpty())
        return pixmap;

    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(size.width() / Canvas, size.height() / Canvas);
    switch (picture) {
    case ToolbarPicture::ResetReadings:
        drawEraser(painter);
        break;
    case ToolbarPicture::StopScan:
        drawStopSign(painter);
        break;
    case ToolbarPicture::Configuration:
        drawSpanner(painter);
        break;
    case ToolbarPicture::Information:
        drawQuestionBubble(painter);
        break;
    case ToolbarPicture::SaveReadings:
        drawFloppy(painter);
        break;
    case ToolbarPicture::OpenReadings:
        drawOpenFolder(painter);
        break;
    case ToolbarPicture::PrintValues:
        drawPrinter(painter);
        break;
    }
    return pixmap;
}

QIcon ToolbarIcons::icon(ToolbarPicture picture)
{
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64})
        icon.addPixmap(pixmap(picture, QSize(side, side)));
    return icon;
}

} // namespace testloop
