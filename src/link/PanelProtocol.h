#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace testloop::protocol {

// Character counts of the three replies; the receive threshold before each request.
inline constexpr int DownloadReplyLength = 41;
inline constexpr int ScanReplyLength = 29;
inline constexpr int TestReplyLength = 14;
// The lock requests are answered by nothing the program reads, but the threshold is set the
// same as for a test request.
inline constexpr int LockThreshold = 14;

enum class DeviceKind { Sensor, Module };

// A field of a reply by its 1-based position; characters beyond the end of the text are
// simply missing, so a field wholly past the end is empty.
QString field(QStringView reply, int position, int length);

// "(" + board code + body + ")XZ", one byte per character, nothing appended.
QByteArray frame(const QString &boardCode, const QString &body);

// Address 7 is "007" in a download request, "07" in a scan or test request.
QString threeDigitAddress(int address);
QString twoDigitAddress(int address);

QByteArray downloadRequest(const QString &boardCode, const QString &downloadKind,
                           const QString &loop, int address);
QByteArray scanRequest(const QString &boardCode, const QString &loop, DeviceKind kind,
                       const QString &addressText);
QByteArray testRequest(const QString &boardCode, const QString &loop, const QString &addressText);
QByteArray lockRequest(const QString &boardCode, bool on);

// Positions 10-12 address, 13 type digit, 14-15 zone, 16 status, 17-37 description.
struct DownloadReply
{
    double address = 0;
    QString typeDigit;
    double zone = 0;
    double status = 0;
    QString description;
};
DownloadReply decodeDownloadReply(QStringView reply);

// Position 8 loop digit, 10-11 address, 12-14 analogue value, 15-17 current draw.
struct ScanReply
{
    QString loop; // blanks removed
    double address = 0;
    double analogue = 0;
    double current = 0;
};
ScanReply decodeScanReply(QStringView reply);

// Positions 6-7 result ("TY" passed, "TN" failed), 8 loop digit, 10-11 address.
struct TestReply
{
    QString result;
    QString loop;
    double address = 0;
};
TestReply decodeTestReply(QStringView reply);

// The label stored for a type digit 1..7 (compared as a number); nothing for any other.
std::optional<QString> deviceTypeLabel(QStringView typeDigit);

// A device takes part in the sensor test when its zone is not 0 and its status is not 2.
bool isNotActivated(double zone, double status);

// Replies arrive as single-byte text.
QString replyText(const QByteArray &bytes);

// A gathered reply is whole when it has exactly the expected length, starts with "(" and ends
// with ")XZ". Anything else is two replies run together, or a piece of one with noise.
bool isWholeReply(const QByteArray &reply, int expectedLength);

} // namespace testloop::protocol
