#pragma once

#include <QDialog>
#include <QTimer>

#include <functional>

class QLabel;
class QListView;
class QPushButton;

namespace testloop {

class Prompts;
class TrafficLog;
class TrafficLines;

// "Traffico seriale": the traffic with the panel as it happens, one line per event. The view
// shows the log through a list that formats and lays out only the lines in sight, and follows
// the log a few times a second rather than at every event, so that watching costs the scan
// next to nothing. Pausa freezes the view while the log goes on recording, Pulisci empties
// both, Salva writes the whole log to a text file the user names.
class TrafficWindow : public QDialog
{
    Q_OBJECT
public:
    static inline const QString Title = QStringLiteral("Traffico seriale");
    // Asks for the file to save into; empty when the user cancelled.
    using FileChooser = std::function<QString(QWidget *parent)>;

    TrafficWindow(TrafficLog &log, Prompts &prompts, QWidget *parent = nullptr);
    ~TrafficWindow() override;

    void setFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }
    // The lines on view, one per line.
    QString viewText() const;

public slots:
    void save();

private:
    void scheduleUpdate();
    void update();
    void showCounts();

    TrafficLog &m_log;
    Prompts &m_prompts;
    FileChooser m_chooser;
    TrafficLines *m_lines;
    QListView *m_view;
    QLabel *m_counts;
    QPushButton *m_pause;
    QTimer m_refresh;
};

} // namespace testloop
