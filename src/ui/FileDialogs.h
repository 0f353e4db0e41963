#pragma once

#include <QString>

class QFileDialog;

namespace testloop {

// Sets up a dialog that asks where to save one kind of file: its name filter, the suffix added
// to a name typed without one, the last name filled in. It asks before replacing a file.
void configureSaveDialog(QFileDialog &dialog, const QString &filter, const QString &suffix,
                         const QString &lastName);
// Runs the dialog: the file chosen, or nothing when it was cancelled.
QString runFileDialog(QFileDialog &dialog);

} // namespace testloop
