// Sensor and module evaluation: colours, captions and tooltips at the threshold boundaries.
#include "scan/Evaluation.h"

#include <QTest>

using namespace testloop;

Q_DECLARE_METATYPE(testloop::ButtonColour)

namespace {

using C = ButtonColour;

// Fault threshold, lower and upper limit.
const QList<int> Usual {200, 300, 700};

Thresholds thresholds(const QList<int> &limits)
{
    return {qint16(limits[0]), qint16(limits[1]), qint16(limits[2])};
}

} // namespace

class TestEvaluation : public QObject
{
    Q_OBJECT
private slots:
    void sensor_data();
    void sensor();
    void module_data();
    void module();
    void sensorTest_data();
    void sensorTest();
    void testModeRedraw();
};

// Address 7 throughout.
void TestEvaluation::sensor_data()
{
    QTest::addColumn<int>("analogue");
    QTest::addColumn<int>("current");
    QTest::addColumn<QList<int>>("limits");
    QTest::addColumn<ButtonColour>("colour");
    QTest::addColumn<QString>("caption");
    const auto row = [](const char *name, int analogue, int current, const QList<int> &limits,
                        ButtonColour colour, const char *caption) {
        QTest::newRow(name) << analogue << current << limits << colour
                            << QString::fromUtf8(caption);
    };
    row("equal to the fault threshold", 200, 15, Usual, C::Yellow, "N 7\nVA200\n[15] ");
    row("below the fault threshold", 199, 15, Usual, C::Red, "N 7\nVA199\n[15] ");
    row("upper limit", 700, 15, Usual, C::Green, "N 7\nVA700\n[15] ");
    row("upper limit + 1", 701, 15, Usual, C::Yellow, "N 7\nVA701\n[15] ");
    row("lower limit + 1", 301, 15, Usual, C::Yellow, "N 7\nVA301\n[15] ");
    row("lower limit + 2", 302, 15, Usual, C::Green, "N 7\nVA302\n[15] ");
    row("current 19", 450, 19, Usual, C::Green, "N 7\nVA450\n[19] ");
    row("current 20", 450, 20, Usual, C::White, "N 7\nVA450\n[20] X2");
    row("current 99", 100, 99, Usual, C::White, "N 7\nVA100\n[99] X2");
    row("current 100", 100, 100, Usual, C::Red, "N 7\nVA100");
    row("thresholds out of order", 400, 15, {500, 300, 700}, C::Green, "N 7\nVA400\n[15] ");
    row("highest upper limit", 32767, 0, {200, 300, 32767}, C::Green, "N 7\nVA32767\n[0] ");
}

void TestEvaluation::sensor()
{
    QFETCH(int, analogue);
    QFETCH(int, current);
    QFETCH(QList<int>, limits);
    QFETCH(QString, caption);
    const ButtonView view
        = EvaluateSensor(7, qint16(analogue), qint16(current), thresholds(limits));
    QTEST(view.colour, "colour");
    QCOMPARE(view.caption, caption);
    // The tooltip is the address alone, warned of a conflict when the caption shows one.
    QCOMPARE(view.toolTip,
             QStringLiteral("N° 7")
                 + (caption.endsWith(u"X2") ? QStringLiteral(" CONFLITTO INDIRIZZI") : QString()));
}

