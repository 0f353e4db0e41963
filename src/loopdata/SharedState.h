#pragma once

#include "loopdata/Settings.h"

#include <QString>

namespace testloop {

// The program-wide values every window may read: the settings, the loop chosen in the main
// window, whether a configuration download owns the line to the panel, and the serial device
// chosen in the configuration dialog.
struct SharedState
{
    Settings settings;

    QString SelectedLoop = QStringLiteral("1");
    bool DownloadActive = false;
    // The serial device chosen by what it is (empty: the one the port number gives).
    QString chosenDevice;
};

} // namespace testloop
