// The threshold checks run by the configuration dialog's OK, the bars of its threshold graphic
// and the board codes it refuses.
#include "config/BoardCodeCheck.h"
#include "config/ThresholdBars.h"
#include "config/ThresholdChecks.h"

#include <QTest>

using namespace testloop;
using namespace Qt::StringLiterals;

namespace {

// Stored sensor thresholds 100/500/2000 and module thresholds 150/600/2500.
Settings stored()
{
    Settings s;
    s.GSMax = 100;
    s.VaSMin = 500;
    s.VaSMax = 2000;
    s.GMMax = 150;
    s.VaMMin = 600;
    s.VaMMax = 2500;
    return s;
}

// The boxes in check order: sensor fault, lower, upper, module fault, lower, upper.
ThresholdTexts texts(const QStringList &six)
{
    ThresholdTexts result;
    for (int i = 0; i < ThresholdBoxCount; ++i)
        result[size_t(i)] = six[i];
    return result;
}

QStringList asList(const ThresholdTexts &texts)
{
    return QStringList(texts.begin(), texts.end());
}

QList<int> thresholds(const Settings &s)
{
    return {s.GSMax, s.VaSMin, s.VaSMax, s.GMMax, s.VaMMin, s.VaMMax};
}

} // namespace

class TestThresholdChecks : public QObject
{
    Q_OBJECT
private slots:
    void checks_data();
    void checks();
    void failureNamesBoxAndRestoredText();
    void otherSettingsAreKept();

    void values_data();
    void values();

    void bars_data();
    void bars();

    void boardCodes_data();
    void boardCodes();
};

