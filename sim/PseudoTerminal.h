#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;

namespace testloop::sim {

// The master side of a pseudo-terminal, read and written without ever blocking. The slave
// (the device the program opens) is opened here too, in raw mode, and held for as long as the
// terminal is open: the program closing its port after a reply then never hangs up the line.
class PseudoTerminal : public QObject
{
    Q_OBJECT

public:
    explicit PseudoTerminal(QObject *parent = nullptr);
    ~PseudoTerminal() override;

    // linkPath, when not empty, becomes a symbolic link to the device; an existing symbolic
    // link there is replaced, anything else there is an error.
    bool open(const QString &linkPath, QString *error);
    // Closes both sides and removes the link (if it still points to this device).
    void close();

    bool isOpen() const { return m_master >= 0; }
    QString devicePath() const { return m_devicePath; }
    QString linkPath() const { return m_linkPath; }

    // Queues the bytes and writes what the line takes now; the rest goes out when it can.
    void write(const QByteArray &bytes);
    qsizetype pendingWriteSize() const { return m_pending.size(); }

signals:
    void bytesRead(const QByteArray &bytes);
    // Each piece as it went into the terminal.
    void bytesWritten(const QByteArray &bytes);
    // Something unusual for the log: an I/O error, discarded bytes.
    void problem(const QString &message);

private:
    bool openDevice(QString *error);
    bool createLink(const QString &linkPath, QString *error);
    void removeLink();
    void onReadable();
    void flush();

    int m_master = -1;
    int m_slave = -1;
    QString m_devicePath;
    QString m_linkPath;
    QByteArray m_pending;
    QSocketNotifier *m_reader = nullptr;
    QSocketNotifier *m_writer = nullptr;
    QTimer m_readRetry;
};

} // namespace testloop::sim
