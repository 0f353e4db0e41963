// Sensor and module evaluation: colours, captions and tooltips at the threshold boundaries; and
// the verdict on a sensor from its statistics.
#include "scan/Evaluation.h"
#include "scan/Verification.h"

#include <QTest>

using namespace testloop;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(testloop::ButtonColour)

namespace {

using C = ButtonColour;

// Fault threshold, lower and upper limit.
const QList<int> Usual {200, 300, 700};

} // namespace

class TestEvaluation : public QObject
{
    Q_OBJECT
private slots:
    void devices_data();
    void devices();
    void sensorTest();
    void verification_data();
    void verification();
};

// Sensor 7, and module 5 of loop 1 unless the row says otherwise. What differs for a module: a
// reading of 0, the start from yellow, the verdict in the tooltip.
void TestEvaluation::devices_data()
{
    QTest::addColumn<bool>("module");
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("loop");
    QTest::addColumn<int>("analogue");
    QTest::addColumn<int>("current");
    QTest::addColumn<QList<int>>("limits");
    QTest::addColumn<ButtonColour>("colour");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("toolTip");
    // The sensor's tooltip is the address alone, warned of a conflict the caption shows.
    const auto sensor = [](const char *name, int analogue, int current, const QList<int> &limits,
                           ButtonColour colour, const char *caption) {
        const QString text = QString::fromUtf8(caption);
        QTest::newRow(name) << false << 7 << QString() << analogue << current << limits << colour
                            << text
                            << (text.endsWith(u"X2") ? u"N° 7 CONFLITTO INDIRIZZI"_s : u"N° 7"_s);
    };
    sensor("equal to the fault threshold", 200, 15, Usual, C::Yellow, "N 7\nVA200\n[15] ");
    sensor("below the fault threshold", 199, 15, Usual, C::Red, "N 7\nVA199\n[15] ");
    sensor("upper limit", 700, 15, Usual, C::Green, "N 7\nVA700\n[15] ");
    sensor("upper limit + 1", 701, 15, Usual, C::Yellow, "N 7\nVA701\n[15] ");
    sensor("lower limit + 1", 301, 15, Usual, C::Yellow, "N 7\nVA301\n[15] ");
    sensor("lower limit + 2", 302, 15, Usual, C::Green, "N 7\nVA302\n[15] ");
    sensor("current 19", 450, 19, Usual, C::Green, "N 7\nVA450\n[19] ");
    sensor("current 20", 450, 20, Usual, C::White, "N 7\nVA450\n[20] X2");
    sensor("current 99", 100, 99, Usual, C::White, "N 7\nVA100\n[99] X2");
    sensor("current 100", 100, 100, Usual, C::Red, "N 7\nVA100");
    sensor("thresholds out of order", 400, 15, {500, 300, 700}, C::Green, "N 7\nVA400\n[15] ");
    sensor("highest upper limit", 32767, 0, {200, 300, 32767}, C::Green, "N 7\nVA32767\n[0] ");

    const QList<int> usual {100, 200, 800};
    const auto module = [](const char *name, int analogue, int current, const QList<int> &limits,
                           ButtonColour colour, const char *caption, const char *verdict,
                           int address = 5, const char *loop = "1") {
        QTest::newRow(name) << true << address << QString::fromLatin1(loop) << analogue << current
                            << limits << colour << QString::fromUtf8(caption)
                            << u"MODULO N° %1 LOOP %2 "_s.arg(address).arg(QLatin1StringView(loop))
                + QString::fromUtf8(verdict);
    };
    module("module: conflict in range, 12 of loop 2", 600, 30, usual, C::White,
           "N 12\nVA600\n[30] X2", "OK CONFLITTO INDIRIZZI", 12, "2");
    module("module: conflict and fault", 50, 30, usual, C::White, "N 5\nVA50\n[30] X2",
           "GUASTO CONFLITTO INDIRIZZI");
    module("module: conflict out of range", 900, 25, usual, C::White, "N 5\nVA900\n[25] X2",
           "FUORI DAI PARAMETRI CONFLITTO INDIRIZZI");
    module("module: zero, fault threshold 0", 0, 0, {0, 200, 800}, C::Red, "N 5\nVA0\n[0] ",
           "GUASTO");
    module("module: zero inside a range below -1", 0, 0, {100, -3, 800}, C::Green, "N 5\nVA0\n[0] ",
           "OK");
    module("module: equal to the fault threshold", 100, 0, usual, C::Yellow, "N 5\nVA100\n[0] ",
           "FUORI DAI PARAMETRI");
    module("module: fault threshold inside the range", 300, 0, {300, 200, 800}, C::Green,
           "N 5\nVA300\n[0] ", "OK");
    module("module: upper limit + 1", 801, 0, usual, C::Yellow, "N 5\nVA801\n[0] ",
           "FUORI DAI PARAMETRI");
    module("module: current 100", 500, 100, usual, C::Green, "N 5\nVA500", "OK");
}

