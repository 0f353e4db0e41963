#include "ui/DeviceGridWidget.h"

#include "loopdata/NumberText.h"
#include "ui/DeviceButton.h"
#include "ui/GridGeometry.h"

#include <algorithm>

namespace testloop {

DeviceGridWidget::DeviceGridWidget(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("DeviceGrid"));
    for (int address = 1; address <= ButtonCount; ++address) {
        auto *button = new DeviceButton(address, this);
        button->hide();
        connect(button, &DeviceButton::clicked, this, [this, address] { emit clicked(address); });
        // A right click asks for the device's details; a button takes no right click of its
        // own, so the left click keeps its meaning.
        button->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(button, &QWidget::customContextMenuRequested, this,
                [this, address] { emit detailRequested(address); });
        m_buttons[std::size_t(address - 1)] = button;
    }
}

void DeviceGridWidget::layOut(const GridGeometry &geometry)
{
    // The captions keep the size they were designed with up to the cells of a 1024 x 768
    // screen, and grow with larger cells so that they stay readable on a large screen.
    constexpr double DesignCellHeight = 1152; // twips: a tenth of 768 pixels
    const double growth = std::max(1.0, geometry.cell(1).height() / DesignCellHeight);
    QFont caption = DeviceButton::captionFont();
    caption.setPointSizeF(caption.pointSizeF() * growth);
    QRect bounds;
    for (int address = 1; address <= ButtonCount; ++address) {
        const QRect cell = twipsToPixels(geometry.cell(address), logicalDpiX(), logicalDpiY());
        button(address)->setGeometry(cell);
        button(address)->setFont(caption);
        bounds |= cell;
    }
    setGeometry(0, 0, qMax(bounds.right() + 1, 0), qMax(bounds.bottom() + 1, 0));
}

void DeviceGridWidget::showAddresses()
{
    for (int address = 1; address <= ButtonCount; ++address) {
        setVisible(address, true);
        setCaption(address, printForm(address));
        setToolTip(address, QStringLiteral("N°") + printForm(address));
    }
}

DeviceButton *DeviceGridWidget::button(int address) const
{
    if (address < 1 || address > ButtonCount)
        return nullptr;
    return m_buttons[std::size_t(address - 1)];
}

void DeviceGridWidget::setCaption(int address, const QString &caption)
{
    if (DeviceButton *target = button(address))
        target->setText(caption);
}

void DeviceGridWidget::setColour(int address, ButtonColour colour)
{
    if (DeviceButton *target = button(address))
        target->setColour(colour);
}

void DeviceGridWidget::setToolTip(int address, const QString &toolTip)
{
    // Setting a tooltip sends an event even when it does not change, which a redraw of the
    // whole grid would pay 99 times over.
    if (DeviceButton *target = button(address); target && target->toolTip() != toolTip)
        target->setToolTip(toolTip);
}

void DeviceGridWidget::setVisible(int address, bool visible)
{
    if (DeviceButton *target = button(address))
        target->setVisible(visible);
}

void DeviceGridWidget::setMarked(int address, bool marked)
{
    if (DeviceButton *target = button(address))
        target->setMarked(marked);
}

void DeviceGridWidget::select(int address)
{
    if (DeviceButton *previous = button(m_selected))
        previous->setSelected(false);
    m_selected = button(address) ? address : 0;
    if (DeviceButton *chosen = button(m_selected))
        chosen->setSelected(true);
}

} // namespace testloop
