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

    // The readings of an earlier visit to compare with (nothing: no comparison), and the drift
    // beyond which a button is marked.
    void setReference(const LoopData *reference, int limit);
    // Addresses the download found unused show "assente" on the button face instead of their
    // (empty) reading.
    void setSkipUnused(bool skip) { m_skipUnused = skip; }

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
    // The reading's view with what the comparison and the skipping add to it.
    void showReading(int address, ButtonView view, bool sensor);

    const SharedState &m_shared;
    const LoopData &m_data;
    DeviceGrid &m_grid;
    const LoopData *m_reference = nullptr;
    int m_driftLimit = 0;
    bool m_skipUnused = false;
};

} // namespace testloop
