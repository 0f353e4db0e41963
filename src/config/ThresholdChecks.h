#pragma once

#include "loopdata/Settings.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace testloop {

// The six threshold boxes of the configuration dialog, in the order they are checked.
enum class ThresholdBox {
    SensorFault, // GSMax
    SensorLower, // VaSMin
    SensorUpper, // VaSMax
    ModuleFault, // GMMax
    ModuleLower, // VaMMin
    ModuleUpper, // VaMMax
};

inline constexpr int ThresholdBoxCount = 6;
// The highest upper limit a box may hold.
inline constexpr double HighestUpperLimit = 4000;

// The texts of the six boxes, indexed by ThresholdBox.
using ThresholdTexts = std::array<QString, ThresholdBoxCount>;

// One failed check: the message shown to the user and the box put back to its stored value.
struct ThresholdFailure
{
    QString message;
    ThresholdBox box;
    QString restoredText;
};

// What OK finds: the failures in the order they are reported, the boxes as they stand after
// every restore, and the settings with the six thresholds taken from those boxes.
struct ThresholdCheckResult
{
    QList<ThresholdFailure> failures;
    ThresholdTexts texts;
    Settings settings;
};

// The setting a box holds.
qint16 Settings::*thresholdSetting(ThresholdBox box);

// The value a box stands for, rounded half to even; nothing when it does not fit in 16 signed
// bits. The box is read by its numeric value, so text with no leading number reads as 0.
std::optional<qint16> thresholdValue(QStringView text);

// The six checks run in order, each on the boxes as an earlier check left them. A failing
// check puts the stored value of its box back as plain decimal text. A box whose value does
// not fit in 16 signed bits fails its own check, so every box fits once all six have run and
// all six are then stored into a copy of the given settings.
ThresholdCheckResult checkThresholds(ThresholdTexts texts, const Settings &stored);

} // namespace testloop
