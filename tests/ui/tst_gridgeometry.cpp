// Where the device buttons go: cell sizes from the screen, the snake order of the columns and
// the twips to pixels conversions.
#include "ui/GridGeometry.h"

#include <QTest>

using namespace testloop;

class TestGridGeometry : public QObject
{
    Q_OBJECT
private slots:
    void cellSize_data();
    void cellSize();
    void cell_data();
    void cell();
    void columnsRunUpAndDown();
    void twips_data();
    void twips();
    void screenToTwips_data();
    void screenToTwips();
};

void TestGridGeometry::cellSize_data()
{
    QTest::addColumn<QSize>("screenTwips");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");

    QTest::newRow("1024x768") << QSize(15360, 11520) << 1024 << 1152;
    QTest::newRow("1280x1024") << QSize(19200, 15360) << 1280 << 1536;
    QTest::newRow("1920x1080") << QSize(28800, 16200) << 1920 << 1620;
    // Fractions are cut off, never rounded up.
    QTest::newRow("truncated") << QSize(15359, 11519) << 1023 << 1151;
    QTest::newRow("just below") << QSize(29, 19) << 1 << 1;
    QTest::newRow("empty") << QSize(0, 0) << 0 << 0;
}

void TestGridGeometry::cellSize()
{
    QFETCH(QSize, screenTwips);
    QFETCH(int, width);
    QFETCH(int, height);

    const GridGeometry geometry(screenTwips);
    QCOMPARE(geometry.cellWidth(), width);
    QCOMPARE(geometry.cellHeight(), height);
}

void TestGridGeometry::cell_data()
{
    QTest::addColumn<QSize>("screenTwips");
    QTest::addColumn<int>("address");
    QTest::addColumn<QRect>("expected");

    const QSize xga(15360, 11520);
    // Column 0 runs upwards from the bottom, column 1 downwards from the top, and so on.
    QTest::newRow("1: bottom of column 0") << xga << 1 << QRect(1024, 9868, 1024, 1152);
    QTest::newRow("2") << xga << 2 << QRect(1024, 8716, 1024, 1152);
    QTest::newRow("8: top of column 0") << xga << 8 << QRect(1024, 1804, 1024, 1152);
    QTest::newRow("9: top of column 1") << xga << 9 << QRect(2048, 1804, 1024, 1152);
    QTest::newRow("16: bottom of column 1") << xga << 16 << QRect(2048, 9868, 1024, 1152);
    QTest::newRow("17: bottom of column 2") << xga << 17 << QRect(3072, 9868, 1024, 1152);
    QTest::newRow("96: bottom of column 11") << xga << 96 << QRect(12288, 9868, 1024, 1152);
    QTest::newRow("97: last column") << xga << 97 << QRect(13312, 9868, 1024, 1152);
    QTest::newRow("99") << xga << 99 << QRect(13312, 7564, 1024, 1152);
    QTest::newRow("1280 wide: 97") << QSize(19200, 15360) << 97 << QRect(16640, 13324, 1280, 1536);
}

void TestGridGeometry::cell()
{
    QFETCH(QSize, screenTwips);
    QFETCH(int, address);
    QFETCH(QRect, expected);

    QCOMPARE(GridGeometry(screenTwips).cell(address), expected);
}

void TestGridGeometry::columnsRunUpAndDown()
{
    const GridGeometry geometry(QSize(15360, 11520));
    for (int address = 1; address < 99; ++address) {
        const QRect here = geometry.cell(address);
        const QRect next = geometry.cell(address + 1);
        if (GridGeometry::column(address) != GridGeometry::column(address + 1)) {
            // Turning into the next column keeps the row.
            QCOMPARE(next.top(), here.top());
            QCOMPARE(next.left(), here.left() + geometry.cellWidth());
        } else if (GridGeometry::column(address) % 2 == 0) {
            QCOMPARE(next.top(), here.top() - geometry.cellHeight());
        } else {
            QCOMPARE(next.top(), here.top() + geometry.cellHeight());
        }
    }
    QCOMPARE(GridGeometry::column(1), 0);
    QCOMPARE(GridGeometry::row(1), 1);
    QCOMPARE(GridGeometry::column(99), 12);
    QCOMPARE(GridGeometry::row(99), 3);
}

void TestGridGeometry::twips_data()
{
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("pixels");

    QTest::newRow("15 per pixel") << 120 << 96 << 8;
    QTest::newRow("button") << 735 << 96 << 49;
    QTest::newRow("rounded up") << 615 << 96 << 41;
    QTest::newRow("below a half") << 7 << 96 << 0;
    QTest::newRow("above a half") << 8 << 96 << 1;
    QTest::newRow("120 dpi") << 1440 << 120 << 120;
    QTest::newRow("144 dpi") << 255 << 144 << 26;
    QTest::newRow("zero") << 0 << 96 << 0;
    QTest::newRow("negative") << -500 << 96 << -33;
}

void TestGridGeometry::twips()
{
    QFETCH(int, twips);
    QFETCH(int, dpi);
    QFETCH(int, pixels);

    QCOMPARE(twipsToPixels(twips, dpi), pixels);
}

void TestGridGeometry::screenToTwips_data()
{
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<QSize>("twips");

    QTest::newRow("1024x768 at 96") << QSize(1024, 768) << 96 << QSize(15360, 11520);
    QTest::newRow("1280x1024 at 96") << QSize(1280, 1024) << 96 << QSize(19200, 15360);
    QTest::newRow("1920x1080 at 120") << QSize(1920, 1080) << 120 << QSize(23040, 12960);
    QTest::newRow("no dpi") << QSize(1024, 768) << 0 << QSize(0, 0);
}

void TestGridGeometry::screenToTwips()
{
    QFETCH(QSize, pixels);
    QFETCH(int, dpi);
    QFETCH(QSize, twips);

    QCOMPARE(pixelsToTwips(pixels, dpi, dpi), twips);
    // Back to pixels, a whole number of pixels comes out as it went in.
    if (dpi > 0) {
        QCOMPARE(twipsToPixels(twips.width(), dpi), pixels.width());
        QCOMPARE(twipsToPixels(twips.height(), dpi), pixels.height());
    }
}

QTEST_APPLESS_MAIN(TestGridGeometry)
#include "tst_gridgeometry.moc"
