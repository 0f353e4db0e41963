#pragma once

#include <QString>

#include <memory>
#include <optional>

class QSettings;

namespace testloop {

// What the program remembers for the user between runs, apart from TestLoop.ini (which keeps
// exactly its nine values): the serial device chosen by what it is, who and where the service
// report is for, whether the scan passes over unused addresses, and the drift limit.
class UserPreferences
{
public:
    // The settings file at path; empty: the user's own place for them (QSettings).
    explicit UserPreferences(const QString &path = {});
    ~UserPreferences();

    QString chosenDevice() const;
    void setChosenDevice(const QString &device);

    // Who and where the service report is for; nothing until first given (an empty answer is
    // remembered as given). In the order the report asks for them.
    enum class ReportDetail { Site, Customer, Technician };
    std::optional<QString> reportDetail(ReportDetail detail) const;
    void setReportDetail(ReportDetail detail, const QString &value);

    // "Salta indirizzi non configurati"; off until chosen.
    bool skipsUnused() const;
    void setSkipsUnused(bool skip);
    // The drift beyond which a reading is marked against an earlier visit, in stored units.
    int driftLimit() const;
    void setDriftLimit(int limit);

private:
    std::unique_ptr<QSettings> m_settings;
};

} // namespace testloop
