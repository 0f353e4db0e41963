#pragma once

#include "loopdata/Settings.h"

#include <QString>
#include <QtGlobal>

namespace testloop {

// The program-wide values every window may read: the settings and the exchange state
// of the serial dialogue with the panel.
struct SharedState
{
    Settings settings;

    QString SelectedLoop = QStringLiteral("1");
    qint16 ScanAddress = 1;
    qint16 TimeoutCount = 0;
    bool DownloadActive = false;
    QString ReplyText;
    double ReplyAddress = 0;
    QString ReplyLoop;
};

} // namespace testloop
