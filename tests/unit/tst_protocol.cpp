// Requests and replies of the panel protocol, as literal wire texts.
#include "link/PanelProtocol.h"
#include "loopdata/NumberText.h"

#include <QTest>

using namespace testloop;
using namespace testloop::protocol;

class TestProtocol : public QObject
{
    Q_OBJECT
private slots:
    void requests_data();
    void requests();
    void numericValueOfText_data();
    void numericValueOfText();
    void numberForms();
    void downloadReply_data();
    void downloadReply();
    void scanReply_data();
    void scanReply();
    void testReply_data();
    void testReply();
    void wholeReply_data();
    void wholeReply();
};

void TestProtocol::requests_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected");
    const auto row = [](const char *name, const QByteArray &built, const char *expected) {
        QTest::newRow(name) << built << QByteArray(expected);
    };
    const QString code = QStringLiteral("j00"), s = QStringLiteral("S");
    const QString one = QStringLiteral("1"), two = QStringLiteral("2");
    const auto sensor = DeviceKind::Sensor;

    // Every address of both loops is asked in the engine tests (tst_download, tst_scancycle),
    // and the lock requests too.
    row("download loop 2 address 15", downloadRequest(code, s, two, 15), "(j00DQBS2015)XZ");
    row("download address 9", downloadRequest(code, s, one, 9), "(j00DQBS1009)XZ");
    row("scan module 8 loop 1", scanRequest(code, one, DeviceKind::Module, twoDigitAddress(8)),
        "(j006AQ1208)XZ");
    row("scan sensor 5 loop 2", scanRequest(code, two, sensor, twoDigitAddress(5)),
        "(j006AQ2005)XZ");
    row("test sensor 31 loop 1", testRequest(code, one, twoDigitAddress(31)), "(j006TS1031)XZ");
    row("other board code, address 99",
        scanRequest(QStringLiteral("jba"), one, sensor, twoDigitAddress(99)), "(jba6AQ1099)XZ");
}

void TestProtocol::requests()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, expected);
    QCOMPARE(built, expected);
}

void TestProtocol::numericValueOfText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("leading zero") << QStringLiteral("07") << 7.0;
    QTest::newRow("blanks inside are ignored") << QStringLiteral(" 1 2") << 12.0;
    QTest::newRow("negative") << QStringLiteral("-5 ") << -5.0;
    QTest::newRow("fraction") << QStringLiteral("1.5") << 1.5;
    QTest::newRow("stops at a letter") << QStringLiteral("4a7") << 4.0;
    QTest::newRow("letters") << QStringLiteral("AB") << 0.0;
    QTest::newRow("sign alone") << QStringLiteral("-") << 0.0;
    QTest::newRow("empty") << QString() << 0.0;
}

void TestProtocol::numericValueOfText()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(numericValue(text), value);
}

void TestProtocol::numberForms()
{
    QCOMPARE(printForm(5), QStringLiteral(" 5"));
    QCOMPARE(printForm(0), QStringLiteral(" 0"));
    QCOMPARE(printForm(-5), QStringLiteral("-5"));
    QCOMPARE(plainForm(5), QStringLiteral("5"));
    QCOMPARE(plainForm(-5), QStringLiteral("-5"));
    QCOMPARE(toWhole(1e300), std::numeric_limits<int>::max()); // never wraps
}

// Download replies: 10-12 address, 13 type digit, 14-15 zone, 16 status, 17-37 description.
void TestProtocol::downloadReply_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("address");
    QTest::addColumn<QString>("label"); // empty: no label stored
    QTest::addColumn<double>("zone");
    QTest::addColumn<bool>("notActivated");
    const auto row = [](const char *name, const char *text, double address, const char *label,
                        double zone, bool notActivated) {
        QTest::newRow(name) << QString::fromLatin1(text) << address << QString::fromLatin1(label)
                            << zone << notActivated;
    };
    row("loop 2 address 15, automatic, zone 3", "(j00DQRS20152031CORRIDOIO  PIANO  1  0)XZ", 15,
        "AUTOMATICO", 3, false);
    row("type 7, zone 05 status 0", "(j00DQRS10017050MAGAZZINO SUD        0)XZ", 1, "KELVARO", 5,
        false);
    row("type 8 keeps the label", "(j00DQRS10998050                     0)XZ", 99, "", 5, false);
    row("zone 00 status 1", "(j00DQRS10022001                     0)XZ", 2, "AUTOMATICO", 0, true);
    row("zone 05 status 2", "(j00DQRS10033052                     0)XZ", 3, "FIAMMA ULTRAVIOLETTI",
        5, true);
    row("address without digits", "(j00DQRS1ABC4120                     0)XZ", 0,
        "FIAMMA INFRAROSSI", 12, false);
    // Fields beyond the end of the text are empty and read 0.
    row("cut short after the type", "(j00DQRS10151", 15, "NON USATO", 0, true);
}

