#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QFileDialog;
class QWidget;

namespace testloop {

class Prompts;
struct LoopData;

// The save and load commands of the readings file (pictures "Image2" and "Image5"). Both ask
// for a file name through one chooser that remembers the name chosen last in either of them,
// and both leave a running scan alone.
class ReadingsCommands : public QObject
{
    Q_OBJECT
public:
    enum class DialogKind { Save, Open };
    // Asks for a file name; an empty name means the user cancelled.
    using FileChooser
        = std::function<QString(QWidget *parent, DialogKind kind, const QString &lastName)>;

    // Without a chooser the commands ask with a file dialog over parent.
    ReadingsCommands(LoopData &data, Prompts &prompts, FileChooser chooser = {},
                     QWidget *parent = nullptr);

    void setChooser(FileChooser chooser) { m_chooser = std::move(chooser); }

    // The name chosen last in either dialog; empty until one was chosen.
    QString lastName() const { return m_lastName; }

    // The default chooser: a modal file dialog set up by configureDialog().
    static QString chooseWithDialog(QWidget *parent, DialogKind kind, const QString &lastName);
    // Filters "Tutti i file (*.*)" and "log file (*.log)", the second selected, no default
    // suffix, no question before replacing a file, the last name filled in.
    static void configureDialog(QFileDialog &dialog, DialogKind kind, const QString &lastName);

public slots:
    // Writes the tables into a file the user names, then says where.
    void save();
    // Reads a file the user names into the tables, says from where and emits loaded().
    void load();

signals:
    // The tables now hold what a file carried; the grid should be redrawn.
    void loaded();

private:
    QString choose(DialogKind kind);

    LoopData &m_data;
    Prompts &m_prompts;
    FileChooser m_chooser;
    QWidget *m_parentWidget;
    QString m_lastName;
};

} // namespace testloop
