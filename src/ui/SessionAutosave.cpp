#include "ui/SessionAutosave.h"

#include "scan/CommunicationCounters.h"
#include "scan/ConfigurationDownload.h"
#include "scan/ScanCycle.h"
#include "storage/SafeFileWriter.h"
#include "storage/SessionSnapshot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace testloop {

namespace {

std::optional<SessionSnapshot> readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return readSession(file.readAll());
}

} // namespace

QString SessionAutosave::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
        + QStringLiteral("/sessione-interrotta.tlsession");
}

SessionAutosave::SessionAutosave(const QString &path, LoopData &data,
                                 CommunicationCounters &counters, ScanCycle &cycle,
                                 ConfigurationDownload &download, Timings timings, QObject *parent)
    : QObject(parent)
    , m_path(path.isEmpty() ? defaultPath() : path)
    , m_data(data)
    , m_counters(counters)
    , m_cycle(cycle)
{
    m_timer.setInterval(timings.autosave);
    connect(&m_timer, &QTimer::timeout, this, &SessionAutosave::save);
    connect(&m_cycle, &ScanCycle::activityChanged, this, &SessionAutosave::activityChanged);
    connect(&download, &ConfigurationDownload::ended, this, &SessionAutosave::save);
}

// Saving goes on once a minute while the scan runs; when it stops, once more.
void SessionAutosave::activityChanged()
{
    const bool running = m_cycle.isRunning();
    if (running && !m_timer.isActive())
        m_timer.start();
    if (!running && m_wasRunning) {
        m_timer.stop();
        save();
    }
    m_wasRunning = running;
}

bool SessionAutosave::save()
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    const QByteArray bytes = writeSession(m_data, m_counters, QDateTime::currentDateTimeUtc());
    if (const std::optional<SafeWriteFailure> failure = writeFileSafely(m_path, bytes)) {
        emit failed(QStringLiteral("Salvataggio automatico non riuscito: impossibile %1 il file "
                                   "%2 (%3)")
                        .arg(failedStageVerb(failure->stage), QDir::toNativeSeparators(m_path),
                             failure->reason));
        return false;
    }
    return true;
}

std::optional<QDateTime> SessionAutosave::leftBehind() const
{
    if (const std::optional<SessionSnapshot> snapshot = readFile(m_path))
        return snapshot->taken;
    return std::nullopt;
}

bool SessionAutosave::restore()
{
    std::optional<SessionSnapshot> snapshot = readFile(m_path);
    if (!snapshot || !m_counters.restore(snapshot->counters))
        return false;
    m_data = *snapshot->data;
    return true;
}

void SessionAutosave::discard()
{
    m_timer.stop();
    QFile::remove(m_path);
}

} // namespace testloop