void TestThresholdChecks::checks_data()
{
    QTest::addColumn<QStringList>("entered");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("boxesAfter");
    QTest::addColumn<QList<int>>("storedAfter");

    const QStringList unchanged = {u"100"_s, u"500"_s, u"2000"_s, u"150"_s, u"600"_s, u"2500"_s};
    const QList<int> old = {100, 500, 2000, 150, 600, 2500};

    QTest::newRow("unchanged") << unchanged << QStringList() << unchanged << old;
    QTest::newRow("all valid changes")
        << QStringList {u"50"_s, u"300"_s, u"3000"_s, u"60"_s, u"70"_s, u"80"_s} << QStringList()
        << QStringList {u"50"_s, u"300"_s, u"3000"_s, u"60"_s, u"70"_s, u"80"_s}
        << QList<int> {50, 300, 3000, 60, 70, 80};
    QTest::newRow("equal values pass")
        << QStringList {u"700"_s, u"700"_s, u"700"_s, u"0"_s, u"0"_s, u"0"_s} << QStringList()
        << QStringList {u"700"_s, u"700"_s, u"700"_s, u"0"_s, u"0"_s, u"0"_s}
        << QList<int> {700, 700, 700, 0, 0, 0};
    QTest::newRow("upper 4000 accepted")
        << QStringList {u"100"_s, u"500"_s, u"4000"_s, u"150"_s, u"600"_s, u"4000"_s}
        << QStringList()
        << QStringList {u"100"_s, u"500"_s, u"4000"_s, u"150"_s, u"600"_s, u"4000"_s}
        << QList<int> {100, 500, 4000, 150, 600, 4000};
    QTest::newRow("sensor upper 4001")
        << QStringList {u"100"_s, u"500"_s, u"4001"_s, u"150"_s, u"600"_s, u"2500"_s}
        << QStringList {u"Bad Range VaSmax"_s} << unchanged << old;
    QTest::newRow("module upper 4001")
        << QStringList {u"100"_s, u"500"_s, u"2000"_s, u"150"_s, u"600"_s, u"4001"_s}
        << QStringList {u"Bad Range VaMmax"_s} << unchanged << old;
    // Compared as real numbers: 4000.4 is above the highest upper limit even though it would
    // be stored as 4000.
    QTest::newRow("upper 4000.4") << QStringList {u"100"_s, u"500"_s, u"4000.4"_s,
                                                  u"150"_s, u"600"_s, u"2500"_s}
                                  << QStringList {u"Bad Range VaSmax"_s} << unchanged << old;
    // Lower limit 50 below the fault threshold 100: check 1 restores the fault threshold, check
    // 2 then finds 100 > 50 and restores the lower limit; check 3 passes.
    QTest::newRow("sensor lower below fault")
        << QStringList {u"100"_s, u"50"_s, u"2000"_s, u"150"_s, u"600"_s, u"2500"_s}
        << QStringList {u"Bad Range GSMAX"_s, u"Bad Range VaSmin"_s} << unchanged << old;
    QTest::newRow("module lower below fault")
        << QStringList {u"100"_s, u"500"_s, u"2000"_s, u"150"_s, u"50"_s, u"2500"_s}
        << QStringList {u"Bad Range GMMAX"_s, u"Bad Range VaMmin"_s} << unchanged << old;
    // Lower 3000 passes check 2 against the entered upper 4500; check 3 restores the upper
    // limit to 2000, below the new lower limit, and the pair is stored as it stands.
    QTest::newRow("upper restored below new lower")
        << QStringList {u"100"_s, u"3000"_s, u"4500"_s, u"150"_s, u"600"_s, u"2500"_s}
        << QStringList {u"Bad Range VaSmax"_s}
        << QStringList {u"100"_s, u"3000"_s, u"2000"_s, u"150"_s, u"600"_s, u"2500"_s}
        << QList<int> {100, 3000, 2000, 150, 600, 2500};
    QTest::newRow("fault above lower")
        << QStringList {u"600"_s, u"500"_s, u"2000"_s, u"150"_s, u"600"_s, u"2500"_s}
        << QStringList {u"Bad Range GSMAX"_s} << unchanged << old;
    QTest::newRow("upper below lower")
        << QStringList {u"100"_s, u"500"_s, u"400"_s, u"150"_s, u"600"_s, u"2500"_s}
        << QStringList {u"Bad Range VaSmin"_s, u"Bad Range VaSmax"_s}
        << QStringList {u"100"_s, u"500"_s, u"2000"_s, u"150"_s, u"600"_s, u"2500"_s} << old;
    QTest::newRow("every check fails")
        << QStringList {u"9"_s, u"1"_s, u"9999"_s, u"9"_s, u"1"_s, u"9999"_s}
        << QStringList {u"Bad Range GSMAX"_s, u"Bad Range VaSmin"_s, u"Bad Range VaSmax"_s,
                        u"Bad Range GMMAX"_s, u"Bad Range VaMmin"_s, u"Bad Range VaMmax"_s}
        << unchanged << old;
    QTest::newRow("text reads as its leading number")
        << QStringList {u"abc"_s, u"12x"_s, u" 2000"_s, u"150"_s, u"600"_s, u"2500"_s}
        << QStringList()
        << QStringList {u"abc"_s, u"12x"_s, u" 2000"_s, u"150"_s, u"600"_s, u"2500"_s}
        << QList<int> {0, 12, 2000, 150, 600, 2500};
    // A value that does not fit in 16 signed bits fails the check of its own box.
    QTest::newRow("fault too small for 16 bits")
        << QStringList {u"-40000"_s, u"-39999"_s, u"2000"_s, u"150"_s, u"600"_s, u"2500"_s}
        << QStringList {u"Bad Range GSMAX"_s, u"Bad Range VaSmin"_s}
        << QStringList {u"100"_s, u"500"_s, u"2000"_s, u"150"_s, u"600"_s, u"2500"_s} << old;
    QTest::newRow("module lower too small for 16 bits")
        << QStringList {u"100"_s, u"500"_s, u"2000"_s, u"-50000"_s, u"-40000"_s, u"2500"_s}
        << QStringList {u"Bad Range GMMAX"_s, u"Bad Range VaMmin"_s} << unchanged << old;
    // -32768.5 rounds to the even -32768, which fits.
    QTest::newRow("lowest just fits")
        << QStringList {u"-32768.5"_s, u"-32768.5"_s, u"2000"_s, u"150"_s, u"600"_s, u"2500"_s}
        << QStringList()
        << QStringList {u"-32768.5"_s, u"-32768.5"_s, u"2000"_s, u"150"_s, u"600"_s, u"2500"_s}
        << QList<int> {-32768, -32768, 2000, 150, 600, 2500};
    QTest::newRow("upper too large for 16 bits")
        << QStringList {u"100"_s, u"40000"_s, u"40000"_s, u"150"_s, u"600"_s, u"2500"_s}
        << QStringList {u"Bad Range VaSmin"_s, u"Bad Range VaSmax"_s} << unchanged << old;
}

