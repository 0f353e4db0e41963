#pragma once

#include "scan/ButtonColour.h"

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QList>
#include <QStaticText>

namespace testloop {

// One device button of the grid: its own background colour, a thin raised frame and a caption
// of one or more centred lines. Painted directly so that redrawing all 99 stays cheap.
class DeviceButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit DeviceButton(int address, QWidget *parent = nullptr);

    int address() const { return m_address; }

    ButtonColour colour() const { return m_colour; }
    void setColour(ButtonColour colour);

    // The colour a button of the given state is painted in; ButtonFace follows the palette.
    QColor backgroundColour() const;
    // The grid's colour of a state, as every picture of the grid paints it.
    static QColor colourOf(ButtonColour colour, const QPalette &palette);

    // A reading that moved beyond the drift limit since the reference visit: a thick blue frame.
    void setMarked(bool marked);
    bool isMarked() const { return m_marked; }
    // The button chosen in a list: a dotted frame.
    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }

    QSize sizeHint() const override;

    // "Small Fonts" 6.75 pt, the face the captions were designed in.
    static QFont captionFont();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_address;
    ButtonColour m_colour = ButtonColour::ButtonFace;
    bool m_marked = false;
    bool m_selected = false;
    // The caption's lines laid out, for the caption and font they were laid out for.
    QList<QStaticText> m_lines;
    QString m_linesFor;
    QFont m_linesFont;
};

} // namespace testloop
