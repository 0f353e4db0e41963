#pragma once

#include "scan/DeviceGrid.h"

#include <QList>
#include <QString>

#include <array>

// Records what the scan cycle paints on each of the 99 device buttons.
class FakeGrid : public testloop::DeviceGrid
{
public:
    struct Button
    {
        QString caption;
        testloop::ButtonColour colour = testloop::ButtonColour::ButtonFace;
        QString toolTip;
        bool visible = true;
        bool marked = false;
        QStringList captions; // every caption in the order it was set
    };

    void setCaption(int address, const QString &caption) override
    {
        if (Button *b = button(address)) {
            b->caption = caption;
            b->captions.append(caption);
        }
    }
    void setColour(int address, testloop::ButtonColour colour) override
    {
        if (Button *b = button(address))
            b->colour = colour;
    }
    void setToolTip(int address, const QString &toolTip) override
    {
        if (Button *b = button(address))
            b->toolTip = toolTip;
    }
    void setVisible(int address, bool visible) override
    {
        if (Button *b = button(address))
            b->visible = visible;
    }
    void setMarked(int address, bool marked) override
    {
        if (Button *b = button(address))
            b->marked = marked;
    }

    const Button &at(int address) const { return buttons[std::size_t(address - 1)]; }

    std::array<Button, 99> buttons;

private:
    Button *button(int address)
    {
        return address >= 1 && address <= 99 ? &buttons[std::size_t(address - 1)] : nullptr;
    }
};
