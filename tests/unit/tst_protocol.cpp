// Requests and replies of the panel protocol, as literal wire texts.
#include "link/PanelProtocol.h"
#include "loopdata/NumberText.h"

#include <QTest>

using namespace testloop;
using namespace testloop::protocol;

namespace {

// Builds a reply of the given length filled with '#', with texts placed at 1-based positions.
QString reply(int length, std::initializer_list<std::pair<int, QString>> fields)
{
    QString text(length, u'#');
    for (const auto &[position, value] : fields)
        text.replace(position - 1, value.size(), value);
    return text;
}

} // namespace

class TestProtocol : public QObject
{
    Q_OBJECT
private slots:
    void requests_data();
    void requests();
    void numericValueOfText_data();
    void numericValueOfText();
    void numberForms();
    void fieldsBeyondTheEnd();
    void downloadReply_data();
    void downloadReply();
    void scanReply_data();
    void scanReply();
    void testReply_data();
    void testReply();
};

void TestProtocol::requests_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected");
    const QString code = QStringLiteral("j00");
    const QString one = QStringLiteral("1"), two = QStringLiteral("2"), s = QStringLiteral("S");

    QTest::newRow("download loop 2 address 15")
        << downloadRequest(code, s, two, 15) << QByteArray("(j00DQBS2015)XZ");
    QTest::newRow("download loop 1 address 7")
        << downloadRequest(code, s, one, 7) << QByteArray("(j00DQBS1007)XZ");
    QTest::newRow("download address 9")
        << downloadRequest(code, s, one, 9) << QByteArray("(j00DQBS1009)XZ");
    QTest::newRow("download address 10")
        << downloadRequest(code, s, one, 10) << QByteArray("(j00DQBS1010)XZ");
    QTest::newRow("download loop 2 address 1")
        << downloadRequest(code, s, two, 1) << QByteArray("(j00DQBS2001)XZ");
    QTest::newRow("scan module 8 loop 1")
        << scanRequest(code, one, DeviceKind::Module, twoDigitAddress(8))
        << QByteArray("(j006AQ1208)XZ");
    QTest::newRow("scan sensor 5 loop 2")
        << scanRequest(code, two, DeviceKind::Sensor, twoDigitAddress(5))
        << QByteArray("(j006AQ2005)XZ");
    QTest::newRow("scan address 9")
        << scanRequest(code, one, DeviceKind::Sensor, twoDigitAddress(9))
        << QByteArray("(j006AQ1009)XZ");
    QTest::newRow("scan address 10")
        << scanRequest(code, one, DeviceKind::Sensor, twoDigitAddress(10))
        << QByteArray("(j006AQ1010)XZ");
    QTest::newRow("test sensor 31 loop 1")
        << testRequest(code, one, twoDigitAddress(31)) << QByteArray("(j006TS1031)XZ");
    QTest::newRow("lock on") << lockRequest(code, true) << QByteArray("(j006PIS000)XZ");
    QTest::newRow("lock off") << lockRequest(code, false) << QByteArray("(j006PFS000)XZ");
    QTest::newRow("other board code")
        << scanRequest(QStringLiteral("jba"), one, DeviceKind::Sensor, twoDigitAddress(99))
        << QByteArray("(jba6AQ1099)XZ");
    QTest::newRow("empty board code") << lockRequest(QString(), true) << QByteArray("(6PIS000)XZ");
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
    QTest::newRow("trailing blank") << QStringLiteral("1 ") << 1.0;
    QTest::newRow("letters") << QStringLiteral("AB") << 0.0;
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("blanks inside are ignored") << QStringLiteral(" 1 2") << 12.0;
    QTest::newRow("negative") << QStringLiteral("-5 ") << -5.0;
    QTest::newRow("three digits") << QStringLiteral("045") << 45.0;
    QTest::newRow("stops at a letter") << QStringLiteral("4a7") << 4.0;
    QTest::newRow("fraction") << QStringLiteral("1.5") << 1.5;
    QTest::newRow("sign alone") << QStringLiteral("-") << 0.0;
    QTest::newRow("garbage first") << QStringLiteral("#12") << 0.0;
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
    QCOMPARE(toWhole(2.5), 2); // half to even, as a table index is formed
    QCOMPARE(toWhole(3.5), 4);
    QCOMPARE(toWhole(1e300), std::numeric_limits<int>::max());
}

void TestProtocol::fieldsBeyondTheEnd()
{
    QCOMPARE(field(u"(j006AQ1", 10, 2), QString());
    QCOMPARE(field(u"(j006AQ1201", 10, 3), QStringLiteral("01"));
    QCOMPARE(decodeScanReply(u"(j00").address, 0.0);
    QCOMPARE(decodeDownloadReply(u"").description, QString());
}

