#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

namespace testloop {

class Prompts;
struct SharedState;

// The serial port to the panel. Opened just before a request and closed after it; bytes are
// gathered across readyRead until the receive threshold is reached, then the whole gathered
// text is the reply, handed to the download side or the scan side by DownloadActive.
// Failures are told to the user through Prompts, never swallowed.
class SerialLink : public QObject
{
    Q_OBJECT
public:
    SerialLink(SharedState &shared, Prompts &prompts, QObject *parent = nullptr);
    ~SerialLink() override;

    // Device given on the command line; it then serves every port number.
    void setPortOverride(const QString &device);
    // The port number is changed only while the port is closed; false when refused.
    bool setPortNumber(int number);
    int portNumber() const { return m_portNumber; }
    // The device the current port number resolves to.
    QString deviceName() const;

    bool isOpen() const;
    // Opens the port if it is closed and empties anything left in its input. On failure the
    // user is told which device and why, and the result is false.
    bool open();
    void close();

    // Characters to gather before a reply is handed on; 0 hands on nothing.
    void setReceiveThreshold(int count) { m_threshold = count; }
    int receiveThreshold() const { return m_threshold; }

    // Opens the port if needed and writes the request in one piece. False (and nothing
    // written) when the port could not be opened or the write was refused.
    bool send(const QByteArray &request);
    // Takes all text gathered so far.
    QByteArray readAll();

signals:
    void downloadReplyReady();
    void scanReplyReady();
    // The port went away mid-exchange; emitted once, after it has been closed and before the
    // user is told.
    void linkLost();

private:
    void onReadyRead();
    void onErrorOccurred(QSerialPort::SerialPortError error);
    void handleLinkLost(QSerialPort::SerialPortError error);

    SharedState &m_shared;
    Prompts &m_prompts;
    QSerialPort m_port;
    QString m_override;
    QString m_openDevice; // the device the port was last opened on
    int m_portNumber = 0;
    int m_threshold = 0;
    QByteArray m_received;
    bool m_lossPending = false;
};

} // namespace testloop
