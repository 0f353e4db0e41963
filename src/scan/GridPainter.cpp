#include "scan/GridPainter.h"

#include "loopdata/LoopTables.h"
#include "loopdata/NumberText.h"
#include "loopdata/SharedState.h"
#include "scan/AddressFacts.h"
#include "scan/DeviceGrid.h"
#include "scan/ReadingsComparison.h"

namespace testloop {

GridPainter::GridPainter(const SharedState &shared, const LoopData &data, DeviceGrid &grid)
    : m_shared(shared)
    , m_data(data)
    , m_grid(grid)
{ }

int GridPainter::loop() const
{
    return loopIndex(m_shared.SelectedLoop);
}

void GridPainter::show(int address, const ButtonView &view)
{
    m_grid.setColour(address, view.colour);
    m_grid.setCaption(address, view.caption);
    m_grid.setToolTip(address, view.toolTip);
}

void GridPainter::setReference(const LoopData *reference, int limit)
{
    m_reference = reference;
    m_driftLimit = limit;
}

void GridPainter::showReading(int address, ButtonView view, bool sensor)
{
    if (m_skipUnused && m_data.DeviceType.at(address, loop()) == UnusedType) {
        view = {ButtonColour::ButtonFace, QStringLiteral("assente"),
                QStringLiteral("N°") + printForm(address) + QStringLiteral(" non configurato")};
    }
    bool marked = false;
    if (m_reference) {
        const Drift drift
            = readingDrift(m_data, *m_reference, loop(), address,
                           sensor ? DeviceSide::Sensor : DeviceSide::Module, m_driftLimit);
        view.caption += u'\n' + driftLine(drift.drift);
        marked = drift.marked;
    }
    show(address, view);
    m_grid.setMarked(address, marked);
}

void GridPainter::EvaluateSensor(int address)
{
    const Settings &s = m_shared.settings;
    showReading(address,
                testloop::EvaluateSensor(address, m_data.SensorAnalogue.at(address, loop()),
                                         m_data.SensorCurrent.at(address, loop()),
                                         {s.GSMax, s.VaSMin, s.VaSMax}),
                true);
}

void GridPainter::EvaluateModule(int address)
{
    const Settings &s = m_shared.settings;
    showReading(address,
                testloop::EvaluateModule(
                    address, m_shared.SelectedLoop, m_data.ModuleAnalogue.at(address, loop()),
                    m_data.ModuleCurrent.at(address, loop()), {s.GMMax, s.VaMMin, s.VaMMax}),
                false);
}

DeviceDescription GridPainter::description(int address) const
{
    return {m_data.DeviceType.at(address, loop()), m_data.DeviceZone.at(address, loop()),
            m_data.DeviceText.at(address, loop())};
}

void GridPainter::EvaluateSensorTest(int address, QStringView resultCode)
{
    if (const auto view = testloop::EvaluateSensorTest(address, resultCode, description(address)))
        show(address, *view);
}

int GridPainter::redraw(ScanMode mode)
{
    int visible = 0;
    for (int address = FirstAddress; address <= LastAddress; ++address) {
        switch (mode) {
        case ScanMode::Sensors:
            m_grid.setVisible(address, true);
            EvaluateSensor(address);
            ++visible;
            break;
        case ScanMode::Modules:
            m_grid.setVisible(address, true);
            EvaluateModule(address);
            ++visible;
            break;
        case ScanMode::SensorTest: {
            show(address, testModeView(address, description(address)));
            m_grid.setMarked(address, false);
            const bool takesPart = m_data.NotActivated.at(address, loop()) != 1;
            m_grid.setVisible(address, takesPart);
            visible += takesPart ? 1 : 0;
            break;
        }
        }
    }
    return visible;
}

} // namespace testloop
