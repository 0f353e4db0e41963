#include "ui/DeviceChooser.h"

#include "ui/GridGeometry.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSerialPortInfo>

namespace testloop {

namespace {

// "/dev/ttyUSB0 - FT232R USB UART - FTDI - n/s A10K3XYZ", leaving out what the port does not say.
QString describe(const SerialPortEntry &port)
{
    QStringList parts = {port.device};
    for (const QString &part : {port.description, port.maker})
        if (!part.isEmpty())
            parts.append(part);
    if (!port.serialNumber.isEmpty())
        parts.append(QStringLiteral("n/s ") + port.serialNumber);
    return parts.join(QStringLiteral(" - "));
}

const QString ByNumber = QStringLiteral("Secondo il numero di porta (COM)");

} // namespace

DeviceChooser::DeviceChooser(QWidget *parent)
    : QGroupBox(QStringLiteral("DISPOSITIVO SERIALE"), parent)
    , m_list(
          place(new QListWidget(this), QStringLiteral("DeviceList"), QRect(120, 300, 4020, 2640)))
    , m_refresh(place(new QPushButton(QStringLiteral("Aggiorna"), this),
                      QStringLiteral("RefreshDevices"), QRect(120, 3060, 1215, 375)))
    , m_path(place(new QLineEdit(this), QStringLiteral("DevicePath"), QRect(120, 3900, 4020, 315)))
    , m_note(place(new QLabel(this), QStringLiteral("DeviceNote"), QRect(120, 4260, 4020, 600)))
{
    setObjectName(QStringLiteral("DeviceFrame"));
    setToolTip(QStringLiteral("Dispositivo usato per la scansione e il download"));
    m_refresh->setAutoDefault(false);
    place(new QLabel(QStringLiteral("Percorso (anche se non elencato):"), this),
          QStringLiteral("DevicePathLabel"), QRect(120, 3600, 4020, 255));
    m_path->setPlaceholderText(QStringLiteral("/dev/ttyUSB0"));
    m_note->setWordWrap(true);
    m_note->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    connect(m_refresh, &QPushButton::clicked, this, &DeviceChooser::refresh);
    connect(m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        const QString device = item->data(Qt::UserRole).toString();
        m_chosen = device;
        m_path->setText(device);
        emit chosen(device);
    });
    connect(m_path, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_chosen = text.trimmed();
        select(m_chosen);
        emit chosen(m_chosen);
    });
}

QList<SerialPortEntry> DeviceChooser::systemPorts()
{
    QList<SerialPortEntry> ports;
    const QList<QSerialPortInfo> available = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : available) {
        ports.append(
            {info.systemLocation(), info.description(), info.manufacturer(), info.serialNumber()});
    }
    return ports;
}

void DeviceChooser::setPortLister(PortLister lister)
{
    m_lister = std::move(lister);
    refresh();
}

void DeviceChooser::setChosen(const QString &device)
{
    m_chosen = device;
    m_path->setText(device);
    select(device);
}

void DeviceChooser::setOverride(const QString &device)
{
    m_note->setText(device.isEmpty()
                        ? QString()
                        : QStringLiteral("Il programma è stato avviato con --port %1: quel "
                                         "dispositivo ha la precedenza sulla scelta fatta qui.")
                              .arg(device));
}

void DeviceChooser::refresh()
{
    m_list->clear();
    auto *byNumber = new QListWidgetItem(ByNumber, m_list);
    byNumber->setData(Qt::UserRole, QString());
    for (const SerialPortEntry &port : m_lister()) {
        auto *item = new QListWidgetItem(describe(port), m_list);
        item->setData(Qt::UserRole, port.device);
        item->setToolTip(item->text());
    }
    select(m_chosen);
}

// Marks the row of a device; none when the device is not listed (a typed path).
void DeviceChooser::select(const QString &device)
{
    m_list->clearSelection();
    for (int row = 0; row < m_list->count(); ++row) {
        QListWidgetItem *item = m_list->item(row);
        if (item->data(Qt::UserRole).toString() == device) {
            m_list->setCurrentItem(item);
            return;
        }
    }
}

} // namespace testloop
