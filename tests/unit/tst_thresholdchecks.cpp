// The threshold checks run by the configuration dialog's OK, the bars of its threshold graphic
// and the board codes it refuses.
#include "config/BoardCodeCheck.h"
#include "config/ThresholdBars.h"
#include "config/ThresholdChecks.h"

#include <QTest>

using namespace testloop;
using namespace Qt::StringLiterals;

namespace {

// Sensor thresholds 100/500/2000, module thresholds 150/600/2500, in check order.
const QString Old = u"100,500,2000,150,600,2500"_s;

// Port 3, code "jbd", 12 requests, then GSMax, VaSMin, VaSMax, GMMax, VaMMin, VaMMax.
Settings stored(qint16 moduleUpper = 2500)
{
    return {3, u"jbd"_s, 12, 100, 500, 2000, 150, 600, moduleUpper};
}

// Port, code and request count, then the six thresholds.
QString settingsText(const Settings &s)
{
    QStringList v {QString::number(s.ComPort), s.BoardCode, QString::number(s.FaultRetries)};
    for (const qint16 t : {s.GSMax, s.VaSMin, s.VaSMax, s.GMMax, s.VaMMin, s.VaMMax})
        v.append(QString::number(t));
    return v.join(u',');
}

ThresholdTexts texts(const QString &six)
{
    ThresholdTexts result;
    std::ranges::copy(six.split(u','), result.begin());
    return result;
}

} // namespace

class TestThresholdChecks : public QObject
{
    Q_OBJECT
private slots:
    void checks_data();
    void checks();
    void failureNamesBoxAndRestoredText();
    void bars_data();
    void bars();
    void boardCodes_data();
    void boardCodes();
};

void TestThresholdChecks::checks_data()
{
    QTest::addColumn<QString>("entered");
    QTest::addColumn<QString>("failed"); // the boxes named by "Bad Range ..." in order
    QTest::addColumn<QString>("boxesAfter");
    QTest::addColumn<QString>("storedAfter");
    // By default the boxes end as entered when all pass and as stored when any fails.
    const auto row = [](const char *name, const QString &entered, const QString &failed,
                        QString boxes = {}, QString stored = {}) {
        if (boxes.isEmpty())
            boxes = failed.isEmpty() ? entered : Old;
        QTest::newRow(name) << entered << failed << boxes << (stored.isEmpty() ? boxes : stored);
    };
    row("unchanged", Old, {});
    row("changes, equal values, 4000", u"50,700,4000,0,0,4000"_s, {});
    // Compared as a real number: above 4000 though it would be stored as 4000.
    row("upper 4000.4", u"100,500,4000.4,150,600,2500"_s, u"VaSmax"_s);
    // Check 1 restores the fault threshold, check 2 then finds 100 > 50.
    row("lower below fault", u"100,50,2000,150,600,2500"_s, u"GSMAX VaSmin"_s);
    row("upper below lower", u"100,500,400,150,600,2500"_s, u"VaSmin VaSmax"_s);
    // Lower 3000 passes against the entered 4500; the upper limit is then restored below it.
    row("upper restored below new lower", u"100,3000,4500,150,600,2500"_s, u"VaSmax"_s,
        u"100,3000,2000,150,600,2500"_s);
    row("every check fails", u"9,1,9999,9,1,9999"_s, u"GSMAX VaSmin VaSmax GMMAX VaMmin VaMmax"_s);
    row("leading number", u"abc,12x, 2000,150,600,2500"_s, {}, {}, u"0,12,2000,150,600,2500"_s);
    // A value outside 16 signed bits fails the check of its own box.
    row("fault below 16 bits", u"-32769,-32768,2000,150,600,2500"_s, u"GSMAX VaSmin"_s);
    // Compared as real numbers, stored rounded half to even; -32768.5 gives -32768, which fits.
    row("half to even", u"-32768.5,11.5,2000,2.5,2.5,2500"_s, {}, {}, u"-32768,12,2000,2,2,2500"_s);
}

