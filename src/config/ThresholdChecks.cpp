#include "config/ThresholdChecks.h"

#include "loopdata/NumberText.h"

#include <limits>

namespace testloop {

namespace {

// One device kind's three boxes and the messages of its three checks.
struct KindChecks
{
    ThresholdBox fault;
    ThresholdBox lower;
    ThresholdBox upper;
    QStringView faultMessage;
    QStringView lowerMessage;
    QStringView upperMessage;
};

const std::array<KindChecks, 2> Kinds = {{
    {ThresholdBox::SensorFault, ThresholdBox::SensorLower, ThresholdBox::SensorUpper,
     u"Bad Range GSMAX", u"Bad Range VaSmin", u"Bad Range VaSmax"},
    {ThresholdBox::ModuleFault, ThresholdBox::ModuleLower, ThresholdBox::ModuleUpper,
     u"Bad Range GMMAX", u"Bad Range VaMmin", u"Bad Range VaMmax"},
}};

size_t index(ThresholdBox box)
{
    return size_t(box);
}

} // namespace

qint16 Settings::*thresholdSetting(ThresholdBox box)
{
    switch (box) {
    case ThresholdBox::SensorFault:
        return &Settings::GSMax;
    case ThresholdBox::SensorLower:
        return &Settings::VaSMin;
    case ThresholdBox::SensorUpper:
        return &Settings::VaSMax;
    case ThresholdBox::ModuleFault:
        return &Settings::GMMax;
    case ThresholdBox::ModuleLower:
        return &Settings::VaMMin;
    case ThresholdBox::ModuleUpper:
        break;
    }
    return &Settings::VaMMax;
}

std::optional<qint16> thresholdValue(QStringView text)
{
    const int whole = toWhole(numericValue(text));
    if (whole < std::numeric_limits<qint16>::min() || whole > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(whole);
}

ThresholdCheckResult checkThresholds(ThresholdTexts texts, const Settings &stored)
{
    ThresholdCheckResult result;
    const auto value = [&texts](ThresholdBox box) { return numericValue(texts[index(box)]); };
    const auto fits
        = [&texts](ThresholdBox box) { return thresholdValue(texts[index(box)]).has_value(); };
    const auto check = [&](bool failed, ThresholdBox box, QStringView message) {
        if (!failed)
            return;
        const QString restored = plainForm(stored.*thresholdSetting(box));
        texts[index(box)] = restored;
        result.failures.append({message.toString(), box, restored});
    };

    for (const KindChecks &kind : Kinds) {
        // Each condition reads the boxes afresh: an earlier check may have restored one.
        check(value(kind.lower) < value(kind.fault) || !fits(kind.fault), kind.fault,
              kind.faultMessage);
        check(value(kind.upper) < value(kind.lower) || value(kind.fault) > value(kind.lower)
                  || !fits(kind.lower),
              kind.lower, kind.lowerMessage);
        check(value(kind.lower) > value(kind.upper) || value(kind.upper) > HighestUpperLimit
                  || !fits(kind.upper),
              kind.upper, kind.upperMessage);
    }

    result.texts = texts;
    result.settings = stored;
    for (int box = 0; box < ThresholdBoxCount; ++box) {
        const auto which = ThresholdBox(box);
        // Every box fits here; the fallback only guards against a change to the checks above.
        result.settings.*thresholdSetting(which)
            = thresholdValue(texts[size_t(box)]).value_or(stored.*thresholdSetting(which));
    }
    return result;
}

} // namespace testloop
