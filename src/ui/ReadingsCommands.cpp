#include "ui/ReadingsCommands.h"

#include "loopdata/LoopTables.h"
#include "scan/Prompts.h"
#include "storage/ReadingsFile.h"
#include "ui/FileDialogs.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QWidget>

namespace testloop {

ReadingsCommands::ReadingsCommands(LoopData &data, Prompts &prompts, FileChooser chooser,
                                   QWidget *parent)
    : QObject(parent)
    , m_data(data)
    , m_prompts(prompts)
    , m_chooser(chooser ? std::move(chooser) : FileChooser(&ReadingsCommands::chooseWithDialog))
    , m_parentWidget(parent)
{ }

void ReadingsCommands::configureDialog(QFileDialog &dialog, DialogKind kind,
                                       const QString &lastName)
{
    const QStringList filters
        = {QStringLiteral("Tutti i file (*.*)"), QStringLiteral("log file (*.log)")};
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters[1]);
    dialog.setDefaultSuffix(QString());
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (kind == DialogKind::Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (!lastName.isEmpty())
        dialog.selectFile(lastName);
}

QString ReadingsCommands::chooseWithDialog(QWidget *parent, DialogKind kind,
                                           const QString &lastName)
{
    QFileDialog dialog(parent);
    configureDialog(dialog, kind, lastName);
    return runFileDialog(dialog);
}

QString ReadingsCommands::choose(DialogKind kind)
{
    const QString name = m_chooser(m_parentWidget, kind, m_lastName);
    if (!name.isEmpty())
        m_lastName = name;
    return name;
}

void ReadingsCommands::save()
{
    const QString name = choose(DialogKind::Save);
    if (name.isEmpty())
        return;
    if (const std::optional<QString> failure
        = saveReadingsFile(name, m_data, QDateTime::currentDateTime())) {
        m_prompts.showMessage(*failure, QString(), Prompts::Icon::Critical);
        return;
    }
    m_prompts.showMessage(QStringLiteral("Dati salvati su file ") + QDir::toNativeSeparators(name),
                          QString(), Prompts::Icon::None);
}

void ReadingsCommands::load()
{
    const QString name = choose(DialogKind::Open);
    if (name.isEmpty())
        return;
    const ReadingsLoad read = loadReadingsFile(name);
    if (!read.image) {
        m_prompts.showMessage(read.error, QString(), Prompts::Icon::Warning);
        return;
    }
    read.image->applyTo(m_data);
    QString text = QStringLiteral("Dati caricati da file ") + QDir::toNativeSeparators(name);
    if (!read.warning.isEmpty())
        text += QStringLiteral("\n\n") + read.warning;
    m_prompts.showMessage(text, QString(),
                          read.warning.isEmpty() ? Prompts::Icon::None : Prompts::Icon::Warning);
    emit loaded();
}

} // namespace testloop
