#include "link/PortNames.h"

#include <QFile>

namespace testloop {

QString resolvePortName(int comPort, const QString &overrideDevice,
                        const std::function<bool(const QString &)> &exists)
{
#ifdef Q_OS_WIN
    Q_UNUSED(overrideDevice);
    Q_UNUSED(exists);
    return comPort >= 1 ? QStringLiteral("COM%1").arg(comPort) : QString();
#else
    if (!overrideDevice.isEmpty())
        return overrideDevice;
    if (comPort < 1)
        return {};
    const auto deviceExists
        = exists ? exists : [](const QString &path) { return QFile::exists(path); };
    const int index = comPort - 1;
    const QString candidates[] = {
        QStringLiteral("/dev/ttyUSB%1").arg(index),
        QStringLiteral("/dev/ttyACM%1").arg(index),
        QStringLiteral("/dev/ttyS%1").arg(index),
    };
    for (const QString &candidate : candidates) {
        if (deviceExists(candidate))
            return candidate;
    }
    return candidates[0];
#endif
}

} // namespace testloop