void TestEvaluation::devices()
{
    QFETCH(bool, module);
    QFETCH(int, address);
    QFETCH(QString, loop);
    QFETCH(int, analogue);
    QFETCH(int, current);
    QFETCH(QList<int>, limits);
    const qint16 a = qint16(analogue), c = qint16(current);
    const Thresholds t {qint16(limits[0]), qint16(limits[1]), qint16(limits[2])};
    const ButtonView view
        = module ? EvaluateModule(address, loop, a, c, t) : EvaluateSensor(address, a, c, t);
    QTEST(view.colour, "colour");
    QTEST(view.caption, "caption");
    QTEST(view.toolTip, "toolTip");
}

// The result of a sensor test, and the test mode's redraw before any download.
void TestEvaluation::sensorTest()
{
    const DeviceDescription device {u"AUTOMATICO"_s, 3, u"UFFICIO 3            "_s};
    const QString described = u"Sensore N°5 Tipo:AUTOMATICO Zona: 3 <UFFICIO 3            >"_s;
    QCOMPARE(
        EvaluateSensorTest(5, u"TN"_s, device),
        std::optional(ButtonView {C::Red, u"5\nFAIL !"_s, described + u" TEST SENSORE FALLITO"_s}));
    QCOMPARE(EvaluateSensorTest(5, u"TY"_s, device),
             std::optional(ButtonView {C::Green, u"5\nOK"_s, described + u" TEST SENSORE OK"_s}));
    for (const QString &code : {u"ty"_s, u"T "_s, u"T"_s})
        QCOMPARE(EvaluateSensorTest(5, code, device), std::nullopt);
    // Type and description empty, zone 0; the address in print form.
    QCOMPARE(testModeView(5, {}),
             (ButtonView {C::ButtonFace, u" 5"_s, u"Sensore N° 5 Tipo: Zona: 0 <>"_s}));
}

void TestEvaluation::verification_data()
{
    QTest::addColumn<int>("reads");
    QTest::addColumn<int>("ok");
    QTest::addColumn<int>("out");
    QTest::addColumn<int>("fault");
    QTest::addColumn<ButtonColour>("colour");
    QTest::addColumn<QString>("caption");
    const auto row = [](const char *name, int reads, int ok, int out, int fault, C colour,
                        const char *shares) {
        QTest::newRow(name) << reads << ok << out << fault << colour
                            << u"N° 5\n"_s + QString::fromLatin1(shares);
    };
    row("mostly in range", 20, 16, 3, 1, C::Green, " 80%\n 15%\n 5%");
    row("exactly half is red", 2, 1, 1, 0, C::Red, " 50%\n 50%\n 0%");
    row("two of three is green", 3, 2, 0, 1, C::Green, " 66%\n 0%\n 33%");
    row("truncated separately", 3, 1, 1, 1, C::Red, " 33%\n 33%\n 33%");
    row("51 of 100", 100, 51, 49, 0, C::Green, " 51%\n 49%\n 0%");
    row("29 of 100 is 29", 100, 29, 71, 0, C::Red, " 29%\n 71%\n 0%");
    row("never read", 0, 0, 0, 0, C::ButtonFace, " 0%\n 0%\n 0%");
    row("negative count from a file", -3, 2, 0, 0, C::ButtonFace, " 0%\n 0%\n 0%");
    row("largest counts", 32767, 32767, 0, 0, C::Green, " 100%\n 0%\n 0%");
}

void TestEvaluation::verification()
{
    QFETCH(int, reads);
    QFETCH(int, ok);
    QFETCH(int, out);
    QFETCH(int, fault);
    const Verification v = verifySensor(5, qint16(reads), qint16(ok), qint16(out), qint16(fault));
    QTEST(v.colour, "colour");
    QTEST(v.caption, "caption");
}

QTEST_GUILESS_MAIN(TestEvaluation)
#include "tst_evaluation.moc"