void TestProtocol::downloadReply()
{
    QFETCH(QString, text);
    const DownloadReply decoded = decodeDownloadReply(text);
    QTEST(decoded.address, "address");
    QTEST(deviceTypeLabel(decoded.typeDigit).value_or(QString()), "label");
    QTEST(decoded.zone, "zone");
    QTEST(isNotActivated(decoded.zone, decoded.status), "notActivated");
    QCOMPARE(decoded.description, text.mid(16, 21));
}

// Scan replies: 8 loop digit, 10-11 address, 12-14 analogue value, 15-17 current draw.
void TestProtocol::scanReply_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("loop");
    QTest::addColumn<double>("address");
    QTest::addColumn<double>("analogue");
    QTest::addColumn<double>("current");
    const auto row = [](const char *name, const char *text, const char *loop, double address,
                        double analogue, double current) {
        QTest::newRow(name) << QString::fromLatin1(text) << QString::fromLatin1(loop) << address
                            << analogue << current;
    };
    row("module 8 of loop 1", "(j006AR1208123045000000000)XZ", "1", 8, 123, 45);
    row("400, the highest the histograms hold", "(j006AR2099400000999999999)XZ", "2", 99, 400, 0);
    row("blank loop digit", "(j006AR 005045015000000000)XZ", "", 5, 45, 15);
    row("garbled fields read 0", "(j006AR1#########000000000)XZ", "1", 0, 0, 0);
    row("cut short after the address", "(j006AR1007", "1", 7, 0, 0);
}

void TestProtocol::scanReply()
{
    QFETCH(QString, text);
    const ScanReply decoded = decodeScanReply(text);
    QTEST(decoded.loop, "loop");
    QTEST(decoded.address, "address");
    QTEST(decoded.analogue, "analogue");
    QTEST(decoded.current, "current");
}

// Test replies: 6-7 result, 8 loop digit, 10-11 address.
void TestProtocol::testReply_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("loop");
    QTest::addColumn<double>("address");
    QTest::newRow("passed, cut short")
        << QStringLiteral("(j006TY1031)X") << QStringLiteral("TY") << QStringLiteral("1") << 31.0;
    QTest::newRow("failed") << QStringLiteral("(j006TN2005)XZ") << QStringLiteral("TN")
                            << QStringLiteral("2") << 5.0;
    QTest::newRow("small letters")
        << QStringLiteral("(j006ty1005)XZ") << QStringLiteral("ty") << QStringLiteral("1") << 5.0;
}

void TestProtocol::testReply()
{
    QFETCH(QString, text);
    const TestReply decoded = decodeTestReply(text);
    QTEST(decoded.result, "result");
    QTEST(decoded.loop, "loop");
    QTEST(decoded.address, "address");
}

void TestProtocol::wholeReply_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("whole");
    const auto row = [](const char *name, const QByteArray &bytes, int length, bool whole) {
        QTest::newRow(name) << bytes << length << whole;
    };
    const QByteArray scan = "(j006AR1005045015000000000)XZ";
    row("scan", scan, ScanReplyLength, true);
    row("download", "(j00DQRS20152031CORRIDOIO  PIANO  1  0)XZ", DownloadReplyLength, true);
    // Only the frame counts: the fields are read by position whatever they hold.
    row("noise inside the frame", "(" + QByteArray(25, '\xff') + ")XZ", ScanReplyLength, true);
    // A short piece joined to a whole reply, and noise of the right length: tst_scancycle.
    row("one byte longer", "(j006AR10050450150000000000)XZ", ScanReplyLength, false);
    row("one byte shorter", "(j006AR100504501500000000)XZ", ScanReplyLength, false);
    row("no opening bracket", "#j006AR1005045015000000000)XZ", ScanReplyLength, false);
    row("no )XZ at the end", "(j006AR1005045015000000000)XY", ScanReplyLength, false);
    row("XZ without its bracket", "(j006AR10050450150000000000XZ", ScanReplyLength, false);
    row("nothing", QByteArray(), TestReplyLength, false);
}

void TestProtocol::wholeReply()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, length);
    QTEST(isWholeReply(bytes, length), "whole");
}

QTEST_GUILESS_MAIN(TestProtocol)
#include "tst_protocol.moc"
