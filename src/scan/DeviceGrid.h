#pragma once

#include "scan/ButtonColour.h"

#include <QString>

namespace testloop {

// The 99 device buttons as the scan cycle and the evaluations see them. Addresses 1..99.
class DeviceGrid
{
public:
    virtual ~DeviceGrid() = default;

    virtual void setCaption(int address, const QString &caption) = 0;
    virtual void setColour(int address, ButtonColour colour) = 0;
    virtual void setToolTip(int address, const QString &toolTip) = 0;
    virtual void setVisible(int address, bool visible) = 0;
    // Marks a button whose reading moved beyond the drift limit since the reference visit.
    virtual void setMarked(int address, bool marked) = 0;
};

} // namespace testloop
