#pragma once

#include <QRect>
#include <QRectF>

namespace testloop {

// Where the threshold graphic of one device kind puts its bars, in twips from the top-left of
// its frame. The light-yellow bar is the full scale; the red bar hangs from its top and is as
// tall as the fault threshold; the green bar spans the normal range from the lower to the
// upper limit, measured from the top of the frame.
struct ThresholdBars
{
    static constexpr QRect FullScale = QRect(240, 360, 735, 3255);
    // The reading drawn as the full scale.
    static constexpr double FullScaleUnits = 2500;
    // Twips per unit: the full-scale bar's height less its top, over the full scale.
    static constexpr double TwipsPerUnit
        = double(FullScale.height() - FullScale.top()) / FullScaleUnits;

    // A threshold set that would give a negative size (a negative fault threshold, an upper
    // limit below the lower one) draws that bar empty.
    static ThresholdBars forThresholds(double fault, double lower, double upper);

    QRectF fault;
    QRectF normal;
};

} // namespace testloop
