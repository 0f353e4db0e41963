#pragma once

#include "scan/DeviceGrid.h"

#include <QWidget>

#include <array>

namespace testloop {

class DeviceButton;
class GridGeometry;

// The 99 device buttons. The widget sits at the top-left of the window's client area and is
// as large as the cells it holds, so the cells share the coordinates of the fixed controls.
// Calls for addresses outside 1..99 are ignored.
class DeviceGridWidget
    : public QWidget
    , public DeviceGrid
{
    Q_OBJECT
public:
    static constexpr int ButtonCount = 99;

    explicit DeviceGridWidget(QWidget *parent = nullptr);

    // Places the buttons in their cells (twips) at the widget's DPI.
    void layOut(const GridGeometry &geometry);
    // Shows every button with its address as caption and "N°" and the address as tooltip.
    void showAddresses();

    void setCaption(int address, const QString &caption) override;
    void setColour(int address, ButtonColour colour) override;
    void setToolTip(int address, const QString &toolTip) override;
    void setVisible(int address, bool visible) override;
    void setMarked(int address, bool marked) override;
    // Chooses one button, as a list's row does; 0 chooses none.
    void select(int address);
    int selected() const { return m_selected; }
    using QWidget::setToolTip;
    using QWidget::setVisible;

    // Nothing for an address outside 1..99.
    DeviceButton *button(int address) const;

signals:
    void clicked(int address);
    // A right click on a device button.
    void detailRequested(int address);

private:
    std::array<DeviceButton *, ButtonCount> m_buttons {};
    int m_selected = 0;
};

} // namespace testloop
