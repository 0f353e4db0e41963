#include "ui/GridGeometry.h"

#include "loopdata/LoopTables.h"

#include <algorithm>
#include <cmath>

namespace testloop {

int twipsToPixels(int twips, int dpi)
{
    return int(std::lround(double(twips) * dpi / TwipsPerInch));
}

QRect twipsToPixels(const QRect &twips, int dpiX, int dpiY)
{
    return QRect(twipsToPixels(twips.x(), dpiX), twipsToPixels(twips.y(), dpiY),
                 twipsToPixels(twips.width(), dpiX), twipsToPixels(twips.height(), dpiY));
}

QSize pixelsToTwips(const QSize &pixels, int dpiX, int dpiY)
{
    const auto toTwips = [](int value, int dpi) {
        return dpi > 0 ? int(std::lround(double(value) * TwipsPerInch / dpi)) : 0;
    };
    return QSize(toTwips(pixels.width(), dpiX), toTwips(pixels.height(), dpiY));
}

GridGeometry::GridGeometry(const QSize &screenTwips)
    // Divided in single precision and truncated, as the cell sizes always were.
    : m_cellWidth(int(std::trunc(float(screenTwips.width()) / 15.0F)))
    , m_cellHeight(int(std::trunc(float(screenTwips.height()) / 10.0F)))
{ }

int GridGeometry::column(int address)
{
    return (address - 1) / RowsPerColumn;
}

int GridGeometry::row(int address)
{
    return (address - 1) % RowsPerColumn + 1;
}

// The top of the top row, 2H - 500; the grid shrinks about this edge and the left one.
int GridGeometry::top() const
{
    return 2 * m_cellHeight - 500;
}

QSize GridGeometry::extent() const
{
    const QRect last = cell(LastAddress);
    const QRect first = cell(1);
    return QSize(last.right() + 1, first.bottom() + 1);
}

GridGeometry GridGeometry::fittedInto(const QSize &roomTwips) const
{
    GridGeometry fitted = *this;
    fitted.m_scale = 1.0;
    const QSize needed = fitted.extent();
    if (needed.width() <= roomTwips.width() && needed.height() <= roomTwips.height())
        return fitted;
    const double across = double(roomTwips.width() - m_cellWidth) / (Columns * m_cellWidth);
    const double down = double(roomTwips.height() - top()) / (RowsPerColumn * m_cellHeight);
    // A room too small for any grid still gets one: a tenth of its size, never nothing.
    fitted.m_scale = std::clamp(std::min(across, down), 0.1, 1.0);
    return fitted;
}

QRect GridGeometry::cell(int address) const
{
    const int k = column(address);
    const int r = row(address);
    if (m_scale >= 1.0) {
        const int left = (k + 1) * m_cellWidth;
        const int upper = (k % 2 == 0 ? (10 - r) : (r + 1)) * m_cellHeight - 500;
        return QRect(left, upper, m_cellWidth, m_cellHeight);
    }
    // Rows counted from the top: 8 - r in the even columns (upwards), r - 1 in the odd ones.
    const int fromTop = k % 2 == 0 ? RowsPerColumn - r : r - 1;
    const double width = m_cellWidth * m_scale;
    const double height = m_cellHeight * m_scale;
    const auto at = [](double edge) { return int(std::floor(edge)); };
    const int left = at(m_cellWidth + k * width);
    const int upper = at(top() + fromTop * height);
    return QRect(left, upper, at(m_cellWidth + (k + 1) * width) - left,
                 at(top() + (fromTop + 1) * height) - upper);
}

} // namespace testloop