void TestThresholdChecks::checks()
{
    QFETCH(QString, entered);
    QFETCH(QString, failed);
    QFETCH(QString, boxesAfter);
    QFETCH(QString, storedAfter);

    const ThresholdCheckResult result = checkThresholds(texts(entered), stored());
    QStringList shown;
    for (const ThresholdFailure &failure : result.failures)
        shown.append(failure.message.startsWith(u"Bad Range "_s) ? failure.message.sliced(10)
                                                                 : failure.message);
    QCOMPARE(shown.join(u' '), failed);
    QCOMPARE(QStringList(result.texts.begin(), result.texts.end()).join(u','), boxesAfter);
    QCOMPARE(settingsText(result.settings), u"3,jbd,12,"_s + storedAfter);
}

void TestThresholdChecks::failureNamesBoxAndRestoredText()
{
    // Stored module limits that break the relations themselves: the restored upper limit -7
    // lies below the kept lower limit, and the next OK reports both.
    const ThresholdCheckResult result
        = checkThresholds(texts(u"100,500,2000,150,600,5000"_s), stored(-7));
    QCOMPARE(result.failures.size(), 1);
    QCOMPARE(result.failures[0].box, ThresholdBox::ModuleUpper);
    QCOMPARE(result.failures[0].restoredText, u"-7"_s);
    QCOMPARE(result.settings.VaMMax, qint16(-7));

    const ThresholdCheckResult again = checkThresholds(result.texts, result.settings);
    QCOMPARE(again.failures.size(), 2);
    QCOMPARE(again.failures[0].message, u"Bad Range VaMmin"_s);
    QCOMPARE(again.failures[1].message, u"Bad Range VaMmax"_s);
}

void TestThresholdChecks::bars_data()
{
    QTest::addColumn<QList<double>>("thresholds"); // fault, lower, upper
    QTest::addColumn<QRectF>("faultBar");
    QTest::addColumn<QRectF>("normalBar");
    const auto row = [](const char *name, const QList<double> &t, const QRectF &fault,
                        const QRectF &normal) { QTest::newRow(name) << t << fault << normal; };
    row("typical", {100, 500, 2000}, {240, 360, 735, 115.8}, {240, 579, 735, 1737});
    // Sizes that would be negative are drawn empty.
    row("empty fault and range", {-100, 3000, 2000}, {240, 360, 735, 0}, {240, 3474, 735, 0});
    row("negative lower", {0, -100, 100}, {240, 360, 735, 0}, {240, -115.8, 735, 231.6});
}

void TestThresholdChecks::bars()
{
    QFETCH(QList<double>, thresholds);
    QFETCH(QRectF, faultBar);
    QFETCH(QRectF, normalBar);
    const ThresholdBars bars
        = ThresholdBars::forThresholds(thresholds[0], thresholds[1], thresholds[2]);
    QCOMPARE(bars.fault, faultBar);
    QCOMPARE(bars.normal, normalBar);
}

void TestThresholdChecks::boardCodes_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("reason"); // empty: accepted
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("comma") << u"jb,a"_s << u"virgole"_s;
    QTest::newRow("leading blank") << u" jba"_s << u"spazio"_s;
    QTest::newRow("leading quote") << u"\"jba"_s << u"virgolette"_s;
    QTest::newRow("line break") << u"jb\ra"_s << u"una sola riga"_s;
    QTest::newRow("beyond Latin-1") << u"jb€"_s << u"€"_s;
}

void TestThresholdChecks::boardCodes()
{
    QFETCH(QString, code);
    QFETCH(QString, reason);
    const std::optional<QString> problem = boardCodeProblem(code);
    QVERIFY2(problem.has_value() != reason.isEmpty(), qPrintable(problem.value_or(code)));
    if (problem) {
        QVERIFY2(problem->contains(reason), qPrintable(*problem));
        QVERIFY(problem->startsWith(u"Codice scheda non accettato"_s));
    }
}

QTEST_GUILESS_MAIN(TestThresholdChecks)
#include "tst_thresholdchecks.moc"
