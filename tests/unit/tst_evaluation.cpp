// Sensor and module evaluation: colours, captions and tooltips at the threshold boundaries.
#include "scan/Evaluation.h"

#include <QTest>

using namespace testloop;

Q_DECLARE_METATYPE(testloop::ButtonColour)

namespace {
using C = ButtonColour;
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

void TestEvaluation::sensor_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("analogue");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("lower");
    QTest::addColumn<int>("upper");
    QTest::addColumn<ButtonColour>("colour");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("toolTip");

    const QString tip7 = QStringLiteral("N° 7");
    const QString conflict7 = QStringLiteral("N° 7 CONFLITTO INDIRIZZI");
    QTest::newRow("in range") << 7 << 450 << 15 << 200 << 300 << 700 << C::Green
                              << QStringLiteral("N 7\nVA450\n[15] ") << tip7;
    QTest::newRow("conflict") << 7 << 450 << 42 << 200 << 300 << 700 << C::White
                              << QStringLiteral("N 7\nVA450\n[42] X2") << conflict7;
    QTest::newRow("equal to the fault threshold")
        << 7 << 200 << 15 << 200 << 300 << 700 << C::Yellow << QStringLiteral("N 7\nVA200\n[15] ")
        << tip7;
    QTest::newRow("below the fault threshold") << 7 << 199 << 15 << 200 << 300 << 700 << C::Red
                                               << QStringLiteral("N 7\nVA199\n[15] ") << tip7;
    QTest::newRow("fault threshold inside the range")
        << 7 << 200 << 15 << 200 << 100 << 700 << C::Green << QStringLiteral("N 7\nVA200\n[15] ")
        << tip7;
    QTest::newRow("upper limit") << 7 << 700 << 15 << 200 << 300 << 700 << C::Green
                                 << QStringLiteral("N 7\nVA700\n[15] ") << tip7;
    QTest::newRow("upper limit + 1") << 7 << 701 << 15 << 200 << 300 << 700 << C::Yellow
                                     << QStringLiteral("N 7\nVA701\n[15] ") << tip7;
    QTest::newRow("lower limit + 1") << 7 << 301 << 15 << 200 << 300 << 700 << C::Yellow
                                     << QStringLiteral("N 7\nVA301\n[15] ") << tip7;
    QTest::newRow("lower limit + 2") << 7 << 302 << 15 << 200 << 300 << 700 << C::Green
                                     << QStringLiteral("N 7\nVA302\n[15] ") << tip7;
    QTest::newRow("current 19") << 7 << 450 << 19 << 200 << 300 << 700 << C::Green
                                << QStringLiteral("N 7\nVA450\n[19] ") << tip7;
    QTest::newRow("current 20") << 7 << 450 << 20 << 200 << 300 << 700 << C::White
                                << QStringLiteral("N 7\nVA450\n[20] X2") << conflict7;
    QTest::newRow("current 99") << 7 << 100 << 99 << 200 << 300 << 700 << C::White
                                << QStringLiteral("N 7\nVA100\n[99] X2") << conflict7;
    QTest::newRow("current 100") << 7 << 100 << 100 << 200 << 300 << 700 << C::Red
                                 << QStringLiteral("N 7\nVA100") << tip7;
    QTest::newRow("no reading yet") << 5 << 0 << 0 << 200 << 400 << 1500 << C::Red
                                    << QStringLiteral("N 5\nVA0\n[0] ") << QStringLiteral("N° 5");
    QTest::newRow("thresholds out of order") << 7 << 400 << 15 << 500 << 300 << 700 << C::Green
                                             << QStringLiteral("N 7\nVA400\n[15] ") << tip7;
    QTest::newRow("highest upper limit")
        << 99 << 32767 << 0 << 200 << 300 << 32767 << C::Green
        << QStringLiteral("N 99\nVA32767\n[0] ") << QStringLiteral("N° 99");
}

void TestEvaluation::sensor()
{
    QFETCH(int, address);
    QFETCH(int, analogue);
    QFETCH(int, current);
    QFETCH(int, fault);
    QFETCH(int, lower);
    QFETCH(int, upper);
    const Thresholds limits {qint16(fault), qint16(lower), qint16(upper)};
    const ButtonView view = EvaluateSensor(address, qint16(analogue), qint16(current), limits);
    QTEST(view.colour, "colour");
    QTEST(view.caption, "caption");
    QTEST(view.toolTip, "toolTip");
    // Evaluating the same address again must not grow the tooltip.
    QCOMPARE(EvaluateSensor(address, qint16(analogue), qint16(current), limits), view);
}

