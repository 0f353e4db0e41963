#include "config/BoardCodeCheck.h"

namespace testloop {

std::optional<QString> boardCodeProblem(QStringView code)
{
    const auto refused = [](const QString &why) {
        return QStringLiteral("Codice scheda non accettato: %1. Il codice non potrebbe essere "
                              "salvato e riletto uguale dal file di configurazione.")
            .arg(why);
    };
    if (!code.isEmpty() && (code.front() == u' ' || code.front() == u'\t'))
        return refused(QStringLiteral("non può iniziare con uno spazio"));
    if (code.startsWith(u'"'))
        return refused(QStringLiteral("non può iniziare con le virgolette (\")"));
    for (const QChar c : code) {
        if (c == u',')
            return refused(QStringLiteral("non può contenere virgole"));
        if (c == u'\r' || c == u'\n')
            return refused(QStringLiteral("deve stare su una sola riga"));
        if (c.unicode() > 0xFF)
            return refused(QStringLiteral("il carattere \"%1\" non è ammesso").arg(c));
    }
    return std::nullopt;
}

} // namespace testloop
