#include "ui/GridGeometry.h"

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

QRect GridGeometry::cell(int address) const
{
    const int k = column(address);
    const int r = row(address);
    const int left = (k + 1) * m_cellWidth;
    const int top = (k % 2 == 0 ? (10 - r) : (r + 1)) * m_cellHeight - 500;
    return QRect(left, top, m_cellWidth, m_cellHeight);
}

} // namespace testloop
