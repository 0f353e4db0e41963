#pragma once

#include <QString>

#include <chrono>
#include <cstdint>
#include <optional>

namespace testloop::sim {

// What can go wrong with one reply.
enum class Fault {
    None,
    Silence, // no reply
    Late, // the whole reply, after lateDelay instead of replyDelay
    Partial, // the first half of the reply's characters, never the rest
    Garbage, // random printable characters, as many as the reply has
    OtherLoop, // the reply for the same address on the other loop
    OtherAddress, // the reply for the next address (99 is followed by 1)
};

// How the characters of a reply are handed to the line.
enum class Delivery {
    Whole, // in one write
    Halves, // two writes, pieceGap apart
    ByteByByte, // one write per character, pieceGap apart
};

// Probability 0..1 of each fault on a replying request; checked in this order.
struct FaultRates
{
    double silence = 0;
    double late = 0;
    double partial = 0;
    double garbage = 0;
    double otherLoop = 0;
    double otherAddress = 0;
};

struct ServerOptions
{
    std::chrono::milliseconds replyDelay {0};
    std::chrono::milliseconds lateDelay {12000};
    Delivery delivery = Delivery::Whole;
    std::chrono::milliseconds pieceGap {5};
    // Holds the line to the pace of 9600 baud 8N1: ten bits, ~1.042 ms, per character.
    bool linePacing = false;
    std::uint32_t seed = 1;
    FaultRates faults;
    QString logPath; // empty: no log
    QString linkPath; // empty: no symbolic link to the device
};

// "none", "silence", "late", "partial", "garbage", "other-loop", "other-address".
QString faultName(Fault fault);
// "whole", "halves", "bytes".
std::optional<Delivery> deliveryFromName(const QString &name);

} // namespace testloop::sim
