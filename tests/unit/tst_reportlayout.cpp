// The text of the analogue values report: cells, lines, titles and the order of both pages.
#include "storage/ReportLayout.h"

#include <QTest>

using namespace testloop;

namespace {

const QString Now = QStringLiteral("05/03/2024 14:07:09");

// Ten cells, each followed by four blanks; "0000" for the ones not given.
QString cells(const QMap<int, QString> &given)
{
    QString line;
    for (int column = 0; column < 10; ++column)
        line += given.value(column, QStringLiteral("0000")) + QStringLiteral("    ");
    return line;
}

} // namespace

class TestReportLayout : public QObject
{
    Q_OBJECT
private slots:
    void cell_data();
    void cell();
    void pageLines_data();
    void pageLines();
};

void TestReportLayout::cell_data()
{
    QTest::addColumn<bool>("label");
    QTest::addColumn<int>("number"); // address or value
    QTest::addColumn<QString>("cell");
    QTest::newRow("label 1") << true << 1 << QStringLiteral("N 01    ");
    QTest::newRow("label 100 has no digits") << true << 100 << QStringLiteral("N       ");
    QTest::newRow("250") << false << 250 << QStringLiteral("0250    ");
    // Wider than four places: printed in full, never cut, still eight characters.
    QTest::newRow("10000") << false << 10000 << QStringLiteral("10000   ");
    QTest::newRow("-5") << false << -5 << QStringLiteral("-005    ");
}

void TestReportLayout::cell()
{
    QFETCH(bool, label);
    QFETCH(int, number);
    QFETCH(QString, cell);
    QCOMPARE(label ? ReportLayout::labelCell(number) : ReportLayout::valueCell(number), cell);
}

void TestReportLayout::pageLines_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("centred");

    const auto row = [](const char *name, int page, int index, const QString &text, bool centred) {
        QTest::newRow(name) << page << index << text << centred;
    };
    row("sensors: date and time", 0, 0, Now, false);
    row("sensors: loop 1 title", 0, 2, QStringLiteral("LINEA SENSORI LOOP  1"), true);
    // The blanks after a long value shrink so that the next cell starts in its column.
    row("sensors: long values", 0, 8,
        QStringLiteral("-32768  32767   0012    ") + cells({}).mid(24), true);
    row("sensors: address 100 value", 0, 32, cells({{9, QStringLiteral("0040")}}), true);
    row("sensors: blank line between rows", 0, 33, QString(), false);
    row("sensors: last line", 0, 67, QString(), false);
    row("modules: loop 2 title", 1, 35, QStringLiteral("LINEA MODULI LOOP  2"), true);
    row("modules: labels of 91 to 100", 1, 64,
        QStringLiteral("N 91    N 92    N 93    N 94    N 95    N 96    N 97    N 98    N 99    ")
            + QStringLiteral("N       "),
        true);
    row("modules: address 100 value", 1, 65, cells({{9, QStringLiteral("9990")}}), true);
}

void TestReportLayout::pageLines()
{
    QFETCH(int, page);
    QFETCH(int, index);
    QFETCH(QString, text);
    QFETCH(bool, centred);
    LoopData data;
    data.SensorAnalogue.set(100, 1, 40);
    data.SensorAnalogue.set(11, 1, -32768);
    data.SensorAnalogue.set(12, 1, 32767);
    data.SensorAnalogue.set(13, 1, 12);
    data.ModuleAnalogue.set(100, 2, 9990);
    const QList<ReportPage> pages = ReportLayout::pages(data, Now);
    QCOMPARE(pages.size(), 2);
    QCOMPARE(pages.at(page).at(index).text, text);
    QCOMPARE(pages.at(page).at(index).centred, centred);
}

QTEST_GUILESS_MAIN(TestReportLayout)
#include "tst_reportlayout.moc"
