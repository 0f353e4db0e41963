#pragma once

#include <QRect>
#include <QSize>
#include <QString>

namespace testloop {

// Twips: 1440 to the inch. The window's controls are placed in twips and shown in pixels at the
// widget's logical DPI.
inline constexpr int TwipsPerInch = 1440;

int twipsToPixels(int twips, int dpi);
QRect twipsToPixels(const QRect &twips, int dpiX, int dpiY);
// A screen size in pixels as twips (rounded) at the given DPI.
QSize pixelsToTwips(const QSize &pixels, int dpiX, int dpiY);
// Names a control and puts it at a rectangle given in twips from its parent's top-left.
template<typename Widget> Widget *place(Widget *widget, const QString &name, const QRect &twips)
{
    widget->setObjectName(name);
    widget->setGeometry(twipsToPixels(twips, widget->logicalDpiX(), widget->logicalDpiY()));
    return widget;
}

// Where the 99 device buttons go, in twips from the client area's top-left. A cell is a tenth
// of the screen's height and a fifteenth of its width; the buttons run in columns of eight,
// upwards in the even columns and downwards in the odd ones, from the second column on.
// Where the room below the menu bar and above the status bar is smaller than that grid, the
// grid shrinks in proportion about its top-left corner until every button is whole.
class GridGeometry
{
public:
    static constexpr int RowsPerColumn = 8;
    static constexpr int Columns = 13;

    explicit GridGeometry(const QSize &screenTwips);

    // The same grid shrunk, if need be, to lie whole within a room of this size.
    GridGeometry fittedInto(const QSize &roomTwips) const;
    // 1 where the grid fits as it is, less where it was shrunk.
    double scale() const { return m_scale; }
    // The right and bottom edges of the grid, in twips.
    QSize extent() const;

    // The cell sizes of the unshrunk grid.
    int cellWidth() const { return m_cellWidth; }
    int cellHeight() const { return m_cellHeight; }

    // Column 0..12 and row 1..8 of an address 1..99.
    static int column(int address);
    static int row(int address);

    // The cell of an address, in twips.
    QRect cell(int address) const;

private:
    int top() const;

    int m_cellWidth;
    int m_cellHeight;
    double m_scale = 1.0;
};

} // namespace testloop
