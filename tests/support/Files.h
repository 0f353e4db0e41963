#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <csignal>
#include <sys/resource.h>

namespace testfiles {

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Runs write() with files limited to maxBytes (0: none): unlike permission bits, binds root too.
// Nothing may be checked or logged inside write(); false when the limit was not set or lifted.
template<typename Write> bool withFileSizeLimit(unsigned long maxBytes, Write write)
{
    rlimit saved {};
    if (getrlimit(RLIMIT_FSIZE, &saved) != 0)
        return false;
    const rlimit tight {rlim_t(maxBytes), saved.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const bool limited = maxBytes == 0 || setrlimit(RLIMIT_FSIZE, &tight) == 0;
    if (limited)
        write();
    const bool restored = setrlimit(RLIMIT_FSIZE, &saved) == 0;
    std::signal(SIGXFSZ, oldHandler);
    return limited && restored;
}

} // namespace testfiles
