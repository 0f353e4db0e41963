#pragma once

#include "loopdata/Settings.h"

#include <QString>

namespace testloop {

// The program-wide values every window may read: the settings, the loop chosen in the main
// window, and whether a configuration download owns the line to the panel.
struct SharedState
{
    Settings settings;

    QString SelectedLoop = QStringLiteral("1");
    bool DownloadActive = false;
};

} // namespace testloop
