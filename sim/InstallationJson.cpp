#include "sim/Installation.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QStringList>

#include <cmath>

// Installation file format (JSON):
//
//   {
//     "loops": {
//       "1": {
//         "sensors": {
//           "5": {"type": 2, "zone": 3, "status": 0, "description": "UFFICIO 3",
//                 "analogue": 45, "current": 15, "noise": 2, "test": "TY"}
//         },
//         "modules": {
//           "8": {"type": 6, "zone": 4, "description": "PULSANTE SCALA A",
//                 "analogue": 8, "current": 15, "noise": 0}
//         }
//       },
//       "2": { ... }
//     }
//   }
//
// - "loops" is required; its keys are "1" and "2", each optional. A loop holds the optional
//   objects "sensors" and "modules", keyed by address "1".."99". Addresses not listed are empty.
// - Every device key is optional. Defaults and ranges:
//     type         2    whole number 1..7 (the type digit)
//     zone         1    0..99 (zone 0: not activated)
//     status       0    0..9, sensors only (status 2: not activated)
//     description  ""   at most 21 printable Latin-1 characters, blank-padded in replies
//     analogue     45   0..999 (the program shows ten times this value)
//     current      15   0..999 (20..99: two devices at one address)
//     noise        0    0..999; each reading is analogue +/- a uniform random amount up to this
//     test         "TY" exactly two printable ASCII characters, sensors only:
//                       "TY" passed, "TN" failed, anything else no result
// - Unknown keys are rejected, so a misspelt key is reported rather than ignored.

namespace testloop::sim {

namespace {

class Reader
{
public:
    explicit Reader(QString *error)
        : m_error(error)
    { }

    bool fail(const QStringList &path, const QString &message)
    {
        if (m_error)
            *m_error = path.isEmpty() ? message : path.join(u'.') + QStringLiteral(": ") + message;
        return false;
    }

    bool onlyKeys(const QStringList &path, const QJsonObject &object, const QStringList &allowed)
    {
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (!allowed.contains(it.key())) {
                return fail(path,
                            QStringLiteral("unknown key \"%1\" (expected one of: %2)")
                                .arg(it.key(), allowed.join(QStringLiteral(", "))));
            }
        }
        return true;
    }

    bool object(const QStringList &path, const QJsonValue &value, QJsonObject *out)
    {
        if (!value.isObject())
            return fail(path, QStringLiteral("must be a JSON object"));
        *out = value.toObject();
        return true;
    }

    bool whole(const QStringList &path, const QJsonObject &object, const QString &key, int low,
               int high, int *out)
    {
        if (!object.contains(key))
            return true;
        const QStringList here = path + QStringList {key};
        const QJsonValue value = object.value(key);
        const double number = value.toDouble();
        if (!value.isDouble() || std::floor(number) != number)
            return fail(here, QStringLiteral("must be a whole number"));
        if (number < low || number > high) {
            return fail(here,
                        QStringLiteral("%1 is out of range %2..%3").arg(number).arg(low).arg(high));
        }
        *out = int(number);
        return true;
    }

    bool text(const QStringList &path, const QJsonObject &object, const QString &key,
              qsizetype minLength, qsizetype maxLength, char16_t highest, QString *out)
    {
        if (!object.contains(key))
            return true;
        const QStringList here = path + QStringList {key};
        const QJsonValue value = object.value(key);
        if (!value.isString())
            return fail(here, QStringLiteral("must be a string"));
        const QString string = value.toString();
        if (string.size() < minLength || string.size() > maxLength) {
            const QString expected = minLength == maxLength
                ? QStringLiteral("exactly %1").arg(maxLength)
                : QStringLiteral("at most %1").arg(maxLength);
            return fail(here,
                        QStringLiteral("\"%1\" has %2 characters, %3 allowed")
                            .arg(string)
                            .arg(string.size())
                            .arg(expected));
        }
        for (QChar c : string) {
            if (c.unicode() < 0x20 || c.unicode() > highest
                || (c.unicode() >= 0x7f && c.unicode() < 0xa0))
                return fail(here,
                            QStringLiteral("\"%1\" contains a character the panel cannot send")
                                .arg(string));
        }
        *out = string;
        return true;
    }

