#pragma once

#include "config/ConfigurationFile.h"
#include "ui/ConfigurationDialogControls.h"

#include <QDialog>
#include <QString>

namespace testloop {

class DeviceChooser;
class Prompts;
struct SharedState;

// The configuration dialog "Configurazione": serial port, panel model and board code, the six
// classification thresholds and the number of requests made to a faulty device; to their right,
// the serial device chosen by what it is.
//
// The port, the board code and the request count act on the shared settings as soon as their
// control changes; the thresholds are taken from their boxes only by OK, which checks them,
// stores them, redraws the bars, writes the configuration file and closes the dialog. The
// threshold boxes and the request count stay locked until the password is given.
//
// The dialog is modeless and deletes itself when closed (Qt::WA_DeleteOnClose): each opening
// builds a fresh one from the settings in memory. Keeping a single one open is the opener's job.
class ConfigurationDialog : public QDialog
{
    Q_OBJECT
public:
    static inline const QString Title = QStringLiteral("Configurazione");
    static inline const QString PasswordPrompt = QStringLiteral("Password");

    ConfigurationDialog(SharedState &shared, Prompts &prompts,
                        QString configurationPath = ConfigurationFileName,
                        QWidget *parent = nullptr);

    const ConfigurationDialogControls &controls() const { return m_controls; }
    DeviceChooser *deviceChooser() const { return m_devices; }

public slots:
    // "OK": the six checks, store, redraw, save, then close. When the file cannot be written
    // the user has been told why and the dialog stays open, so that OK can be tried again.
    void confirm();
    // "ADVANCED OPTION": the password that shows the reply box or unlocks the thresholds.
    void advancedOptions();
    // Sizes the red and green bars of both frames from the thresholds in memory.
    void drawThresholdBars();

signals:
    // OK has stored the settings: the main window's board-code label shows this code.
    void boardCodeChanged(const QString &code);
    // The password that shows the main window's box with the panel's last reply was given.
    void replyBoxRequested();
    // A serial device was chosen (empty: the port number's); it serves from the next request.
    void deviceChosen(const QString &device);

private:
    void connectControls();
    void fillControls();
    void codeListChanged(const QString &text);
    void retriesListChanged(const QString &text);
    void unlock();

    SharedState &m_shared;
    Prompts &m_prompts;
    QString m_configurationPath;
    ConfigurationDialogControls m_controls;
    DeviceChooser *m_devices = nullptr;
    // True while the opening fills the controls from memory: their handlers then only copy
    // back what was just read.
    bool m_filling = false;
    // The last text of Combo1 taken as the board code, put back when a typed one is refused.
    QString m_acceptedCodeText;
    // The board code in force when the dialog opened, kept by OK when the new one is refused.
    QString m_codeAtOpening;
};

} // namespace testloop
