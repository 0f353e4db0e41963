// The text of the analogue values report: cells, lines, titles and the order of both pages.
#include "storage/ReportLayout.h"

#include <QTest>

#include <algorithm>

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

// The label line of the ten addresses from first on; address 100 has no digits.
QString labels(int first)
{
    QString line;
    for (int a = first; a < first + 10; ++a)
        line += a == 100 ? QStringLiteral("N       ")
                         : QStringLiteral("N %1    ").arg(a, 2, 10, QLatin1Char('0'));
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
    void rowsHoldTenCellsInAddressOrder();
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
    row("sensors: last line", 0, 67, QString(), false);
    row("modules: loop 2 title", 1, 35, QStringLiteral("LINEA MODULI LOOP  2"), true);
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

void TestReportLayout::rowsHoldTenCellsInAddressOrder()
{
    // Loop 2 holds ten times each address; loop 1, never read, prints zeros everywhere.
    AddressTable<qint16> table;
    for (int address = 1; address <= 100; ++address)
        table.set(address, 2, qint16(address * 10));
    const ReportPage page = ReportLayout::page(table, ReportLayout::ModuleTitle, Now);
    QCOMPARE(page.size(), 68);
    // Only titles, label lines and value lines are centred.
    QCOMPARE(std::count_if(page.begin(), page.end(), [](const ReportLine &l) { return l.centred; }),
             2 * (1 + 2 * 10));
    for (int row = 0; row < 10; ++row) {
        QCOMPARE(page.at(4 + 3 * row).text, labels(row * 10 + 1));
        QCOMPARE(page.at(5 + 3 * row).text, cells({}));
        QCOMPARE(page.at(37 + 3 * row).text, labels(row * 10 + 1));
        const QString values = page.at(38 + 3 * row).text;
        for (int column = 0; column < 10; ++column)
            QCOMPARE(values.mid(column * 8, 8).trimmed().toInt(), (row * 10 + column + 1) * 10);
    }
}

QTEST_GUILESS_MAIN(TestReportLayout)
#include "tst_reportlayout.moc"
