#pragma once

#include "config/ConfigurationFile.h"
#include "scan/Timings.h"

#include <QSize>
#include <QString>

#include <optional>

namespace testloop {

class Transport;

// How the main window is started: the command line's device (or another line to the panel),
// the configuration file, the waits of the scan, and the screen the device grid is sized for.
struct MainWindowOptions
{
    QString portOverride; // empty: the device follows the configured port number
    Transport *transport = nullptr; // a line to the panel to use instead of the serial port
    QString configurationPath = ConfigurationFileName;
    Timings timings;
    std::optional<QSize> screenSize; // in pixels; default: the primary screen's
    QString preferencesPath; // what the program remembers for the user; empty: the user's own
    QString autosavePath; // the session kept against a crash; empty: the user's data folder
};

} // namespace testloop
