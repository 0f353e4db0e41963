#include "config/ThresholdBars.h"

#include <algorithm>

namespace testloop {

ThresholdBars ThresholdBars::forThresholds(double fault, double lower, double upper)
{
    const double left = FullScale.left();
    const double width = FullScale.width();
    const double normalTop = lower * TwipsPerUnit;
    ThresholdBars bars;
    bars.fault = QRectF(left, FullScale.top(), width, std::max(0.0, fault * TwipsPerUnit));
    bars.normal = QRectF(left, normalTop, width, std::max(0.0, upper * TwipsPerUnit - normalTop));
    return bars;
}

} // namespace testloop
