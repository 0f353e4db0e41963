#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace testloop::sim {

// A text log of the traffic, one line per event, each starting with a local ISO timestamp
// with milliseconds. Lines are flushed as written so the log can be followed live.
class ExchangeLog
{
public:
    // Appends to the file.
    bool open(const QString &path, QString *error);
    void close();
    bool isOpen() const { return m_file.isOpen(); }

    void write(const QString &text);

    // The bytes as text, with anything unprintable as \xNN.
    static QString printable(const QByteArray &bytes);

private:
    QFile m_file;
};

} // namespace testloop::sim
