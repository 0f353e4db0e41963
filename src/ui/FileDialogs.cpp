#include "ui/FileDialogs.h"

#include <QFileDialog>

namespace testloop {

void configureSaveDialog(QFileDialog &dialog, const QString &filter, const QString &suffix,
                         const QString &lastName)
{
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(suffix);
    if (!lastName.isEmpty())
        dialog.selectFile(lastName);
}

QString runFileDialog(QFileDialog &dialog)
{
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

} // namespace testloop
