// The verdict on a sensor from its statistics.
#include "scan/Verification.h"

#include <QTest>

using namespace testloop;

Q_DECLARE_METATYPE(testloop::ButtonColour)

class TestVerification : public QObject
{
    Q_OBJECT
private slots:
    void shares_data();
    void shares();
};

void TestVerification::shares_data()
{
    QTest::addColumn<int>("reads");
    QTest::addColumn<int>("ok");
    QTest::addColumn<int>("out");
    QTest::addColumn<int>("fault");
    QTest::addColumn<ButtonColour>("colour");
    QTest::addColumn<QString>("caption");
    using C = ButtonColour;
    QTest::newRow("mostly in range")
        << 20 << 16 << 3 << 1 << C::Green << QStringLiteral("N° 5\n 80%\n 15%\n 5%");
    QTest::newRow("exactly half is red")
        << 2 << 1 << 1 << 0 << C::Red << QStringLiteral("N° 5\n 50%\n 50%\n 0%");
    QTest::newRow("two of three is green")
        << 3 << 2 << 0 << 1 << C::Green << QStringLiteral("N° 5\n 66%\n 0%\n 33%");
    QTest::newRow("truncated separately")
        << 3 << 1 << 1 << 1 << C::Red << QStringLiteral("N° 5\n 33%\n 33%\n 33%");
    QTest::newRow("51 of 100") << 100 << 51 << 49 << 0 << C::Green
                               << QStringLiteral("N° 5\n 51%\n 49%\n 0%");
    QTest::newRow("29 of 100 is 29")
        << 100 << 29 << 71 << 0 << C::Red << QStringLiteral("N° 5\n 29%\n 71%\n 0%");
    QTest::newRow("never read") << 0 << 0 << 0 << 0 << C::ButtonFace
                                << QStringLiteral("N° 5\n 0%\n 0%\n 0%");
    QTest::newRow("negative count from a file")
        << -3 << 2 << 0 << 0 << C::ButtonFace << QStringLiteral("N° 5\n 0%\n 0%\n 0%");
    QTest::newRow("largest counts")
        << 32767 << 32767 << 0 << 0 << C::Green << QStringLiteral("N° 5\n 100%\n 0%\n 0%");
}

void TestVerification::shares()
{
    QFETCH(int, reads);
    QFETCH(int, ok);
    QFETCH(int, out);
    QFETCH(int, fault);
    const Verification v = verifySensor(5, qint16(reads), qint16(ok), qint16(out), qint16(fault));
    QTEST(v.colour, "colour");
    QTEST(v.caption, "caption");
}

QTEST_GUILESS_MAIN(TestVerification)
#include "tst_verification.moc"
