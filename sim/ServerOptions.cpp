#include "sim/ServerOptions.h"

namespace testloop::sim {

QString faultName(Fault fault)
{
    switch (fault) {
    case Fault::None:
        break;
    case Fault::Silence:
        return QStringLiteral("silence");
    case Fault::Late:
        return QStringLiteral("late");
    case Fault::Partial:
        return QStringLiteral("partial");
    case Fault::Garbage:
        return QStringLiteral("garbage");
    case Fault::OtherLoop:
        return QStringLiteral("other-loop");
    case Fault::OtherAddress:
        return QStringLiteral("other-address");
    }
    return QStringLiteral("none");
}

std::optional<Delivery> deliveryFromName(const QString &name)
{
    if (name == QStringLiteral("whole"))
        return Delivery::Whole;
    if (name == QStringLiteral("halves"))
        return Delivery::Halves;
    if (name == QStringLiteral("bytes"))
        return Delivery::ByteByByte;
    return std::nullopt;
}

} // namespace testloop::sim
