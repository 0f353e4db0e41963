#include "ui/DeviceButton.h"

#include <QPainter>

namespace testloop {

namespace {

QFont captionFont()
{
    QFont font(QStringLiteral("Small Fonts"));
    font.setPointSizeF(6.75);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace

DeviceButton::DeviceButton(int address, QWidget *parent)
    : QAbstractButton(parent)
    , m_address(address)
{
    setObjectName(QStringLiteral("Command(%1)").arg(address));
    setFont(captionFont());
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DeviceButton::setColour(ButtonColour colour)
{
    if (colour == m_colour)
        return;
    m_colour = colour;
    update();
}

QColor DeviceButton::backgroundColour() const
{
    switch (m_colour) {
    case ButtonColour::Red:
        return QColor(255, 0, 0);
    case ButtonColour::Yellow:
        return QColor(255, 255, 0);
    case ButtonColour::Green:
        return QColor(0, 128, 0);
    case ButtonColour::White:
        return QColor(255, 255, 255);
    case ButtonColour::LightGrey:
        return QColor(192, 192, 192);
    case ButtonColour::ButtonFace:
        break;
    }
    return palette().color(QPalette::Button);
}

QSize DeviceButton::sizeHint() const
{
    return QSize(64, 48);
}

void DeviceButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect area = rect();
    const QColor background = backgroundColour();
    painter.fillRect(area, background);

    // A raised frame, sunk while the button is held down.
    const QColor light = isDown() ? background.darker(160) : background.lighter(150);
    const QColor dark = isDown() ? background.lighter(150) : background.darker(160);
    const QColor shade = isDown() ? QColor(255, 255, 255) : QColor(0, 0, 0);
    painter.setPen(light);
    painter.drawLine(area.topLeft(), area.topRight());
    painter.drawLine(area.topLeft(), area.bottomLeft());
    painter.setPen(dark);
    painter.drawLine(area.bottomLeft() + QPoint(1, -1), area.bottomRight() + QPoint(-1, -1));
    painter.drawLine(area.topRight() + QPoint(-1, 1), area.bottomRight() + QPoint(-1, -1));
    painter.setPen(shade);
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    painter.drawLine(area.topRight(), area.bottomRight());

    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.setFont(font());
    const QPoint offset = isDown() ? QPoint(1, 1) : QPoint(0, 0);
    painter.drawText(area.adjusted(2, 2, -2, -2).translated(offset), Qt::AlignCenter, text());
}

} // namespace testloop
