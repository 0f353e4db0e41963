#include "config/ConfigurationFile.h"

#include "loopdata/NumberText.h"
#include "storage/SafeFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QStringView>

#include <array>

namespace testloop {

namespace {

constexpr int FieldsPerRecord = 9;
constexpr int BoardCodeField = 1;

// One setting as it sits in the file: its member (none for the board code, the only text) and
// the name the user reads in the messages.
struct SettingField
{
    qint16 Settings::*number;
    QStringView name;
};

// File order.
const std::array<SettingField, FieldsPerRecord> SettingFields = {{
    {&Settings::ComPort, u"porta seriale"},
    {nullptr, u"codice scheda"},
    {&Settings::FaultRetries, u"numero di chiamate se guasto"},
    {&Settings::GMMax, u"soglia di guasto moduli"},
    {&Settings::VaSMax, u"limite superiore sensori"},
    {&Settings::VaSMin, u"limite inferiore sensori"},
    {&Settings::GSMax, u"soglia di guasto sensori"},
    {&Settings::VaMMax, u"limite superiore moduli"},
    {&Settings::VaMMin, u"limite inferiore moduli"},
}};

// One field of the file: the bytes between its start and the comma or line end that closes
// it, the value they carry (for the board code: leading blanks and quotes removed) and the
// 1-based line it sits on.
struct Field
{
    QByteArray raw;
    QByteArray value;
    int line = 0;
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

QByteArray trimBlanks(const QByteArray &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

bool isBlankField(const Field &field)
{
    return trimBlanks(field.raw).isEmpty();
}

// Splits the contents into fields. A field ends at a comma or at the end of its line; CR LF,
// a lone LF and a lone CR all end a line. Whether a field is the board code depends on its
// position, so the split runs in order: the board code may be quoted, and a comma inside the
// quotes then belongs to it. The quotes never reach past the end of the line.
QList<Field> splitFields(const QByteArray &bytes)
{
    QList<Field> fields;
    const qsizetype size = bytes.size();
    qsizetype pos = 0;
    int line = 1;
    bool fieldDue = false; // a comma promises one more field, even at the end of the file
    while (pos < size || fieldDue) {
        Field field;
        field.line = line;
        const qsizetype start = pos;
        qsizetype end = pos;
        bool quoted = false;
        qsizetype valueStart = pos;
        if (fields.size() % FieldsPerRecord == BoardCodeField) {
            while (valueStart < size && isBlank(bytes[valueStart]))
                ++valueStart;
            end = valueStart;
            if (valueStart < size && bytes[valueStart] == '"') {
                quoted = true;
                qsizetype close = valueStart + 1;
                while (close < size && bytes[close] != '"' && !isLineEnd(bytes[close]))
                    ++close;
                field.value = bytes.mid(valueStart + 1, close - valueStart - 1);
                // Whatever follows the closing quote up to the end of the field is dropped.
                end = close < size && bytes[close] == '"' ? close + 1 : close;
            }
        }
        while (end < size && bytes[end] != ',' && !isLineEnd(bytes[end]))
            ++end;
        field.raw = bytes.mid(start, end - start);
        if (!quoted)
            field.value = bytes.mid(valueStart, end - valueStart);
        fields.append(field);

        pos = end;
        fieldDue = false;
        if (pos < size && bytes[pos] == ',') {
            ++pos;
            fieldDue = true;
        } else if (pos < size) {
            pos += bytes[pos] == '\r' && pos + 1 < size && bytes[pos + 1] == '\n' ? 2 : 1;
            ++line;
        }
    }
    return fields;
}

// A 16-bit signed number: after the blanks around it, an optional sign followed by decimal
// digits and nothing else.
std::optional<qint16> parseNumber(const QByteArray &text)
{
    const QByteArray trimmed = trimBlanks(text);
    qsizetype pos = 0;
    bool negative = false;
    if (pos < trimmed.size() && (trimmed[pos] == '-' || trimmed[pos] == '+')) {
        negative = trimmed[pos] == '-';
        ++pos;
    }
    if (pos == trimmed.size())
        return std::nullopt;
    qint64 magnitude = 0;
    for (; pos < trimmed.size(); ++pos) {
        const char c = trimmed[pos];
        if (c < '0' || c > '9')
            return std::nullopt;
        // Stop growing once out of range so that a long run of digits cannot overflow.
        if (magnitude <= 32768)
            magnitude = magnitude * 10 + (c - '0');
    }
    const qint64 value = negative ? -magnitude : magnitude;
    if (value < -32768 || value > 32767)
        return std::nullopt;
    return qint16(value);
}

QString defaultValueText(int index)
{
    static const Settings defaults;
    const SettingField &setting = SettingFields[size_t(index)];
    return setting.number ? QString::number(defaults.*setting.number) : defaults.BoardCode;
}

// "porta seriale 1, codice scheda j00, ..." for the settings first..last (file positions).
QString defaultsList(int first, int last)
{
    QStringList items;
    for (int index = first; index <= last; ++index)
        items.append(SettingFields[size_t(index)].name.toString() + u' ' + defaultValueText(index));
    return items.join(QStringLiteral(", "));
}

QString allDefaultsList()
{
    return defaultsList(0, FieldsPerRecord - 1);
}

// "riga 5", "righe 5 e 6", "righe da 5 a 9".
QString lineRange(int first, int last)
{
    if (first == last)
        return QStringLiteral("riga %1").arg(first);
    if (last == first + 1)
        return QStringLiteral("righe %1 e %2").arg(first).arg(last);
    return QStringLiteral("righe da %1 a %2").arg(first).arg(last);
}

// Puts count fields, from fields[first] on, into the settings in file order (a whole record or
// the start of one). A number that cannot be read leaves the default in place and is reported.
void applyRecord(ConfigurationRead &result, const QList<Field> &fields, qsizetype first,
                 qsizetype count, const QString &fileName)
{
    for (qsizetype offset = 0; offset < count; ++offset) {
        const Field &field = fields[first + offset];
        const int index = int(offset);
        const SettingField &setting = SettingFields[size_t(index)];
        if (!setting.number) {
            // Every request carries the code at fixed positions: only three characters fit.
            if (field.value.size() == BoardCodeLength) {
                result.settings.BoardCode = QString::fromLatin1(field.value);
                continue;
            }
            result.problems.append(
                QStringLiteral("%1, riga %2 (%3): il codice deve avere %4 caratteri, ne ha %5; "
                               "si usa il valore predefinito %6.")
                    .arg(fileName, QString::number(field.line), setting.name.toString(),
                         QString::number(BoardCodeLength), QString::number(field.value.size()),
                         defaultValueText(index)));
            continue;
        }
        if (const std::optional<qint16> number = parseNumber(field.value)) {
            result.settings.*setting.number = *number;
            continue;
        }
        const QString found = QString::fromLatin1(trimBlanks(field.value));
        const QString what = found.isEmpty() ? QStringLiteral("nessun valore")
                                             : QStringLiteral("trovato \"%1\"").arg(found);
        result.problems.append(
            QStringLiteral("%1, riga %2 (%3): %4 al posto di un numero intero tra -32768 e "
                           "32767; si usa il valore predefinito %5.")
                .arg(fileName, QString::number(field.line), setting.name.toString(), what,
                     defaultValueText(index)));
    }
}

} // namespace

ConfigurationRead parseConfiguration(const QByteArray &bytes, const QString &fileName)
{
    ConfigurationRead result;
    result.found = true;

    QList<Field> fields = splitFields(bytes);
    // Blank lines at the end carry nothing: a hand-edited file often ends with one.
    while (!fields.isEmpty() && isBlankField(fields.last()))
        fields.removeLast();

    if (fields.isEmpty()) {
        result.problems.append(
            QStringLiteral("%1 non contiene alcun valore; si usano i valori predefiniti: %2.")
                .arg(fileName, allDefaultsList()));
        return result;
    }

    const qsizetype records = fields.size() / FieldsPerRecord;
    if (records == 0) {
        // Only part of a record: what is there counts, the rest keeps its default. The missing
        // values are named by the lines they would sit on.
        const qsizetype count = fields.size();
        applyRecord(result, fields, 0, count, fileName);
        const int firstMissing = fields.last().line + 1;
        const int lastMissing = firstMissing + int(FieldsPerRecord - count) - 1;
        if (firstMissing == lastMissing) {
            result.problems.append(
                QStringLiteral("%1 è incompleto: manca il valore della %2 (%3); si usa il "
                               "valore predefinito %4.")
                    .arg(fileName, lineRange(firstMissing, lastMissing),
                         SettingFields[size_t(count)].name.toString(),
                         defaultValueText(int(count))));
        } else {
            result.problems.append(
                QStringLiteral("%1 è incompleto: mancano i valori delle %2; si usano i "
                               "valori predefiniti: %3.")
                    .arg(fileName, lineRange(firstMissing, lastMissing),
                         defaultsList(int(count), FieldsPerRecord - 1)));
        }
        return result;
    }

    // Each record is read over the previous one, so the last complete record is in force.
    const qsizetype first = (records - 1) * FieldsPerRecord;
    applyRecord(result, fields, first, FieldsPerRecord, fileName);

    const qsizetype rest = records * FieldsPerRecord;
    if (rest < fields.size()) {
        result.problems.append(
            QStringLiteral("%1, %2: valori in più che non formano una configurazione "
                           "completa di nove valori; sono stati ignorati e vale l'ultima "
                           "configurazione completa (%3).")
                .arg(fileName, lineRange(fields[rest].line, fields.last().line),
                     lineRange(fields[first].line, fields[rest - 1].line)));
    }
    return result;
}

QByteArray formatConfiguration(const Settings &settings)
{
    QByteArray bytes;
    for (const SettingField &setting : SettingFields) {
        if (setting.number)
            bytes += (printForm(settings.*setting.number) + u' ').toLatin1();
        else
            bytes += settings.BoardCode.toLatin1();
        bytes += "\r\n";
    }
    return bytes;
}

ConfigurationRead LoadConfiguration(const QString &path)
{
    const QFileInfo info(path);
    const QString fileName = info.fileName();
    if (!info.exists()) {
        ConfigurationRead result;
        result.problems.append(
            QStringLiteral("Il file di configurazione %1 non è stato trovato in %2. Si usano i "
                           "valori predefiniti: %3. Il file sarà scritto al salvataggio della "
                           "configurazione.")
                .arg(fileName, QDir::toNativeSeparators(info.absolutePath()), allDefaultsList()));
        return result;
    }

    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        ConfigurationRead result;
        result.found = file.isOpen();
        result.problems.append(
            QStringLiteral("Il file di configurazione %1 non può essere letto (%2). Si usano i "
                           "valori predefiniti: %3.")
                .arg(QDir::toNativeSeparators(info.absoluteFilePath()), file.errorString(),
                     allDefaultsList()));
        return result;
    }
    return parseConfiguration(bytes, fileName);
}

std::optional<QString> SaveConfiguration(const Settings &settings, const QString &path)
{
    const QString shownPath = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    const auto failure = [&shownPath](const QString &action, const QString &reason) {
        return QStringLiteral("La configurazione non è stata salvata: impossibile %1 il file %2 "
                              "(%3). Un eventuale file precedente resta invariato.")
            .arg(action, shownPath, reason);
    };

    if (const auto failed = writeFileSafely(path, formatConfiguration(settings)))
        return failure(failedStageVerb(failed->stage), failed->reason);
    return std::nullopt;
}

} // namespace testloop
