#include "ui/ReadingViews.h"

#include "loopdata/LoopTables.h"
#include "loopdata/NumberText.h"
#include "loopdata/SharedState.h"
#include "scan/CommunicationCounters.h"
#include "scan/ExpectedFound.h"
#include "scan/Prompts.h"
#include "scan/ReadingsComparison.h"
#include "scan/ScanCycle.h"
#include "storage/ReadingsFile.h"
#include "ui/AddressListWindow.h"
#include "ui/CsvExportCommand.h"
#include "ui/DeviceDetailWindow.h"
#include "ui/DeviceGridWidget.h"
#include "ui/ReadingsCommands.h"
#include "ui/ServiceReportWriter.h"
#include "ui/UserPreferences.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>

#include <map>

namespace testloop {

namespace {

QString chooseReference(QWidget *parent)
{
    return ReadingsCommands::chooseWithDialog(parent, ReadingsCommands::DialogKind::Open, {});
}

void showOnce(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

struct MenuEntry
{
    const char *name;
    QString text;
    QKeySequence key;
    QString explanation;
};

// The entries of "Letture", in order; a separator stands for an empty name.
QList<MenuEntry> menuEntries()
{
    return {
        {"actionDetail", QStringLiteral("Dettaglio dispositivo"),
         QKeySequence(Qt::CTRL | Qt::Key_D),
         QStringLiteral("valori, contatori e distribuzione delle letture del dispositivo scelto "
                        "(anche con il tasto destro sul pulsante)")},
        {"actionServiceReport", QStringLiteral("Rapporto di manutenzione..."),
         QKeySequence(Qt::CTRL | Qt::Key_R),
         QStringLiteral("rapporto PDF con riepilogo, anomalie, tabelle e griglie dei loop")},
        {"actionReportDetails",
         QStringLiteral("Dati del rapporto..."),
         {},
         QStringLiteral("impianto, cliente e tecnico del rapporto")},
        {"actionCsv", QStringLiteral("Esporta CSV..."), QKeySequence(Qt::CTRL | Qt::Key_E),
         QStringLiteral("tutte le letture e i contatori in un file per fogli di calcolo")},
        {"", {}, {}, {}},
        {"actionReference", QStringLiteral("Confronta con una visita precedente..."),
         QKeySequence(Qt::CTRL | Qt::Key_K),
         QStringLiteral("mostra su ogni pulsante la deriva dalla lettura di un file salvato")},
        {"actionDriftLimit",
         QStringLiteral("Limite di deriva..."),
         {},
         QStringLiteral("oltre questa deriva il pulsante è segnato")},
        {"actionCloseReference",
         QStringLiteral("Chiudi il confronto"),
         {},
         QStringLiteral("torna alla vista normale")},
        {"", {}, {}, {}},
        {"actionFindings", QStringLiteral("Atteso / Trovato"), QKeySequence(Qt::CTRL | Qt::Key_L),
         QStringLiteral("dispositivi configurati mai letti, letti ma non configurati, conflitti")},
        {"actionSkipUnused",
         QStringLiteral("Salta indirizzi non configurati"),
         {},
         QStringLiteral("la scansione salta gli indirizzi che il download indica NON USATO")},
    };
}

} // namespace

ReadingViews::ReadingViews(QMenuBar *bar, Parts parts)
    : QObject(parts.window)
    , m_parts(parts)
    , m_csv(std::make_unique<CsvExportCommand>(parts.data, parts.shared, parts.counters,
                                               parts.prompts, CsvExportCommand::FileChooser {},
                                               parts.window))
    , m_report(std::make_unique<ServiceReportWriter>(
          parts.data, parts.shared, parts.counters, parts.link, parts.preferences, parts.prompts,
          ServiceReportWriter::FileChooser {}, parts.window))
    , m_referenceChooser(&chooseReference)
{
    m_parts.cycle.setSkipUnused(m_parts.preferences.skipsUnused());
    createMenu(bar);
    connect(&m_parts.grid, &DeviceGridWidget::detailRequested, this, &ReadingViews::showDetail);
    connect(&m_parts.cycle, &ScanCycle::activityChanged, this, &ReadingViews::refresh);
}

ReadingViews::~ReadingViews() = default;

DeviceDetailWindow *ReadingViews::detailWindow() const
{
    return m_detail;
}

AddressListWindow *ReadingViews::comparisonWindow() const
{
    return m_comparison;
}

AddressListWindow *ReadingViews::findingsWindow() const
{
    return m_findings;
}

QString ReadingViews::helpText()
{
    QString text = QStringLiteral("MENU LETTURE:");
    for (const MenuEntry &entry : menuEntries()) {
        if (!*entry.name)
            continue;
        const QString keys = entry.key.isEmpty()
            ? QString()
            : QStringLiteral(" (%1)").arg(entry.key.toString(QKeySequence::NativeText));
        text += QStringLiteral("\n  %1%2 - %3").arg(entry.text, keys, entry.explanation);
    }
    return text;
}

void ReadingViews::createMenu(QMenuBar *bar)
{
    QMenu *menu = bar->addMenu(QStringLiteral("&Letture"));
    menu->setObjectName(QStringLiteral("menuLetture"));
    const std::map<QString, std::function<void()>> commands = {
        {QStringLiteral("actionDetail"),
         [this] {
             const int chosen = m_parts.grid.selected();
             showDetail(chosen ? chosen : m_parts.cycle.scanAddress());
         }},
        {QStringLiteral("actionServiceReport"), [this] { m_report->writeReport(); }},
        {QStringLiteral("actionReportDetails"), [this] { m_report->askDetails(); }},
        {QStringLiteral("actionCsv"), [this] { m_csv->exportCsv(); }},
        {QStringLiteral("actionReference"), [this] { openReference(); }},
        {QStringLiteral("actionDriftLimit"), [this] { askDriftLimit(); }},
        {QStringLiteral("actionCloseReference"), [this] { closeReference(); }},
        {QStringLiteral("actionFindings"), [this] { showFindings(); }},
    };
    for (const MenuEntry &entry : menuEntries()) {
        if (!*entry.name) {
            menu->addSeparator();
            continue;
        }
        QAction *action = menu->addAction(entry.text);
        const QString name = QString::fromLatin1(entry.name);
        action->setObjectName(name);
        action->setShortcut(entry.key);
        action->setToolTip(entry.explanation);
        if (const auto command = commands.find(name); command != commands.end())
            connect(action, &QAction::triggered, this, command->second);
        if (name == u"actionCloseReference") {
            m_closeReference = action;
            action->setEnabled(false);
        }
        if (name == u"actionSkipUnused") {
            action->setCheckable(true);
            action->setChecked(m_parts.preferences.skipsUnused());
            connect(action, &QAction::toggled, this, [this](bool skip) {
                m_parts.preferences.setSkipsUnused(skip);
                m_parts.cycle.setSkipUnused(skip);
                redraw();
            });
        }
    }
}

DeviceSide ReadingViews::side() const
{
    return m_parts.cycle.mode() == ScanMode::Modules ? DeviceSide::Module : DeviceSide::Sensor;
}

void ReadingViews::redraw()
{
    m_parts.cycle.RefreshGrid(ScanCycle::RedrawSelectedLoop);
    refresh();
}

void ReadingViews::showDetail(int address)
{
    if (!m_detail)
        m_detail = new DeviceDetailWindow(m_parts.data, m_parts.shared, m_parts.counters,
                                          m_parts.window);
    m_parts.grid.select(address);
    m_detail->showAddress(address, side());
    showOnce(m_detail);
}

void ReadingViews::openReference()
{
    const QString path = m_referenceChooser(m_parts.window);
    if (path.isEmpty())
        return;
    const ReadingsLoad load = loadReadingsFile(path);
    if (!load.image) {
        m_parts.prompts.showMessage(load.error, QString(), Prompts::Icon::Warning);
        return;
    }
    if (!load.warning.isEmpty())
        m_parts.prompts.showMessage(load.warning, QString(), Prompts::Icon::Warning);
    m_reference = std::make_unique<LoopData>();
    load.image->applyTo(*m_reference);
    m_referenceName = QDir::toNativeSeparators(path);
    m_parts.cycle.setReference(m_reference.get(), m_parts.preferences.driftLimit());
    m_closeReference->setEnabled(true);
    if (!m_comparison) {
        m_comparison = new AddressListWindow(
            QStringLiteral("Confronto con la visita precedente"),
            {QStringLiteral("Attuale"), QStringLiteral("Riferimento"), QStringLiteral("Deriva")},
            [this] {
                AddressListWindow::Contents contents;
                if (!m_reference)
                    return contents;
                const int limit = m_parts.preferences.driftLimit();
                contents.note = QStringLiteral("Riferimento: %1. Segnate le derive oltre %2.")
                                    .arg(m_referenceName)
                                    .arg(limit);
                for (const Drift &drift :
                     readingDrifts(m_parts.data, *m_reference,
                                   loopIndex(m_parts.shared.SelectedLoop), side(), limit)) {
                    contents.rows.append(
                        {drift.address,
                         {QString::number(drift.current), QString::number(drift.reference),
                          driftLine(drift.drift)},
                         drift.marked});
                }
                return contents;
            },
            m_parts.window);
        m_comparison->setObjectName(QStringLiteral("ComparisonWindow"));
        connect(m_comparison, &AddressListWindow::addressChosen, &m_parts.grid,
                &DeviceGridWidget::select);
    }
    redraw();
    showOnce(m_comparison);
}

void ReadingViews::closeReference()
{
    m_reference.reset();
    m_parts.cycle.setReference(nullptr, 0);
    m_closeReference->setEnabled(false);
    if (m_comparison)
        m_comparison->close();
    redraw();
}

void ReadingViews::askDriftLimit()
{
    const std::optional<QString> typed = m_parts.prompts.askText(
        QStringLiteral("Deriva oltre la quale il pulsante è segnato (attuale %1; 100 = 10 unità "
                       "della centrale):")
            .arg(m_parts.preferences.driftLimit()),
        QStringLiteral("Limite di deriva"));
    if (!typed)
        return;
    bool ok = false;
    const int limit = typed->trimmed().toInt(&ok);
    if (!ok || limit < 0) {
        m_parts.prompts.showMessage(
            QStringLiteral("\"%1\" non è un limite valido: serve un numero intero da 0 in su.")
                .arg(*typed),
            QStringLiteral("Limite di deriva"), Prompts::Icon::Warning);
        return;
    }
    m_parts.preferences.setDriftLimit(limit);
    if (m_reference)
        m_parts.cycle.setReference(m_reference.get(), limit);
    redraw();
}

void ReadingViews::showFindings()
{
    if (!m_findings) {
        m_findings = new AddressListWindow(
            QStringLiteral("Atteso / Trovato"), {QStringLiteral("Esito")},
            [this] {
                AddressListWindow::Contents contents;
                const int loop = loopIndex(m_parts.shared.SelectedLoop);
                const FindingsReadiness ready
                    = findingsReadiness(m_parts.data, m_parts.counters, loop);
                if (!ready.downloaded || !ready.passed) {
                    contents.note = QStringLiteral("L'elenco è completo dopo un download della "
                                                   "configurazione e almeno un "
                                                   "giro completo della scansione del loop %1.")
                                        .arg(loop);
                }
                for (const Finding &finding :
                     expectedAgainstFound(m_parts.data, m_parts.shared.settings, loop, side()))
                    contents.rows.append({finding.address, {finding.text}, false});
                return contents;
            },
            m_parts.window);
        m_findings->setObjectName(QStringLiteral("FindingsWindow"));
        connect(m_findings, &AddressListWindow::addressChosen, &m_parts.grid,
                &DeviceGridWidget::select);
    }
    m_findings->refresh();
    showOnce(m_findings);
}

void ReadingViews::refresh()
{
    if (m_detail && m_detail->side() != side())
        m_detail->showAddress(m_detail->address(), side()); // the mode changed
    else if (m_detail)
        m_detail->refresh();
    if (m_comparison)
        m_comparison->refresh();
    if (m_findings)
        m_findings->refresh();
}

} // namespace testloop
