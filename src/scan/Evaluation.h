#pragma once

#include "scan/ButtonColour.h"

#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <optional>

namespace testloop {

// What one device button shows.
struct ButtonView
{
    ButtonColour colour = ButtonColour::ButtonFace;
    QString caption;
    QString toolTip;

    friend bool operator==(const ButtonView &, const ButtonView &) = default;
};

// A fault threshold and the lower and upper limits of the range, in stored reading units.
struct Thresholds
{
    qint16 fault = 0;
    qint16 lower = 0;
    qint16 upper = 0;
};

// The text warning of two devices answering at one address.
inline const QString ConflictText = QStringLiteral(" CONFLITTO INDIRIZZI");

// A sensor reading A with current draw I at an address. Colour precedence: white for an address
// conflict (20 <= I < 100), then green inside the range (lower + 2 <= A <= upper), then red
// below the fault threshold, else yellow. The tooltip is "N°" and the address in print form,
// with the conflict text appended once when there is a conflict.
ButtonView EvaluateSensor(int address, qint16 analogue, qint16 current, const Thresholds &limits);

// A module reading: as a sensor, except that it starts from yellow, a reading of 0 is always a
// fault, and the tooltip carries the verdict "MODULO N° a LOOP l" + " OK" / " GUASTO" /
// " FUORI DAI PARAMETRI".
ButtonView EvaluateModule(int address, const QString &loop, qint16 analogue, qint16 current,
                          const Thresholds &limits);

// What the panel's configuration says of a sensor, for the test tooltips.
struct DeviceDescription
{
    QString type;
    qint16 zone = 0;
    QString text;
};

// A test reply's result code "TY" (passed) or "TN" (failed), compared exactly; nothing for any
// other code, which leaves the button as it was.
std::optional<ButtonView> EvaluateSensorTest(int address, QStringView resultCode,
                                             const DeviceDescription &device);

// The button of a sensor in test mode before it is tested: the address in print form and the
// device's description, on the button face colour.
ButtonView testModeView(int address, const DeviceDescription &device);

} // namespace testloop
