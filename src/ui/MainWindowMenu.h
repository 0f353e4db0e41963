#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

class QAction;
class QMenuBar;

namespace testloop {

class MainWindowControls;

// The menu bar of the main window. "Centrale" offers the panel commands whose buttons the
// window keeps hidden; "Comandi" repeats the toolbar with keyboard shortcuts. Every entry
// clicks the control it stands for, so it runs exactly that control's command.
class MainWindowMenu
{
public:
    struct Entry
    {
        QString text;
        QKeySequence shortcut; // empty: none
        QString explanation;
    };

    static MainWindowMenu create(QMenuBar *bar, const MainWindowControls &controls);

    // What the menus hold, for the information window and the README.
    static QList<Entry> panelEntries();
    static QList<Entry> commandEntries();
    // The same as one text for the information window.
    static QString helpText();

    QAction *download = nullptr;
    QAction *sensorTest = nullptr; // checked while test mode is selected
    QAction *verify = nullptr;
    QAction *lock = nullptr; // checked while the panel lock is on
    QAction *replyBox = nullptr; // checked while the reply box is shown
    QAction *traffic = nullptr; // "Traffico seriale"
};

} // namespace testloop
