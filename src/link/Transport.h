#pragma once

#include "link/ExchangeEvent.h"
#include "link/PortFailure.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <optional>

namespace testloop {

// The line to the panel as the scan cycle and the download see it: a port opened before a
// request and closed after it, requests written in one piece, and replies taken by their
// length. Bytes are gathered until the receive threshold is reached; the whole gathered text
// is then one reply, handed to whoever owns the current exchange through replyReady().
//
// It reports and never talks to the user: a port that cannot be used is a portFailed(), one
// that goes away while open a linkLost(), and every step is an exchangeEvent() for anyone to
// observe. The serial port is one implementation; the simulator's in-process responder is
// another.
class Transport : public QObject
{
    Q_OBJECT
public:
    explicit Transport(QObject *parent = nullptr);

    // The port number is changed only while the port is closed; false when refused. A scan
    // sets it as it starts, and the device it stands for is looked up again then.
    bool setPortNumber(int number);
    int portNumber() const { return m_portNumber; }
    // The device the port number resolves to, as the user is shown it.
    virtual QString deviceName() const = 0;

    virtual bool isOpen() const = 0;
    // Looks for the device last opened, after it went away: true when it is there again. Where
    // it came back under another name (a USB adapter plugged into another socket) the link
    // follows it there.
    virtual bool findDevice() = 0;
    // Opens the port if it is closed, with nothing gathered and nothing waiting in its input.
    // False, after a portFailed(), when it cannot be opened.
    bool open();
    // Closes the port if it is open; anything gathered is dropped.
    void close();

    // Characters to gather before a reply is handed on; 0 hands on nothing.
    void setReceiveThreshold(int count) { m_threshold = count; }
    int receiveThreshold() const { return m_threshold; }
    // What has been gathered towards the next reply.
    const QByteArray &gathered() const { return m_gathered; }

    // Opens the port if needed and writes the request in one piece, tagged for the events.
    // False, with nothing written, when the port could not be opened or written.
    bool send(const QByteArray &request, const ExchangeTag &tag = {});
    // The tag of the request written last.
    const ExchangeTag &currentTag() const { return m_tag; }

    // Passes an event on to the observers; the exchange owners report their verdicts here.
    void report(const ExchangeEvent &event) { emit exchangeEvent(event); }
    // An event of the exchange under way on this device, with its bytes.
    ExchangeEvent newEvent(ExchangeEvent::Kind kind, const QByteArray &bytes = {}) const;

signals:
    // A whole reply: at least as many characters as the threshold asked for.
    void replyReady(const QByteArray &reply);
    // The port could not be opened or written; nothing was sent.
    void portFailed(const PortFailure &failure);
    // The port went away while open. It has been closed; told once per loss.
    void linkLost(const PortFailure &failure);
    void exchangeEvent(const ExchangeEvent &event);

protected:
    // Opens the device; the failure when it cannot.
    virtual std::optional<PortFailure> openDevice() = 0;
    virtual void closeDevice() = 0;
    // Writes the bytes to the open device; false when the write failed.
    virtual bool writeDevice(const QByteArray &bytes) = 0;

    // Bytes that came in on the open port.
    void gather(const QByteArray &bytes);
    // The port went away: closes it and tells the observers.
    void loseLink(const PortFailure &failure);
    // The port number was set (changed: to another number) while the port was closed.
    virtual void portNumberSet(bool /*changed*/) { }

private:
    int m_portNumber = 0;
    int m_threshold = 0;
    QByteArray m_gathered;
    ExchangeTag m_tag;
};

} // namespace testloop