    // The keys sensors and modules share.
    template<typename Device>
    bool commonFields(const QStringList &path, const QJsonObject &object, Device *out)
    {
        return whole(path, object, QStringLiteral("type"), 1, 7, &out->type)
            && whole(path, object, QStringLiteral("zone"), 0, 99, &out->zone)
            && text(path, object, QStringLiteral("description"), 0, Installation::DescriptionLength,
                    0xff, &out->description)
            && whole(path, object, QStringLiteral("analogue"), 0, Installation::MaxField,
                     &out->analogue)
            && whole(path, object, QStringLiteral("current"), 0, Installation::MaxField,
                     &out->current)
            && whole(path, object, QStringLiteral("noise"), 0, Installation::MaxField, &out->noise);
    }

    bool sensor(const QStringList &path, const QJsonObject &object, Sensor *out)
    {
        static const QStringList keys = {
            QStringLiteral("type"),        QStringLiteral("zone"),     QStringLiteral("status"),
            QStringLiteral("description"), QStringLiteral("analogue"), QStringLiteral("current"),
            QStringLiteral("noise"),       QStringLiteral("test"),
        };
        return onlyKeys(path, object, keys) && commonFields(path, object, out)
            && whole(path, object, QStringLiteral("status"), 0, 9, &out->status)
            && text(path, object, QStringLiteral("test"), 2, 2, 0x7e, &out->test);
    }

    bool module(const QStringList &path, const QJsonObject &object, Module *out)
    {
        static const QStringList keys = {
            QStringLiteral("type"),     QStringLiteral("zone"),    QStringLiteral("description"),
            QStringLiteral("analogue"), QStringLiteral("current"), QStringLiteral("noise"),
        };
        return onlyKeys(path, object, keys) && commonFields(path, object, out);
    }

    // Reads "sensors" or "modules" of one loop into the installation.
    bool devices(const QStringList &path, const QJsonObject &loopObject, const QString &key,
                 int loop, Installation *installation)
    {
        if (!loopObject.contains(key))
            return true;
        const QStringList devicesPath = path + QStringList {key};
        QJsonObject byAddress;
        if (!object(devicesPath, loopObject.value(key), &byAddress))
            return false;
        for (auto it = byAddress.begin(); it != byAddress.end(); ++it) {
            const QStringList here = devicesPath + QStringList {it.key()};
            bool isNumber = false;
            const int address = it.key().toInt(&isNumber);
            if (!isNumber || address < 1 || address > Installation::AddressCount)
                return fail(here, QStringLiteral("address must be 1..99"));
            QJsonObject device;
            if (!object(here, it.value(), &device))
                return false;
            if (key == QStringLiteral("sensors")) {
                Sensor sensor;
                if (!this->sensor(here, device, &sensor))
                    return false;
                installation->setSensor(loop, address, sensor);
            } else {
                Module module;
                if (!this->module(here, device, &module))
                    return false;
                installation->setModule(loop, address, module);
            }
        }
        return true;
    }

private:
    QString *m_error;
};

} // namespace

std::optional<Installation> Installation::fromJson(const QByteArray &json, QString *error)
{
    Reader reader(error);
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        reader.fail({},
                    QStringLiteral("not valid JSON: %1 at offset %2")
                        .arg(parseError.errorString())
                        .arg(parseError.offset));
        return std::nullopt;
    }
    if (!document.isObject()) {
        reader.fail({}, QStringLiteral("the top level must be a JSON object"));
        return std::nullopt;
    }
    const QJsonObject top = document.object();
    const QString loopsKey = QStringLiteral("loops");
    if (!reader.onlyKeys({}, top, {loopsKey}))
        return std::nullopt;
    if (!top.contains(loopsKey)) {
        reader.fail({}, QStringLiteral("missing key \"loops\""));
        return std::nullopt;
    }
    QJsonObject loops;
    if (!reader.object({loopsKey}, top.value(loopsKey), &loops))
        return std::nullopt;

    Installation installation;
    for (auto it = loops.begin(); it != loops.end(); ++it) {
        const QStringList path = {loopsKey, it.key()};
        const int loop = it.key() == QStringLiteral("1") ? 1
            : it.key() == QStringLiteral("2")            ? 2
                                                         : 0;
        if (loop == 0) {
            reader.fail(path, QStringLiteral("loop must be 1 or 2"));
            return std::nullopt;
        }
        QJsonObject loopObject;
        if (!reader.object(path, it.value(), &loopObject)
            || !reader.onlyKeys(path, loopObject,
                                {QStringLiteral("sensors"), QStringLiteral("modules")})
            || !reader.devices(path, loopObject, QStringLiteral("sensors"), loop, &installation)
            || !reader.devices(path, loopObject, QStringLiteral("modules"), loop, &installation))
            return std::nullopt;
    }
    return installation;
}

} // namespace testloop::sim
