// Requests and replies of the panel protocol, as literal wire texts.
#include "link/PanelProtocol.h"
#include "loopdata/NumberText.h"

#include <QTest>

using namespace testloop;
using namespace testloop::protocol;
using namespace Qt::StringLiterals;

class TestProtocol : public QObject
{
    Q_OBJECT
private slots:
    void requests();
    void numbers();
    void downloadReply_data();
    void downloadReply();
    void scanAndTestReplies_data();
    void scanAndTestReplies();
    void wholeReply();
};

// Every address of both loops and the locks are asked in tst_download and tst_scancycle.
void TestProtocol::requests()
{
    const QString code = u"j00"_s, one = u"1"_s, two = u"2"_s;
    QCOMPARE(downloadRequest(code, u"S"_s, two, 15), "(j00DQBS2015)XZ");
    QCOMPARE(scanRequest(code, one, DeviceKind::Module, twoDigitAddress(8)), "(j006AQ1208)XZ");
    QCOMPARE(scanRequest(code, two, DeviceKind::Sensor, twoDigitAddress(5)), "(j006AQ2005)XZ");
    QCOMPARE(testRequest(code, one, twoDigitAddress(31)), "(j006TS1031)XZ");
    QCOMPARE(scanRequest(u"jba"_s, one, DeviceKind::Sensor, twoDigitAddress(99)), "(jba6AQ1099)XZ");
}

void TestProtocol::numbers()
{
    QList<double> values; // blanks inside are ignored, a letter ends the number
    for (const QString &text :
         {u"07"_s, u" 1 2"_s, u"-5 "_s, u"1.5"_s, u"4a7"_s, u"AB"_s, u"-"_s, QString()})
        values.append(numericValue(text));
    QCOMPARE(values, (QList<double> {7, 12, -5, 1.5, 4, 0, 0, 0}));
    QCOMPARE((QStringList {printForm(5), printForm(0), printForm(-5), plainForm(5), plainForm(-5)}),
             (QStringList {u" 5"_s, u" 0"_s, u"-5"_s, u"5"_s, u"-5"_s}));
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
    row("cut short after the type: the rest read 0", "(j00DQRS10151", 15, "NON USATO", 0, true);
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

// Scan replies: 8 loop digit, 10-11 address, 12-14 analogue value, 15-17 current draw. Test
// replies: 6-7 result, 8 loop digit, 10-11 address.
void TestProtocol::scanAndTestReplies_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("loop");
    QTest::addColumn<double>("address");
    QTest::addColumn<QString>("values"); // analogue and current, or the test result
    const auto row = [](const char *name, const char *text, const char *loop, double address,
                        const char *values) {
        QTest::newRow(name) << QString::fromLatin1(text) << QString::fromLatin1(loop) << address
                            << QString::fromLatin1(values);
    };
    row("module 8 of loop 1", "(j006AR1208123045000000000)XZ", "1", 8, "123 45");
    row("400, the highest the histograms hold", "(j006AR2099400000999999999)XZ", "2", 99, "400 0");
    row("blank loop digit", "(j006AR 005045015000000000)XZ", "", 5, "45 15");
    row("garbled fields read 0", "(j006AR1#########000000000)XZ", "1", 0, "0 0");
    row("cut short after the address", "(j006AR1007", "1", 7, "0 0");
    row("test passed, cut short", "(j006TY1031)X", "1", 31, "TY");
    row("test failed", "(j006TN2005)XZ", "2", 5, "TN");
    row("test, small letters", "(j006ty1005)XZ", "1", 5, "ty");
}

void TestProtocol::scanAndTestReplies()
{
    QFETCH(QString, text);
    const bool scan = text.startsWith(u"(j006AR");
    const ScanReply scanned = decodeScanReply(text);
    const TestReply tested = decodeTestReply(text);
    QTEST(scan ? scanned.loop : tested.loop, "loop");
    QTEST(scan ? scanned.address : tested.address, "address");
    QTEST(scan ? u"%1 %2"_s.arg(scanned.analogue).arg(scanned.current) : tested.result, "values");
}

void TestProtocol::wholeReply()
{
    const int scan = ScanReplyLength;
    QVERIFY(isWholeReply("(j006AR1005045015000000000)XZ", scan));
    QVERIFY(isWholeReply("(j00DQRS20152031CORRIDOIO  PIANO  1  0)XZ", DownloadReplyLength));
    // Only the frame counts: the fields are read by position whatever they hold.
    QVERIFY(isWholeReply("(" + QByteArray(25, '\xff') + ")XZ", scan));
    QVERIFY(!isWholeReply("(j006AR10050450150000000000)XZ", scan)); // one byte longer
    QVERIFY(!isWholeReply("(j006AR100504501500000000)XZ", scan)); // one byte shorter
    QVERIFY(!isWholeReply("#j006AR1005045015000000000)XZ", scan));
    QVERIFY(!isWholeReply("(j006AR1005045015000000000)XY", scan));
    QVERIFY(!isWholeReply("(j006AR10050450150000000000XZ", scan)); // XZ without its bracket
    QVERIFY(!isWholeReply(QByteArray(), TestReplyLength));
}

QTEST_GUILESS_MAIN(TestProtocol)
#include "tst_protocol.moc"
