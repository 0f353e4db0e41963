#include "ui/ItalianTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace testloop {

bool installItalianTranslations(QCoreApplication &application)
{
    auto *translator = new QTranslator(&application);
    const QLocale italian(QLocale::Italian, QLocale::Italy);
    if (!translator->load(italian, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace testloop
