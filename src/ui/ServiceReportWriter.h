#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>

class QFileDialog;
class QWidget;

namespace testloop {

class CommunicationCounters;
class Prompts;
class Transport;
class UserPreferences;
struct LoopData;
struct ServiceReport;
struct SharedState;

// The service report ("Rapporto di manutenzione"): a PDF of what the readings mean, written
// to a file the user names. The site, customer and technician are asked the first time and
// remembered for the user. It only reads the tables, so a running scan goes on.
class ServiceReportWriter : public QObject
{
    Q_OBJECT
public:
    static inline const QString DetailsTitle = QStringLiteral("Dati del rapporto");

    // Asks for a file name, offering the one chosen last; an empty name means the user
    // cancelled.
    using FileChooser = std::function<QString(QWidget *parent, const QString &lastName)>;
    using Clock = std::function<QDateTime()>;

    // Without a chooser the command asks with a file dialog over parent. The link names the
    // serial device in the header.
    ServiceReportWriter(const LoopData &data, const SharedState &shared,
                        const CommunicationCounters &counters, const Transport &link,
                        UserPreferences &preferences, Prompts &prompts, FileChooser chooser = {},
                        QWidget *parent = nullptr);

    // The moment the report is dated; the system clock unless replaced.
    void setClock(Clock clock) { m_clock = std::move(clock); }
    // The name chosen last; empty until one was chosen.
    QString lastName() const { return m_lastName; }

    // The default chooser: a modal file dialog set up by configureDialog().
    static QString chooseWithDialog(QWidget *parent, const QString &lastName);
    // A save dialog with the filter "PDF (*.pdf)" and the suffix pdf added to a bare name; it
    // asks before replacing a file.
    static void configureDialog(QFileDialog &dialog, const QString &lastName);

    // The report as an A4 PDF: title, header, summary, anomalies, the per-address tables with
    // their heading repeated on every page, a picture of each grid, "Pagina n di m" on every
    // page. Empty when the PDF could not be made.
    static QByteArray renderPdf(const ServiceReport &report);

    // Replaces the file dialog, for tests.
    void setChooser(FileChooser chooser) { m_chooser = std::move(chooser); }

public slots:
    // "Dati del rapporto...": asks the site, customer and technician again, each prompt
    // naming the remembered value (an empty answer keeps it). Cancel changes nothing. True
    // when all three were answered.
    bool askDetails();
    // Asks the details not remembered yet, then the file, then writes the report and says
    // where, or why it could not.
    void writeReport();

private:
    // Asks each detail (all of them, or only those never given); remembers them once all
    // were answered.
    bool ask(bool all);

    const LoopData &m_data;
    const SharedState &m_shared;
    const CommunicationCounters &m_counters;
    const Transport &m_link;
    UserPreferences &m_preferences;
    Prompts &m_prompts;
    FileChooser m_chooser;
    QWidget *m_parentWidget;
    QString m_lastName;
    Clock m_clock;
};

} // namespace testloop
