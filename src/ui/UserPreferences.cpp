#include "ui/UserPreferences.h"

#include <QSettings>

namespace testloop {

namespace {

const QString ChosenDeviceKey = QStringLiteral("porta/dispositivo");

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

} // namespace testloop
