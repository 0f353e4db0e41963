// The text of the analogue values report: cells, lines, titles and the order of both pages.
#include "storage/ReportLayout.h"

#include <QTest>

#include <memory>

using namespace testloop;

Q_DECLARE_METATYPE(testloop::ReportLine)

namespace {

const QString Now = QStringLiteral("05/03/2024 14:07:09");

// Ten cells, each followed by four blanks.
QString cells(const QStringList &items)
{
    QString line;
    for (const QString &item : items)
        line += item + QStringLiteral("    ");
    return line;
}

std::unique_ptr<LoopData> sampleTables()
{
    auto data = std::make_unique<LoopData>();
    data->SensorAnalogue.set(3, 1, 250);
    data->SensorAnalogue.set(100, 1, 40);
    data->SensorAnalogue.set(91, 2, 1230);
    data->ModuleAnalogue.set(1, 2, 5);
    data->ModuleAnalogue.set(100, 2, 9990);
    return data;
}

} // namespace

class TestReportLayout : public QObject
{
    Q_OBJECT
private slots:
    void labelCell_data();
    void labelCell();
    void valueCell_data();
    void valueCell();
    void longValuesKeepTheColumns();
    void pageLines_data();
    void pageLines();
    void everyPageHasSixtyEightLines();
    void rowsHoldTenCellsInAddressOrder();
    void freshTablesPrintZerosEverywhere();
};

void TestReportLayout::labelCell_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("cell");
    QTest::newRow("1") << 1 << QStringLiteral("N 01    ");
    QTest::newRow("9") << 9 << QStringLiteral("N 09    ");
    QTest::newRow("10") << 10 << QStringLiteral("N 10    ");
    QTest::newRow("99") << 99 << QStringLiteral("N 99    ");
    QTest::newRow("100 has no digits") << 100 << QStringLiteral("N       ");
}

void TestReportLayout::labelCell()
{
    QFETCH(int, address);
    QFETCH(QString, cell);
    QCOMPARE(ReportLayout::labelCell(address), cell);
}

void TestReportLayout::valueCell_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("cell");
    QTest::newRow("0") << 0 << QStringLiteral("0000    ");
    QTest::newRow("7") << 7 << QStringLiteral("0007    ");
    QTest::newRow("250") << 250 << QStringLiteral("0250    ");
    QTest::newRow("9990") << 9990 << QStringLiteral("9990    ");
    QTest::newRow("9999") << 9999 << QStringLiteral("9999    ");
    // Wider than four places: printed in full, never cut, still eight characters.
    QTest::newRow("10000") << 10000 << QStringLiteral("10000   ");
    QTest::newRow("32767") << 32767 << QStringLiteral("32767   ");
    QTest::newRow("-5") << -5 << QStringLiteral("-005    ");
    QTest::newRow("-250") << -250 << QStringLiteral("-250    ");
    QTest::newRow("-1500") << -1500 << QStringLiteral("-1500   ");
    QTest::newRow("-32768") << -32768 << QStringLiteral("-32768  ");
}

void TestReportLayout::valueCell()
{
    QFETCH(int, value);
    QFETCH(QString, cell);
    QCOMPARE(ReportLayout::valueCell(value), cell);
}

void TestReportLayout::longValuesKeepTheColumns()
{
    AddressTable<qint16> table;
    table.set(11, 1, -32768);
    table.set(12, 1, 32767);
    table.set(13, 1, 12);
    const QString line = ReportLayout::valueLine(table, 1, 10);
    QCOMPARE(line.size(), 80);
    QCOMPARE(line.left(24), QStringLiteral("-32768  32767   0012    "));
    QCOMPARE(line.mid(8 * 9), QStringLiteral("0000    "));
}