void TestThresholdChecks::checks()
{
    QFETCH(QStringList, entered);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, boxesAfter);
    QFETCH(QList<int>, storedAfter);

    const ThresholdCheckResult result = checkThresholds(texts(entered), stored());
    QStringList shown;
    for (const ThresholdFailure &failure : result.failures)
        shown.append(failure.message);
    QCOMPARE(shown, messages);
    QCOMPARE(asList(result.texts), boxesAfter);
    QCOMPARE(thresholds(result.settings), storedAfter);
}

void TestThresholdChecks::failureNamesBoxAndRestoredText()
{
    Settings s = stored();
    s.VaMMax = -7;
    const ThresholdCheckResult result
        = checkThresholds(texts({u"100"_s, u"500"_s, u"2000"_s, u"150"_s, u"600"_s, u"5000"_s}), s);
    // The stored module limits break the relations themselves: the restored upper limit -7 is
    // below the lower limit, which is kept, and both are stored as they stand.
    QCOMPARE(result.failures.size(), 1);
    QCOMPARE(result.failures[0].box, ThresholdBox::ModuleUpper);
    QCOMPARE(result.failures[0].restoredText, u"-7"_s);
    QCOMPARE(result.settings.VaMMax, qint16(-7));

    // The next OK on those boxes repeats the message for the stored values.
    const ThresholdCheckResult again = checkThresholds(result.texts, result.settings);
    QCOMPARE(again.failures.size(), 2);
    QCOMPARE(again.failures[0].message, u"Bad Range VaMmin"_s);
    QCOMPARE(again.failures[1].message, u"Bad Range VaMmax"_s);
    QCOMPARE(thresholds(again.settings), thresholds(result.settings));
}

void TestThresholdChecks::otherSettingsAreKept()
{
    Settings s = stored();
    s.ComPort = 3;
    s.BoardCode = u"jbd"_s;
    s.FaultRetries = 12;
    const ThresholdCheckResult result
        = checkThresholds(texts({u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s}), s);
    QCOMPARE(result.settings.ComPort, qint16(3));
    QCOMPARE(result.settings.BoardCode, u"jbd"_s);
    QCOMPARE(result.settings.FaultRetries, qint16(12));
    QCOMPARE(thresholds(result.settings), (QList<int> {1, 2, 3, 4, 5, 6}));
}

void TestThresholdChecks::values_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value"); // 100000: does not fit
    QTest::newRow("plain") << u"1500"_s << 1500;
    QTest::newRow("half to even down") << u"10.5"_s << 10;
    QTest::newRow("half to even up") << u"11.5"_s << 12;
    QTest::newRow("below half") << u"10.4"_s << 10;
    QTest::newRow("negative half") << u"-2.5"_s << -2;
    QTest::newRow("no number") << u"x1"_s << 0;
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("highest") << u"32767"_s << 32767;
    QTest::newRow("rounds past highest") << u"32767.5"_s << 100000;
    QTest::newRow("lowest") << u"-32768"_s << -32768;
    QTest::newRow("below lowest") << u"-32769"_s << 100000;
    QTest::newRow("huge") << u"99999999999999999999"_s << 100000;
}

