#include "ui/MainWindowMenu.h"

#include "ui/MainWindowControls.h"
#include "ui/PictureButton.h"

#include <QAction>
#include <QButtonGroup>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

#include <functional>

namespace testloop {

namespace {

QAction *addEntry(QMenu *menu, const MainWindowMenu::Entry &entry, const QString &name,
                  std::function<void()> command)
{
    QAction *action = menu->addAction(entry.text);
    action->setObjectName(name);
    action->setShortcut(entry.shortcut);
    action->setToolTip(entry.explanation);
    if (command)
        QObject::connect(action, &QAction::triggered, action, std::move(command));
    return action;
}

} // namespace

QList<MainWindowMenu::Entry> MainWindowMenu::panelEntries()
{
    return {
        {QStringLiteral("DOWNLOAD"),
         {},
         QStringLiteral("scarica dalla centrale tipo, zona e descrizione dei dispositivi")},
        {QStringLiteral("Test Sensori"),
         {},
         QStringLiteral("seleziona il test dei sensori (poi INIZIO TEST)")},
        {QStringLiteral("VERIFICA IMPIANTO"),
         {},
         QStringLiteral("percentuali delle letture di ogni sensore (solo x sensori)")},
        {QStringLiteral("LOCKED ON / LOCKED OFF"),
         {},
         QStringLiteral("attiva o disattiva il blocco della centrale")},
        {QStringLiteral("Mostra risposte centrale"),
         {},
         QStringLiteral("mostra o nasconde la casella con l'ultima risposta ricevuta")},
        {QStringLiteral("Traffico seriale"), QKeySequence(Qt::CTRL | Qt::Key_T),
         QStringLiteral("ogni richiesta, risposta, time-out e risposta scartata, al "
                        "millisecondo")},
    };
}

QList<MainWindowMenu::Entry> MainWindowMenu::commandEntries()
{
    QList<Entry> entries = {{QStringLiteral("INIZIO TEST"), QKeySequence(Qt::Key_F5),
                             QStringLiteral("avvia la scansione")}};
    for (const ToolbarEntry &entry : toolbarEntries()) {
        entries.append({entry.toolTip.toString(),
                        entry.key == QKeyCombination() ? QKeySequence() : QKeySequence(entry.key),
                        entry.explanation.toString()});
    }
    return entries;
}

QString MainWindowMenu::helpText()
{
    const auto line = [](const Entry &entry) {
        const QString keys = entry.shortcut.isEmpty()
            ? QString()
            : QStringLiteral(" (%1)").arg(entry.shortcut.toString(QKeySequence::NativeText));
        return QStringLiteral("\n  %1%2 - %3").arg(entry.text, keys, entry.explanation);
    };
    QString text = QStringLiteral("MENU CENTRALE:");
    for (const Entry &entry : panelEntries())
        text += line(entry);
    text += QStringLiteral("\nMENU COMANDI E TASTI:");
    for (const Entry &entry : commandEntries())
        text += line(entry);
    text += QStringLiteral(
        "\nALTRE FUNZIONI:"
        "\n  CONFIGURAZIONE - scelta del dispositivo seriale dall'elenco delle porte o per percorso"
        "\n  Barra di stato - dispositivo in uso; durante la scansione loop, indirizzo, giro, "
        "tempo dell'ultimo giro e risposte valide"
        "\n  Cavo scollegato - la scansione si ferma e riprende da sola dallo stesso indirizzo "
        "quando il dispositivo torna"
        "\n  Griglia - i 99 pulsanti restano sempre interi nella finestra"
        "\n  Salvataggio automatico - le letture sono salvate ogni minuto durante la scansione "
        "e a ogni arresto; dopo un'interruzione il programma propone di ripristinarle");
    return text;
}

MainWindowMenu MainWindowMenu::create(QMenuBar *bar, const MainWindowControls &c)
{
    MainWindowMenu menu;
    QMenu *panel = bar->addMenu(QStringLiteral("&Centrale"));
    panel->setObjectName(QStringLiteral("menuCentrale"));
    const QList<Entry> panelItems = panelEntries();
    menu.download = addEntry(panel, panelItems[0], QStringLiteral("actionDownload"),
                             [c] { c.downloadButton->click(); });
    // A checkable entry flips its own tick before it runs; the tick is then set back to what
    // the control really shows, so choosing test mode twice, or a lock request that could not
    // be sent, leaves it true.
    menu.sensorTest = addEntry(panel, panelItems[1], QStringLiteral("actionSensorTest"), {});
    QObject::connect(menu.sensorTest, &QAction::triggered, menu.sensorTest,
                     [c, action = menu.sensorTest] {
                         c.sensorTestOption->click();
                         action->setChecked(c.sensorTestOption->isChecked());
                     });
    menu.sensorTest->setCheckable(true);
    // Checked exactly while test mode is selected, whichever way it was chosen.
    QObject::connect(c.kindGroup, &QButtonGroup::idToggled, menu.sensorTest,
                     [action = menu.sensorTest](int id, bool checked) {
                         if (id == 0)
                             action->setChecked(checked);
                     });
    menu.verify = addEntry(panel, panelItems[2], QStringLiteral("actionVerify"),
                           [c] { c.verifyButton->click(); });
    menu.lock = addEntry(panel, panelItems[3], QStringLiteral("actionLock"), {});
    QObject::connect(menu.lock, &QAction::triggered, menu.lock, [c, action = menu.lock] {
        c.lockButton->click();
        action->setChecked(c.lockButton->text() == u"LOCKED ON");
    });
    menu.lock->setCheckable(true);
    panel->addSeparator();
    menu.replyBox = addEntry(panel, panelItems[4], QStringLiteral("actionReplyBox"), {});
    menu.replyBox->setCheckable(true);
    QObject::connect(menu.replyBox, &QAction::toggled, c.replyBox, &QLineEdit::setVisible);
    // Opened by the main window, which owns the traffic log.
    menu.traffic = addEntry(panel, panelItems[5], QStringLiteral("actionTraffic"), {});

    QMenu *commands = bar->addMenu(QStringLiteral("C&omandi"));
    commands->setObjectName(QStringLiteral("menuComandi"));
    const QList<Entry> commandItems = commandEntries();
    addEntry(commands, commandItems[0], QStringLiteral("actionStart"),
             [c] { c.startButton->click(); });
    for (const ToolbarEntry &entry : toolbarEntries()) {
        PictureButton *picture = c.picture(entry.command);
        addEntry(commands, commandItems[qsizetype(entry.command) + 1], entry.actionName.toString(),
                 [picture] { picture->click(); });
    }
    return menu;
}

} // namespace testloop