void TestProtocol::downloadReply_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("address");
    QTest::addColumn<QString>("label"); // empty: no label stored
    QTest::addColumn<double>("zone");
    QTest::addColumn<bool>("notActivated");

    const QString description = QStringLiteral("CORRIDOIO  PIANO  1  ");
    QTest::newRow("address 15 automatic zone 3")
        << reply(41,
                 {{10, QStringLiteral("015")},
                  {13, QStringLiteral("2")},
                  {14, QStringLiteral("03")},
                  {16, QStringLiteral("1")},
                  {17, description}})
        << 15.0 << QStringLiteral("AUTOMATICO") << 3.0 << false;
    QTest::newRow("type 7") << reply(41,
                                     {{10, QStringLiteral("001")},
                                      {13, QStringLiteral("7")},
                                      {14, QStringLiteral("05")},
                                      {16, QStringLiteral("0")}})
                            << 1.0 << QStringLiteral("KELVARO") << 5.0 << false;
    QTest::newRow("type 1") << reply(
        41, {{13, QStringLiteral("1")}, {14, QStringLiteral("05")}, {16, QStringLiteral("0")}})
                            << 0.0 << QStringLiteral("NON USATO") << 5.0 << false;
    QTest::newRow("type 8 keeps the label") << reply(41,
                                                     {{10, QStringLiteral("099")},
                                                      {13, QStringLiteral("8")},
                                                      {14, QStringLiteral("05")},
                                                      {16, QStringLiteral("0")}})
                                            << 99.0 << QString() << 5.0 << false;
    QTest::newRow("type letter keeps the label") << reply(41,
                                                          {{10, QStringLiteral("020")},
                                                           {13, QStringLiteral("A")},
                                                           {14, QStringLiteral("05")},
                                                           {16, QStringLiteral("0")}})
                                                 << 20.0 << QString() << 5.0 << false;
    QTest::newRow("zone 0 status 1 not activated")
        << reply(41,
                 {{13, QStringLiteral("2")}, {14, QStringLiteral("00")}, {16, QStringLiteral("1")}})
        << 0.0 << QStringLiteral("AUTOMATICO") << 0.0 << true;
    QTest::newRow("zone 5 status 2 not activated")
        << reply(41,
                 {{13, QStringLiteral("3")}, {14, QStringLiteral("05")}, {16, QStringLiteral("2")}})
        << 0.0 << QStringLiteral("FIAMMA ULTRAVIOLETTI") << 5.0 << true;
    QTest::newRow("address field without digits")
        << reply(41,
                 {{10, QStringLiteral("ABC")},
                  {13, QStringLiteral("4")},
                  {14, QStringLiteral("12")},
                  {16, QStringLiteral("0")}})
        << 0.0 << QStringLiteral("FIAMMA INFRAROSSI") << 12.0 << false;
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

void TestProtocol::scanReply_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("loop");
    QTest::addColumn<double>("address");
    QTest::addColumn<double>("analogue");
    QTest::addColumn<double>("current");

    QTest::newRow("module 8") << reply(29,
                                       {{8, QStringLiteral("1")},
                                        {10, QStringLiteral("08")},
                                        {12, QStringLiteral("123")},
                                        {15, QStringLiteral("045")}})
                              << QStringLiteral("1") << 8.0 << 123.0 << 45.0;
    QTest::newRow("highest histogram value") << reply(29,
                                                      {{8, QStringLiteral("2")},
                                                       {10, QStringLiteral("99")},
                                                       {12, QStringLiteral("400")},
                                                       {15, QStringLiteral("000")}})
                                             << QStringLiteral("2") << 99.0 << 400.0 << 0.0;
    QTest::newRow("blank loop digit")
        << reply(29, {{8, QStringLiteral(" ")}, {10, QStringLiteral("05")}}) << QString() << 5.0
        << 0.0 << 0.0;
    QTest::newRow("garbled fields read 0")
        << reply(29, {{8, QStringLiteral("1")}}) << QStringLiteral("1") << 0.0 << 0.0 << 0.0;
    QTest::newRow("cut short after the address")
        << QStringLiteral("(j006AR1007") << QStringLiteral("1") << 7.0 << 0.0 << 0.0;
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

void TestProtocol::testReply_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("loop");
    QTest::addColumn<double>("address");
    QTest::newRow("passed") << QStringLiteral("(j006TY1031)X") << QStringLiteral("TY")
                            << QStringLiteral("1") << 31.0;
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

QTEST_GUILESS_MAIN(TestProtocol)
#include "tst_protocol.moc"
