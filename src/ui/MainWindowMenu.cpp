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

#include <array>
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
    };
}

QList<MainWindowMenu::Entry> MainWindowMenu::commandEntries()
{
    return {
        {QStringLiteral("INIZIO TEST"), QKeySequence(Qt::Key_F5),
         QStringLiteral("avvia la scansione")},
        {QStringLiteral("ARRESTA SCANSIONE"), QKeySequence(Qt::Key_F6),
         QStringLiteral("ferma la comunicazione con la centrale")},
        {QStringLiteral("RESETTA LETTURE"), {}, QStringLiteral("azzera i valori acquisiti")},
        {QStringLiteral("CONFIGURAZIONE"), QKeySequence(Qt::Key_F9),
         QStringLiteral("apre il menu di setup")},
        {QStringLiteral("INFORMAZIONI"), QKeySequence(Qt::Key_F1),
         QStringLiteral("apre questa finestra")},
        {QStringLiteral("SALVA LETTURE IMPIANTO"), QKeySequence(Qt::CTRL | Qt::Key_S),
         QStringLiteral("salva i valori acquisiti su file")},
        {QStringLiteral("APRI FILE LETTURE"), QKeySequence(Qt::CTRL | Qt::Key_O),
         QStringLiteral("carica un file salvato")},
        {QStringLiteral("STAMPA VALORI ANALOGICI"), QKeySequence(Qt::CTRL | Qt::Key_P),
         QStringLiteral("stampa i valori analogici")},
    };
}

QString MainWindowMenu::helpText()
{
    QString text = QStringLiteral("MENU CENTRALE:");
    for (const Entry &entry : panelEntries())
        text += QStringLiteral("\n  %1 - %2").arg(entry.text, entry.explanation);
    text += QStringLiteral("\nMENU COMANDI E TASTI:");
    for (const Entry &entry : commandEntries()) {
        const QString keys = entry.shortcut.isEmpty()
            ? QString()
            : QStringLiteral(" (%1)").arg(entry.shortcut.toString(QKeySequence::NativeText));
        text += QStringLiteral("\n  %1%2 - %3").arg(entry.text, keys, entry.explanation);
    }
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

    QMenu *commands = bar->addMenu(QStringLiteral("C&omandi"));
    commands->setObjectName(QStringLiteral("menuComandi"));
    const std::array<std::pair<const char *, std::function<void()>>, 8> commandActions = {{
        {"actionStart", [c] { c.startButton->click(); }},
        {"actionStop", [c] { c.stopPicture->click(); }},
        {"actionReset", [c] { c.resetPicture->click(); }},
        {"actionConfiguration", [c] { c.configurationPicture->click(); }},
        {"actionInformation", [c] { c.informationPicture->click(); }},
        {"actionSave", [c] { c.savePicture->click(); }},
        {"actionOpen", [c] { c.openPicture->click(); }},
        {"actionPrint", [c] { c.printPicture->click(); }},
    }};
    const QList<Entry> commandItems = commandEntries();
    for (std::size_t i = 0; i < commandActions.size(); ++i) {
        addEntry(commands, commandItems[qsizetype(i)], QString::fromLatin1(commandActions[i].first),
                 commandActions[i].second);
    }
    return menu;
}

} // namespace testloop
