#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QWidget;

namespace testloop {

class CommunicationCounters;
class Prompts;
struct LoopData;
struct SharedState;

// The command that exports the readings of both loops and the communication counters to a CSV
// file the user names, for a spreadsheet. It only reads the tables, so a running scan goes on.
class CsvExportCommand : public QObject
{
    Q_OBJECT
public:
    // Asks for a file name, offering the one chosen last; an empty name means the user
    // cancelled.
    using FileChooser = std::function<QString(QWidget *parent, const QString &lastName)>;

    // Without a chooser the command asks with a file dialog over parent.
    CsvExportCommand(const LoopData &data, const SharedState &state,
                     const CommunicationCounters &counters, Prompts &prompts,
                     FileChooser chooser = {}, QWidget *parent = nullptr);

    // The name chosen last; empty until one was chosen.
    QString lastName() const { return m_lastName; }

    // The default chooser: a modal save dialog for "CSV (*.csv)" files.
    static QString chooseWithDialog(QWidget *parent, const QString &lastName);

    // Replaces the file dialog, for tests.
    void setChooser(FileChooser chooser) { m_chooser = std::move(chooser); }

public slots:
    // Writes the export into a file the user names, then says where or why it could not.
    void exportCsv();

private:
    const LoopData &m_data;
    const SharedState &m_state;
    const CommunicationCounters &m_counters;
    Prompts &m_prompts;
    FileChooser m_chooser;
    QWidget *m_parentWidget;
    QString m_lastName;
};

} // namespace testloop
