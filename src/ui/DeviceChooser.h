#pragma once

#include <QGroupBox>
#include <QList>
#include <QString>

#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace testloop {

// One serial port of the machine as the system describes it.
struct SerialPortEntry
{
    QString device; // the path to open, "/dev/ttyUSB0"
    QString description;
    QString maker;
    QString serialNumber;
};

// The frame of the configuration dialog that chooses the serial device by what it is rather
// than by its number: the machine's serial ports with their description, maker and serial
// number, read afresh at every opening and by "Aggiorna", and a box for a typed device path
// (pseudo-terminals are not listed). Choosing "by number" leaves the device to the port
// number of the "COM" frame.
class DeviceChooser : public QGroupBox
{
    Q_OBJECT
public:
    using PortLister = std::function<QList<SerialPortEntry>()>;

    explicit DeviceChooser(QWidget *parent = nullptr);

    // The ports the system lists; tests pass a list of their own.
    static QList<SerialPortEntry> systemPorts();
    void setPortLister(PortLister lister);

    // Shows the chosen device (empty: by number) without telling anyone.
    void setChosen(const QString &device);
    // Tells the user that --port on the command line overrides the choice.
    void setOverride(const QString &device);
    // Reads the ports again, keeping the choice.
    void refresh();

    QListWidget *list() const { return m_list; }
    QLineEdit *pathBox() const { return m_path; }
    QPushButton *refreshButton() const { return m_refresh; }

signals:
    // The user chose a device; empty for "by number".
    void chosen(const QString &device);

private:
    void select(const QString &device);

    PortLister m_lister = &DeviceChooser::systemPorts;
    QListWidget *m_list;
    QPushButton *m_refresh;
    QLineEdit *m_path;
    QLabel *m_note;
    QString m_chosen;
};

} // namespace testloop
