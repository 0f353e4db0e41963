#pragma once

class QCoreApplication;

namespace testloop {

// Qt's own Italian for its standard buttons and dialogs (Sì / No, Annulla, Salva, Apri,
// Stampa), from the system's Qt translations. False when they are not installed; the
// program's own texts are Italian anyway.
bool installItalianTranslations(QCoreApplication &application);

} // namespace testloop