void TestReportLayout::pageLines_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("index");
    QTest::addColumn<ReportLine>("line");

    const ReportLine empty {};
    const QString firstLabels
        = cells({QStringLiteral("N 01"), QStringLiteral("N 02"), QStringLiteral("N 03"),
                 QStringLiteral("N 04"), QStringLiteral("N 05"), QStringLiteral("N 06"),
                 QStringLiteral("N 07"), QStringLiteral("N 08"), QStringLiteral("N 09"),
                 QStringLiteral("N 10")});
    const QString lastLabels
        = cells({QStringLiteral("N 91"), QStringLiteral("N 92"), QStringLiteral("N 93"),
                 QStringLiteral("N 94"), QStringLiteral("N 95"), QStringLiteral("N 96"),
                 QStringLiteral("N 97"), QStringLiteral("N 98"), QStringLiteral("N 99"),
                 QStringLiteral("N   ")});
    QStringList zeros(10, QStringLiteral("0000"));
    QStringList address3 = zeros;
    address3[2] = QStringLiteral("0250");
    QStringList address100 = zeros;
    address100[9] = QStringLiteral("0040");
    QStringList address91 = zeros;
    address91[0] = QStringLiteral("1230");
    QStringList module1 = zeros;
    module1[0] = QStringLiteral("0005");
    QStringList module100 = zeros;
    module100[9] = QStringLiteral("9990");

    QTest::newRow("sensors: date and time") << 0 << 0 << ReportLine {Now, false};
    QTest::newRow("sensors: one blank") << 0 << 1 << ReportLine {QStringLiteral(" "), false};
    QTest::newRow("sensors: loop 1 title")
        << 0 << 2 << ReportLine {QStringLiteral("LINEA SENSORI LOOP  1"), true};
    QTest::newRow("sensors: after title") << 0 << 3 << empty;
    QTest::newRow("sensors: first labels") << 0 << 4 << ReportLine {firstLabels, true};
    QTest::newRow("sensors: first values") << 0 << 5 << ReportLine {cells(address3), true};
    QTest::newRow("sensors: after first row") << 0 << 6 << empty;
    QStringList secondRow;
    for (int address = 11; address <= 20; ++address)
        secondRow << QStringLiteral("N ") + QString::number(address);
    QTest::newRow("sensors: second labels") << 0 << 7 << ReportLine {cells(secondRow), true};
    QTest::newRow("sensors: last labels") << 0 << 31 << ReportLine {lastLabels, true};
    QTest::newRow("sensors: address 100 value") << 0 << 32 << ReportLine {cells(address100), true};
    QTest::newRow("sensors: after last row") << 0 << 33 << empty;
    QTest::newRow("sensors: after loop 1") << 0 << 34 << empty;
    QTest::newRow("sensors: loop 2 title")
        << 0 << 35 << ReportLine {QStringLiteral("LINEA SENSORI LOOP  2"), true};
    QTest::newRow("sensors: loop 2 first values") << 0 << 38 << ReportLine {cells(zeros), true};
    QTest::newRow("sensors: loop 2 last values") << 0 << 65 << ReportLine {cells(address91), true};
    QTest::newRow("sensors: last line") << 0 << 67 << empty;
    QTest::newRow("modules: date and time") << 1 << 0 << ReportLine {Now, false};
    QTest::newRow("modules: loop 1 title")
        << 1 << 2 << ReportLine {QStringLiteral("LINEA MODULI LOOP  1"), true};
    QTest::newRow("modules: loop 1 has no sensor value")
        << 1 << 5 << ReportLine {cells(zeros), true};
    QTest::newRow("modules: loop 2 title")
        << 1 << 35 << ReportLine {QStringLiteral("LINEA MODULI LOOP  2"), true};
    QTest::newRow("modules: loop 2 first labels") << 1 << 37 << ReportLine {firstLabels, true};
    QTest::newRow("modules: loop 2 first values") << 1 << 38 << ReportLine {cells(module1), true};
    QTest::newRow("modules: loop 2 last labels") << 1 << 64 << ReportLine {lastLabels, true};
    QTest::newRow("modules: address 100 value") << 1 << 65 << ReportLine {cells(module100), true};
}

void TestReportLayout::pageLines()
{
    QFETCH(int, page);
    QFETCH(int, index);
    QFETCH(ReportLine, line);
    const auto data = sampleTables();
    const QList<ReportPage> pages = ReportLayout::pages(*data, Now);
    QCOMPARE(pages.size(), 2);
    const ReportLine actual = pages.at(page).at(index);
    QCOMPARE(actual.text, line.text);
    QCOMPARE(actual.centred, line.centred);
}

void TestReportLayout::everyPageHasSixtyEightLines()
{
    const auto data = sampleTables();
    const QList<ReportPage> pages = ReportLayout::pages(*data, Now);
    QCOMPARE(pages.size(), 2);
    for (const ReportPage &page : pages) {
        QCOMPARE(page.size(), ReportLayout::LinesPerPage);
        QCOMPARE(page.size(), 68);
        // Only titles, label lines and value lines are centred.
        int centred = 0;
        for (const ReportLine &line : page)
            centred += line.centred ? 1 : 0;
        QCOMPARE(centred, 2 * (1 + 2 * 10));
    }
    // The page break falls between the two pages: the module page starts with the date.
    QCOMPARE(pages.at(0).last().text, QString());
    QCOMPARE(pages.at(1).first().text, Now);
}

void TestReportLayout::rowsHoldTenCellsInAddressOrder()
{
    AddressTable<qint16> table;
    for (int address = 1; address <= 100; ++address)
        table.set(address, 2, qint16(address * 10));
    const ReportPage page = ReportLayout::page(table, ReportLayout::ModuleTitle, Now);
    for (int row = 0; row < 10; ++row) {
        const QString labels = page.at(37 + 3 * row).text;
        const QString values = page.at(38 + 3 * row).text;
        QCOMPARE(labels.size(), 80);
        QCOMPARE(values.size(), 80);
        for (int column = 0; column < 10; ++column) {
            const int address = row * 10 + column + 1;
            const QString label = labels.mid(column * 8, 8);
            QCOMPARE(label,
                     address == 100
                         ? QStringLiteral("N       ")
                         : QStringLiteral("N %1    ").arg(address, 2, 10, QLatin1Char('0')));
            QCOMPARE(values.mid(column * 8, 8).trimmed().toInt(), address * 10);
        }
    }
}

void TestReportLayout::freshTablesPrintZerosEverywhere()
{
    const auto data = std::make_unique<LoopData>();
    const QList<ReportPage> pages = ReportLayout::pages(*data, Now);
    const QString zeroLine = cells(QStringList(10, QStringLiteral("0000")));
    for (const ReportPage &page : pages) {
        QCOMPARE(page.size(), 68);
        for (int loopStart : {4, 37}) {
            for (int row = 0; row < 10; ++row)
                QCOMPARE(page.at(loopStart + 3 * row + 1).text, zeroLine);
        }
    }
}

QTEST_GUILESS_MAIN(TestReportLayout)
#include "tst_reportlayout.moc"
