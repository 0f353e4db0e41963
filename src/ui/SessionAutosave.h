#pragma once

#include "scan/Timings.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

namespace testloop {

class CommunicationCounters;
class ConfigurationDownload;
class ScanCycle;
struct LoopData;

// Keeps what the session has gathered safe from a crash: every table and the communication
// counters are saved, atomically, once an autosave interval (a minute) while a scan runs, at
// every stop and at the end of a download. A clean exit removes the file; after a crash or a
// kill it is still there for the next start to offer.
class SessionAutosave : public QObject
{
    Q_OBJECT
public:
    // The file in the user's application data folder.
    static QString defaultPath();

    SessionAutosave(const QString &path, LoopData &data, CommunicationCounters &counters,
                    ScanCycle &cycle, ConfigurationDownload &download, Timings timings,
                    QObject *parent = nullptr);

    const QString &path() const { return m_path; }
    // When the session left behind by an earlier run was taken; nothing when there is none
    // (or what is there is not a whole session).
    std::optional<QDateTime> leftBehind() const;
    // Takes the session left behind into the tables and counters; false when it cannot.
    bool restore();
    // Removes the saved session: the user declined it, or the program ends cleanly.
    void discard();
    // Saves now; false (and failed() told) when the file could not be written.
    bool save();

signals:
    // The session could not be saved, in Italian.
    void failed(const QString &reason);

private:
    void activityChanged();

    QString m_path;
    LoopData &m_data;
    CommunicationCounters &m_counters;
    ScanCycle &m_cycle;
    QTimer m_timer;
    bool m_wasRunning = false;
};

} // namespace testloop