void TestThresholdChecks::values()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    const std::optional<qint16> read = thresholdValue(text);
    if (value == 100000) {
        QVERIFY(!read.has_value());
    } else {
        QVERIFY(read.has_value());
        QCOMPARE(int(*read), value);
    }
}

void TestThresholdChecks::bars_data()
{
    QTest::addColumn<double>("fault");
    QTest::addColumn<double>("lower");
    QTest::addColumn<double>("upper");
    QTest::addColumn<QRectF>("faultBar");
    QTest::addColumn<QRectF>("normalBar");

    QTest::newRow("typical") << 100.0 << 500.0 << 2000.0 << QRectF(240, 360, 735, 115.8)
                             << QRectF(240, 579, 735, 1737);
    QTest::newRow("zero") << 0.0 << 0.0 << 0.0 << QRectF(240, 360, 735, 0)
                          << QRectF(240, 0, 735, 0);
    QTest::newRow("full scale") << 2500.0 << 2500.0 << 2500.0 << QRectF(240, 360, 735, 2895)
                                << QRectF(240, 2895, 735, 0);
    // Sizes that would be negative are drawn empty.
    QTest::newRow("negative fault")
        << -100.0 << 500.0 << 2000.0 << QRectF(240, 360, 735, 0) << QRectF(240, 579, 735, 1737);
    QTest::newRow("upper below lower")
        << 100.0 << 3000.0 << 2000.0 << QRectF(240, 360, 735, 115.8) << QRectF(240, 3474, 735, 0);
    QTest::newRow("negative lower")
        << 0.0 << -100.0 << 100.0 << QRectF(240, 360, 735, 0) << QRectF(240, -115.8, 735, 231.6);
}

void TestThresholdChecks::bars()
{
    QFETCH(double, fault);
    QFETCH(double, lower);
    QFETCH(double, upper);
    QFETCH(QRectF, faultBar);
    QFETCH(QRectF, normalBar);

    QCOMPARE(ThresholdBars::TwipsPerUnit, 1.158);
    const ThresholdBars bars = ThresholdBars::forThresholds(fault, lower, upper);
    QCOMPARE(bars.fault, faultBar);
    QCOMPARE(bars.normal, normalBar);
}

void TestThresholdChecks::boardCodes_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("reason"); // empty: accepted
    QTest::newRow("listed") << u"jbc"_s << QString();
    QTest::newRow("single") << u"j00"_s << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("other text") << u"xq 7"_s << QString();
    QTest::newRow("trailing blank") << u"jb "_s << QString();
    QTest::newRow("accented") << u"jbè"_s << QString();
    QTest::newRow("comma") << u"jb,a"_s << u"virgole"_s;
    QTest::newRow("leading blank") << u" jba"_s << u"spazio"_s;
    QTest::newRow("leading tab") << u"\tjba"_s << u"spazio"_s;
    QTest::newRow("leading quote") << u"\"jba"_s << u"virgolette"_s;
    QTest::newRow("line feed") << u"jb\na"_s << u"una sola riga"_s;
    QTest::newRow("carriage return") << u"jb\ra"_s << u"una sola riga"_s;
    QTest::newRow("beyond Latin-1") << u"jb€"_s << u"€"_s;
}

void TestThresholdChecks::boardCodes()
{
    QFETCH(QString, code);
    QFETCH(QString, reason);
    const std::optional<QString> problem = boardCodeProblem(code);
    if (reason.isEmpty()) {
        QVERIFY2(!problem.has_value(), qPrintable(problem.value_or(QString())));
    } else {
        QVERIFY(problem.has_value());
        QVERIFY2(problem->contains(reason), qPrintable(*problem));
        QVERIFY(problem->startsWith(u"Codice scheda non accettato"_s));
    }
}

QTEST_GUILESS_MAIN(TestThresholdChecks)
#include "tst_thresholdchecks.moc"
