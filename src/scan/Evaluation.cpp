#include "scan/Evaluation.h"

#include "loopdata/NumberText.h"

namespace testloop {

namespace {

bool isConflict(int current)
{
    return current >= 20 && current < 100;
}

// Third caption line: the current draw, marked X2 for a conflict, absent from 100 up.
QString currentLine(int current)
{
    if (isConflict(current))
        return QStringLiteral("\n[") + plainForm(current) + QStringLiteral("] X2");
    if (current < 100)
        return QStringLiteral("\n[") + plainForm(current) + QStringLiteral("] ");
    return {};
}

// Strict comparisons on whole numbers: lower + 2 <= A <= upper. Formed in int, so an upper
// limit of 32767 cannot overflow.
bool inRange(int analogue, const Thresholds &limits)
{
    return analogue - 1 > limits.lower && analogue < int(limits.upper) + 1;
}

QString caption(int address, int analogue, int current)
{
    return QStringLiteral("N ") + plainForm(address) + u'\n' + QStringLiteral("VA")
        + plainForm(analogue) + currentLine(current);
}

// "Sensore N°" + address + " Tipo:" + type + " Zona:" + zone + " <" + description + ">".
QString describe(const QString &addressText, const DeviceDescription &device)
{
    return QStringLiteral("Sensore N°") + addressText + QStringLiteral(" Tipo:") + device.type
        + QStringLiteral(" Zona:") + printForm(device.zone) + QStringLiteral(" <") + device.text
        + u'>';
}

} // namespace

ButtonView EvaluateSensor(int address, qint16 analogue, qint16 current, const Thresholds &limits)
{
    ButtonView view;
    view.colour = analogue < limits.fault ? ButtonColour::Red : ButtonColour::Yellow;
    if (inRange(analogue, limits))
        view.colour = ButtonColour::Green;
    view.toolTip = QStringLiteral("N°") + printForm(address);
    if (isConflict(current)) {
        view.colour = ButtonColour::White;
        view.toolTip += ConflictText;
    }
    view.caption = caption(address, analogue, current);
    return view;
}

ButtonView EvaluateModule(int address, const QString &loop, qint16 analogue, qint16 current,
                          const Thresholds &limits)
{
    const QString verdict
        = QStringLiteral("MODULO N°") + printForm(address) + QStringLiteral(" LOOP ") + loop;
    ButtonView view;
    view.colour = ButtonColour::Yellow;
    view.toolTip = verdict + QStringLiteral(" FUORI DAI PARAMETRI");
    if (analogue < limits.fault || analogue == 0) {
        view.colour = ButtonColour::Red;
        view.toolTip = verdict + QStringLiteral(" GUASTO");
    }
    if (inRange(analogue, limits)) {
        view.colour = ButtonColour::Green;
        view.toolTip = verdict + QStringLiteral(" OK");
    }
    if (isConflict(current)) {
        view.colour = ButtonColour::White;
        view.toolTip += ConflictText;
    }
    view.caption = caption(address, analogue, current);
    return view;
}

std::optional<ButtonView> EvaluateSensorTest(int address, QStringView resultCode,
                                             const DeviceDescription &device)
{
    // The address in plain form here ("Sensore N°5"), in print form in the test-mode redraw.
    const QString described = describe(plainForm(address), device);
    if (resultCode == u"TY") {
        return ButtonView {ButtonColour::Green, plainForm(address) + QStringLiteral("\nOK"),
                           described + QStringLiteral(" TEST SENSORE OK")};
    }
    if (resultCode == u"TN") {
        return ButtonView {ButtonColour::Red, plainForm(address) + QStringLiteral("\nFAIL !"),
                           described + QStringLiteral(" TEST SENSORE FALLITO")};
    }
    return std::nullopt;
}

ButtonView testModeView(int address, const DeviceDescription &device)
{
    return ButtonView {ButtonColour::ButtonFace, printForm(address),
                       describe(printForm(address), device)};
}

} // namespace testloop
