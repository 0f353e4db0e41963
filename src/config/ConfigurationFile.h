#pragma once

#include "loopdata/Settings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace testloop {

// The configuration file: nine Latin-1 lines ended by CR LF, in this order: ComPort, BoardCode,
// FaultRetries, GMMax, VaSMax, VaSMin, GSMax, VaMMax, VaMMin. Numbers are 16-bit signed and
// written in print form followed by one blank (" 1 "), the board code is written as it is.
inline const QString ConfigurationFileName = QStringLiteral("TestLoop.ini");
// The board code fills three positions of every request.
inline constexpr int BoardCodeLength = 3;

// The outcome of reading the configuration.
struct ConfigurationRead
{
    Settings settings; // the values in force: the file's where readable, the defaults elsewhere
    bool found = false; // the file existed and could be opened
    QStringList problems; // one Italian sentence per problem; empty when all nine read cleanly
};

// Reads the settings from the contents of a configuration file. Fields end at a line end or
// at a comma; when the file holds more than one record of nine, the last complete one is in
// force. fileName is only used to name the file in the messages.
ConfigurationRead parseConfiguration(const QByteArray &bytes,
                                     const QString &fileName = ConfigurationFileName);

// The exact bytes of a configuration file holding the given settings.
QByteArray formatConfiguration(const Settings &settings);

// LoadConfiguration: opens and reads the file at path (by default TestLoop.ini in the current
// directory). A missing or unreadable file gives found = false, the defaults and a problem
// saying so. Never writes; telling the user is the caller's part.
ConfigurationRead LoadConfiguration(const QString &path = ConfigurationFileName);

// SaveConfiguration: writes the file atomically, so that a failed save leaves any previous
// file as it was. Nothing on success, otherwise the Italian reason to show to the user.
std::optional<QString> SaveConfiguration(const Settings &settings,
                                         const QString &path = ConfigurationFileName);

// Title of the messages about the configuration file.
inline const QString ConfigurationMessageTitle = QStringLiteral("Configurazione");

} // namespace testloop
