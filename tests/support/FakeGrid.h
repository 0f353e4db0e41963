#pragma once

#include "scan/DeviceGrid.h"

#include <QList>
#include <QString>

#include <array>

// Records what the scan cycle paints on each of the 99 device buttons.
class FakeGrid : public testloop::DeviceGrid
{
public:
    using Colour = testloop::ButtonColour;
    struct Button
    {
        QString caption;
        Colour colour = Colour::ButtonFace;
        QString toolTip;
        bool visible = true;
        bool marked = false;
        QStringList captions; // every caption in the order it was set
    };

    void setCaption(int address, const QString &caption) override
    {
        button(address).caption = caption;
        button(address).captions.append(caption);
    }
    void setColour(int address, Colour colour) override { button(address).colour = colour; }
    void setToolTip(int address, const QString &text) override { button(address).toolTip = text; }
    void setVisible(int address, bool visible) override { button(address).visible = visible; }
    void setMarked(int address, bool marked) override { button(address).marked = marked; }

    const Button &at(int address) const { return buttons[std::size_t(address - 1)]; }

    std::array<Button, 99> buttons;
    Button outside; // whatever is painted beyond 1..99

private:
    Button &button(int address)
    {
        return address >= 1 && address <= 99 ? buttons[std::size_t(address - 1)] : outside;
    }
};
