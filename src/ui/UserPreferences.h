#pragma once

#include <QString>

#include <memory>

class QSettings;

namespace testloop {

// What the program remembers for the user between runs, apart from TestLoop.ini (which keeps
// exactly its nine values): the serial device chosen by what it is.
class UserPreferences
{
public:
    // The settings file at path; empty: the user's own place for them (QSettings).
    explicit UserPreferences(const QString &path = {});
    ~UserPreferences();

    QString chosenDevice() const;
    void setChosenDevice(const QString &device);

private:
    std::unique_ptr<QSettings> m_settings;
};

} // namespace testloop
