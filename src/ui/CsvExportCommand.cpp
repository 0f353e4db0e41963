#include "ui/CsvExportCommand.h"

#include "loopdata/SharedState.h"
#include "scan/Prompts.h"
#include "storage/CsvExport.h"
#include "storage/SafeFileWriter.h"
#include "ui/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QWidget>

namespace testloop {

CsvExportCommand::CsvExportCommand(const LoopData &data, const SharedState &state,
                                   const CommunicationCounters &counters, Prompts &prompts,
                                   FileChooser chooser, QWidget *parent)
    : QObject(parent)
    , m_data(data)
    , m_state(state)
    , m_counters(counters)
    , m_prompts(prompts)
    , m_chooser(chooser ? std::move(chooser) : FileChooser(&CsvExportCommand::chooseWithDialog))
    , m_parentWidget(parent)
{ }

QString CsvExportCommand::chooseWithDialog(QWidget *parent, const QString &lastName)
{
    QFileDialog dialog(parent);
    configureSaveDialog(dialog, QStringLiteral("CSV (*.csv)"), QStringLiteral("csv"), lastName);
    return runFileDialog(dialog);
}

void CsvExportCommand::exportCsv()
{
    const QString path = m_chooser(m_parentWidget, m_lastName);
    if (path.isEmpty())
        return;
    m_lastName = path;
    const QString shown = QDir::toNativeSeparators(path);
    const QByteArray bytes = testloop::exportCsv(m_data, m_state.settings, m_counters);
    if (const std::optional<SafeWriteFailure> failure = writeFileSafely(path, bytes)) {
        m_prompts.showMessage(QStringLiteral("Le letture non sono state esportate: impossibile %1 "
                                             "il file %2 (%3). Un eventuale file precedente resta "
                                             "invariato.")
                                  .arg(failedStageVerb(failure->stage), shown, failure->reason),
                              QString(), Prompts::Icon::Critical);
        return;
    }
    m_prompts.showMessage(QStringLiteral("Letture esportate su file ") + shown, QString(),
                          Prompts::Icon::None);
}

} // namespace testloop
