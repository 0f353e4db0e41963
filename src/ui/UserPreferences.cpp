#include "ui/UserPreferences.h"

#include "scan/ReadingsComparison.h"

#include <QSettings>

namespace testloop {

namespace {

const QString ChosenDeviceKey = QStringLiteral("porta/dispositivo");
const QString SkipUnusedKey = QStringLiteral("scansione/salta_non_configurati");
const QString DriftLimitKey = QStringLiteral("confronto/limite_deriva");

QString reportKey(UserPreferences::ReportDetail detail)
{
    switch (detail) {
    case UserPreferences::ReportDetail::Site:
        return QStringLiteral("rapporto/impianto");
    case UserPreferences::ReportDetail::Customer:
        return QStringLiteral("rapporto/cliente");
    case UserPreferences::ReportDetail::Technician:
        break;
    }
    return QStringLiteral("rapporto/tecnico");
}

} // namespace

UserPreferences::UserPreferences(const QString &path)
    : m_settings(path.isEmpty() ? std::make_unique<QSettings>(QStringLiteral("TestLoop"),
                                                              QStringLiteral("TestLoop"))
                                : std::make_unique<QSettings>(path, QSettings::IniFormat))
{ }

UserPreferences::~UserPreferences() = default;

QString UserPreferences::chosenDevice() const
{
    return m_settings->value(ChosenDeviceKey).toString();
}

void UserPreferences::setChosenDevice(const QString &device)
{
    m_settings->setValue(ChosenDeviceKey, device);
    m_settings->sync();
}

std::optional<QString> UserPreferences::reportDetail(ReportDetail detail) const
{
    const QString key = reportKey(detail);
    if (!m_settings->contains(key))
        return std::nullopt;
    return m_settings->value(key).toString();
}

void UserPreferences::setReportDetail(ReportDetail detail, const QString &value)
{
    m_settings->setValue(reportKey(detail), value);
    m_settings->sync();
}

bool UserPreferences::skipsUnused() const
{
    return m_settings->value(SkipUnusedKey, false).toBool();
}

void UserPreferences::setSkipsUnused(bool skip)
{
    m_settings->setValue(SkipUnusedKey, skip);
    m_settings->sync();
}

int UserPreferences::driftLimit() const
{
    bool ok = false;
    const int limit = m_settings->value(DriftLimitKey).toInt(&ok);
    return ok && limit >= 0 ? limit : DefaultDriftLimit;
}

void UserPreferences::setDriftLimit(int limit)
{
    m_settings->setValue(DriftLimitKey, limit);
    m_settings->sync();
}

} // namespace testloop
