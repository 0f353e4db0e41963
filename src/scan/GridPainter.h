#pragma once

#include "scan/Evaluation.h"
#include "scan/ScanMode.h"

#include <QStringView>

namespace testloop {

class DeviceGrid;
struct LoopData;
struct SharedState;

// Shows the stored readings of the selected loop on the device grid: one address after a
// reply, or the whole loop after a change of loop or mode.
class GridPainter
{
public:
    GridPainter(const SharedState &shared, const LoopData &data, DeviceGrid &grid);

    void show(int address, const ButtonView &view);
    void EvaluateSensor(int address);
    void EvaluateModule(int address);
    // Shows a test result code on the button; any code but "TY" or "TN" leaves it unchanged.
    void EvaluateSensorTest(int address, QStringView resultCode);
    // Redraws addresses 1..99 for the mode. In test mode the addresses left out of the test
    // are hidden; the result is how many buttons are visible.
    int redraw(ScanMode mode);

private:
    int loop() const;
    DeviceDescription description(int address) const;

    const SharedState &m_shared;
    const LoopData &m_data;
    DeviceGrid &m_grid;
};

} // namespace testloop
