#include "ui/DeviceButton.h"

#include <QHash>
#include <QPainter>
#include <QStaticText>

namespace testloop {

namespace {

// The lines of the captions laid out once and kept, per font: the grid shows the same few
// hundred lines ("N 12", "VA450", "[15] ") over and over, and laying out text is most of what
// painting a button costs.
QStaticText laidOutLine(const QString &line, const QFont &font, const QString &fontKey)
{
    constexpr qsizetype MaxLines = 8192;
    static QHash<QString, QHash<QString, QStaticText>> fonts;
    QHash<QString, QStaticText> &lines = fonts[fontKey];
    if (const auto found = lines.constFind(line); found != lines.constEnd())
        return *found;
    if (lines.size() >= MaxLines)
        lines.clear();
    QStaticText laidOut(line);
    laidOut.setTextFormat(Qt::PlainText);
    laidOut.setPerformanceHint(QStaticText::AggressiveCaching);
    laidOut.prepare(QTransform(), font);
    return *lines.insert(line, laidOut);
}

// The face of a button, background and raised (or sunk) frame, drawn once for each size,
// colour and state and then copied: a copy costs far less than painting the frame again.
QPixmap face(const QSize &size, const QColor &background, bool down, qreal ratio)
{
    static QHash<QString, QPixmap> faces;
    const QString key = QStringLiteral("%1x%2 %3 %4 %5")
                            .arg(size.width())
                            .arg(size.height())
                            .arg(background.rgba())
                            .arg(down)
                            .arg(ratio);
    if (const auto found = faces.constFind(key); found != faces.constEnd())
        return *found;
    if (faces.size() >= 64)
        faces.clear();
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    QPainter painter(&pixmap);
    const int w = size.width();
    const int h = size.height();
    const QColor light = down ? background.darker(160) : background.lighter(150);
    const QColor dark = down ? background.lighter(150) : background.darker(160);
    const QColor shade = down ? QColor(255, 255, 255) : QColor(0, 0, 0);
    painter.fillRect(0, 0, w, h, background);
    painter.fillRect(0, 0, w, 1, light);
    painter.fillRect(0, 0, 1, h, light);
    painter.fillRect(1, h - 2, w - 2, 1, dark);
    painter.fillRect(w - 2, 1, 1, h - 2, dark);
    painter.fillRect(0, h - 1, w, 1, shade);
    painter.fillRect(w - 1, 0, 1, h, shade);
    painter.end();
    return *faces.insert(key, pixmap);
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

QFont DeviceButton::captionFont()
{
    QFont font(QStringLiteral("Small Fonts"));
    font.setPointSizeF(6.75);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

void DeviceButton::setColour(ButtonColour colour)
{
    if (colour == m_colour)
        return;
    m_colour = colour;
    update();
}

QColor DeviceButton::colourOf(ButtonColour colour, const QPalette &palette)
{
    switch (colour) {
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
    return palette.color(QPalette::Button);
}

QColor DeviceButton::backgroundColour() const
{
    return colourOf(m_colour, palette());
}

void DeviceButton::setMarked(bool marked)
{
    if (marked == m_marked)
        return;
    m_marked = marked;
    update();
}

void DeviceButton::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    update();
}

QSize DeviceButton::sizeHint() const
{
    return QSize(64, 48);
}

void DeviceButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, face(size(), backgroundColour(), isDown(), devicePixelRatioF()));

    // The caption's lines, each centred, the block of them centred in the button.
    if (m_linesFor != text() || m_linesFont != font()) {
        m_linesFor = text();
        m_linesFont = font();
        m_lines.clear();
        const QString fontKey = m_linesFont.key();
        for (const QString &line : m_linesFor.split(u'\n'))
            m_lines.append(laidOutLine(line, m_linesFont, fontKey));
    }
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.setFont(m_linesFont);
    const qreal lineHeight = fontMetrics().height();
    const QPointF offset = isDown() ? QPointF(1, 1) : QPointF(0, 0);
    qreal top = (height() - lineHeight * qreal(m_lines.size())) / 2;
    for (const QStaticText &line : std::as_const(m_lines)) {
        painter.drawStaticText(QPointF((width() - line.size().width()) / 2, top) + offset, line);
        top += lineHeight;
    }
    if (m_marked) {
        painter.setPen(QPen(QColor(0, 0, 255), 3));
        painter.drawRect(rect().adjusted(2, 2, -3, -3));
    }
    if (m_selected) {
        painter.setPen(QPen(Qt::black, 2, Qt::DotLine));
        painter.drawRect(rect().adjusted(5, 5, -6, -6));
    }
}

} // namespace testloop