void TestEvaluation::module_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("loop");
    QTest::addColumn<int>("analogue");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("lower");
    QTest::addColumn<int>("upper");
    QTest::addColumn<ButtonColour>("colour");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("toolTip");

    const QString one = QStringLiteral("1");
    const QString ok5 = QStringLiteral("MODULO N° 5 LOOP 1 OK");
    const QString fault5 = QStringLiteral("MODULO N° 5 LOOP 1 GUASTO");
    const QString out5 = QStringLiteral("MODULO N° 5 LOOP 1 FUORI DAI PARAMETRI");

    QTest::newRow("conflict in range")
        << 12 << QStringLiteral("2") << 600 << 30 << 100 << 200 << 800 << C::White
        << QStringLiteral("N 12\nVA600\n[30] X2")
        << QStringLiteral("MODULO N° 12 LOOP 2 OK CONFLITTO INDIRIZZI");
    QTest::newRow("conflict and fault")
        << 5 << one << 50 << 30 << 100 << 200 << 800 << C::White
        << QStringLiteral("N 5\nVA50\n[30] X2") << fault5 + QStringLiteral(" CONFLITTO INDIRIZZI");
    QTest::newRow("conflict out of range")
        << 5 << one << 900 << 25 << 100 << 200 << 800 << C::White
        << QStringLiteral("N 5\nVA900\n[25] X2") << out5 + QStringLiteral(" CONFLITTO INDIRIZZI");
    QTest::newRow("zero with fault threshold 0") << 5 << one << 0 << 0 << 0 << 200 << 800 << C::Red
                                                 << QStringLiteral("N 5\nVA0\n[0] ") << fault5;
    QTest::newRow("zero with negative fault threshold")
        << 5 << one << 0 << 0 << -5 << 200 << 800 << C::Red << QStringLiteral("N 5\nVA0\n[0] ")
        << fault5;
    QTest::newRow("zero inside a range below -1")
        << 5 << one << 0 << 0 << 100 << -3 << 800 << C::Green << QStringLiteral("N 5\nVA0\n[0] ")
        << ok5;
    QTest::newRow("equal to the fault threshold")
        << 5 << one << 100 << 0 << 100 << 200 << 800 << C::Yellow
        << QStringLiteral("N 5\nVA100\n[0] ") << out5;
    QTest::newRow("fault threshold inside the range")
        << 5 << one << 300 << 0 << 300 << 200 << 800 << C::Green
        << QStringLiteral("N 5\nVA300\n[0] ") << ok5;
    QTest::newRow("below the fault threshold") << 5 << one << 99 << 0 << 100 << 200 << 800 << C::Red
                                               << QStringLiteral("N 5\nVA99\n[0] ") << fault5;
    QTest::newRow("upper limit") << 5 << one << 800 << 0 << 100 << 200 << 800 << C::Green
                                 << QStringLiteral("N 5\nVA800\n[0] ") << ok5;
    QTest::newRow("upper limit + 1") << 5 << one << 801 << 0 << 100 << 200 << 800 << C::Yellow
                                     << QStringLiteral("N 5\nVA801\n[0] ") << out5;
    QTest::newRow("lower limit + 1") << 5 << one << 201 << 0 << 100 << 200 << 800 << C::Yellow
                                     << QStringLiteral("N 5\nVA201\n[0] ") << out5;
    QTest::newRow("lower limit + 2") << 5 << one << 202 << 0 << 100 << 200 << 800 << C::Green
                                     << QStringLiteral("N 5\nVA202\n[0] ") << ok5;
    QTest::newRow("current 100") << 5 << one << 500 << 100 << 100 << 200 << 800 << C::Green
                                 << QStringLiteral("N 5\nVA500") << ok5;
}

void TestEvaluation::module()
{
    QFETCH(int, address);
    QFETCH(QString, loop);
    QFETCH(int, analogue);
    QFETCH(int, current);
    QFETCH(int, fault);
    QFETCH(int, lower);
    QFETCH(int, upper);
    const Thresholds limits {qint16(fault), qint16(lower), qint16(upper)};
    const ButtonView view
        = EvaluateModule(address, loop, qint16(analogue), qint16(current), limits);
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
    QTest::newRow("small letters")
        << QStringLiteral("ty") << false << C::ButtonFace << QString() << QString();
    QTest::newRow("T and a blank")
        << QStringLiteral("T ") << false << C::ButtonFace << QString() << QString();
    QTest::newRow("cut short") << QStringLiteral("T") << false << C::ButtonFace << QString()
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
    QCOMPARE(EvaluateSensorTest(5, u"TY", {})->toolTip,
             QStringLiteral("Sensore N°5 Tipo: Zona: 0 <> TEST SENSORE OK"));
}

QTEST_GUILESS_MAIN(TestEvaluation)
#include "tst_evaluation.moc"