// Module 5 of loop 1 unless the row says otherwise. The range test is the sensors' own; what
// differs is a reading of 0, the start from yellow and the verdict in the tooltip.
void TestEvaluation::module_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("loop");
    QTest::addColumn<int>("analogue");
    QTest::addColumn<int>("current");
    QTest::addColumn<QList<int>>("limits");
    QTest::addColumn<ButtonColour>("colour");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("toolTip");
    const QList<int> usual {100, 200, 800};
    const auto row = [](const char *name, int analogue, int current, const QList<int> &limits,
                        ButtonColour colour, const char *caption, const char *verdict,
                        int address = 5, const char *loop = "1") {
        QTest::newRow(name)
            << address << QString::fromLatin1(loop) << analogue << current << limits << colour
            << QString::fromUtf8(caption)
            << QStringLiteral("MODULO N° %1 LOOP %2 ").arg(address).arg(QLatin1StringView(loop))
                + QString::fromUtf8(verdict);
    };
    row("conflict in range, module 12 of loop 2", 600, 30, usual, C::White, "N 12\nVA600\n[30] X2",
        "OK CONFLITTO INDIRIZZI", 12, "2");
    row("conflict and fault", 50, 30, usual, C::White, "N 5\nVA50\n[30] X2",
        "GUASTO CONFLITTO INDIRIZZI");
    row("conflict out of range", 900, 25, usual, C::White, "N 5\nVA900\n[25] X2",
        "FUORI DAI PARAMETRI CONFLITTO INDIRIZZI");
    row("zero with fault threshold 0", 0, 0, {0, 200, 800}, C::Red, "N 5\nVA0\n[0] ", "GUASTO");
    row("zero inside a range below -1", 0, 0, {100, -3, 800}, C::Green, "N 5\nVA0\n[0] ", "OK");
    row("equal to the fault threshold", 100, 0, usual, C::Yellow, "N 5\nVA100\n[0] ",
        "FUORI DAI PARAMETRI");
    row("fault threshold inside the range", 300, 0, {300, 200, 800}, C::Green, "N 5\nVA300\n[0] ",
        "OK");
    row("upper limit + 1", 801, 0, usual, C::Yellow, "N 5\nVA801\n[0] ", "FUORI DAI PARAMETRI");
    row("current 100", 500, 100, usual, C::Green, "N 5\nVA500", "OK");
}

void TestEvaluation::module()
{
    QFETCH(int, address);
    QFETCH(QString, loop);
    QFETCH(int, analogue);
    QFETCH(int, current);
    QFETCH(QList<int>, limits);
    const ButtonView view
        = EvaluateModule(address, loop, qint16(analogue), qint16(current), thresholds(limits));
    QTEST(view.colour, "colour");
    QTEST(view.caption, "caption");
    QTEST(view.toolTip, "toolTip");
}

void TestEvaluation::sensorTest_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<ButtonColour>("colour");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("toolTip");
    const QString described
        = QStringLiteral("Sensore N°5 Tipo:AUTOMATICO Zona: 3 <UFFICIO 3            >");
    QTest::newRow("failed") << QStringLiteral("TN") << true << C::Red << QStringLiteral("5\nFAIL !")
                            << described + QStringLiteral(" TEST SENSORE FALLITO");
    QTest::newRow("passed") << QStringLiteral("TY") << true << C::Green << QStringLiteral("5\nOK")
                            << described + QStringLiteral(" TEST SENSORE OK");
    for (const char *code : {"ty", "T ", "T"})
        QTest::newRow(code) << QString::fromLatin1(code) << false << C::ButtonFace << QString()
                            << QString();
}

void TestEvaluation::sensorTest()
{
    QFETCH(QString, code);
    QFETCH(bool, shown);
    const DeviceDescription device {QStringLiteral("AUTOMATICO"), 3,
                                    QStringLiteral("UFFICIO 3            ")};
    const std::optional<ButtonView> view = EvaluateSensorTest(5, code, device);
    QCOMPARE(view.has_value(), shown);
    if (!view)
        return;
    QTEST(view->colour, "colour");
    QTEST(view->caption, "caption");
    QTEST(view->toolTip, "toolTip");
}

void TestEvaluation::testModeRedraw()
{
    // Before any download: type and description empty, zone 0; the address in print form.
    QCOMPARE(testModeView(5, {}),
             (ButtonView {C::ButtonFace, QStringLiteral(" 5"),
                          QStringLiteral("Sensore N° 5 Tipo: Zona: 0 <>")}));
}

QTEST_GUILESS_MAIN(TestEvaluation)
#include "tst_evaluation.moc"
