#pragma once

#include "link/PortFailure.h"

#include <QByteArray>
#include <QDateTime>
#include <QMetaType>
#include <QString>

namespace testloop {

// What a request is for, and the loop and address it names (0 where it names none). The link
// stamps it on the events of the exchange; it means nothing to the link itself.
struct ExchangeTag
{
    enum class Kind { None, Scan, Test, Download, Lock };
    Kind kind = Kind::None;
    int loop = 0;
    int address = 0;

    friend bool operator==(const ExchangeTag &, const ExchangeTag &) = default;
};

// Why a gathered reply was not taken.
enum class DiscardReason {
    OtherLoop, // it names the other loop
    Short, // fewer characters than the reply has came before the time-out
    Garbled, // more characters than the reply has, or not framed "(" ... ")XZ"
    NotAwaited, // no request was waiting for it
};

// One event of the serial exchange with the panel. The link reports what happens on the port;
// the scan cycle and the download report what they made of each reply. Anything may listen:
// the traffic monitor, the communication counters, a soak test.
struct ExchangeEvent
{
    enum class Kind {
        PortOpened, // device
        PortClosed, // device
        PortFailed, // failure: the port could not be opened or written
        LinkLost, // failure: the port went away in the middle of an exchange
        LinkBack, // device: the device that went away is there again
        RequestOut, // bytes, tag
        ReplyIn, // bytes as gathered, tag of the request they answer
        ReplyAccepted, // tag; repliedAddress when the reply named another address
        ReplyDiscarded, // bytes, reason, tag
        TimedOut, // tag
        ReRead, // tag: a reading below the fault threshold is asked again
    };

    Kind kind = Kind::PortOpened;
    QDateTime time; // wall-clock time in UTC, to the millisecond (local time costs a system call)
    qint64 elapsedUs = 0; // monotonic microseconds since the program started
    ExchangeTag tag;
    QByteArray bytes;
    QString device;
    PortFailure failure;
    DiscardReason reason = DiscardReason::Garbled;
    int repliedAddress = 0; // the address a reply named, where it differs from the tag's

    // An event stamped now.
    static ExchangeEvent now(Kind kind, const ExchangeTag &tag = {});
};

} // namespace testloop

Q_DECLARE_METATYPE(testloop::ExchangeEvent)
