// The device grid: where its buttons go, the widget's 99 buttons, and how they are painted.
#include "loopdata/NumberText.h"
#include "ui/DeviceButton.h"
#include "ui/DeviceGridWidget.h"
#include "ui/GridGeometry.h"

#include <QTest>

using namespace testloop;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(testloop::ButtonColour)

class TestDeviceGrid : public QObject
{
    Q_OBJECT
private slots:
    void cell_data();
    void cell();
    void fitted_data();
    void fitted();
    void twips_data();
    void twips();
    void buttons();
    void painted_data();
    void painted();
};

void TestDeviceGrid::cell_data()
{
    QTest::addColumn<QSize>("screenTwips");
    QTest::addColumn<int>("address");
    QTest::addColumn<QRect>("expected");

    // A fifteenth of the screen by a tenth; even columns run upwards, odd ones downwards.
    const QSize xga(15360, 11520);
    QTest::newRow("8: top of column 0") << xga << 8 << QRect(1024, 1804, 1024, 1152);
    QTest::newRow("9: top of column 1") << xga << 9 << QRect(2048, 1804, 1024, 1152);
    QTest::newRow("17: bottom of column 2") << xga << 17 << QRect(3072, 9868, 1024, 1152);
    QTest::newRow("99: last column") << xga << 99 << QRect(13312, 7564, 1024, 1152);
    QTest::newRow("1280 wide: 97") << QSize(19200, 15360) << 97 << QRect(16640, 13324, 1280, 1536);
    // Fractions of a cell are cut off, never rounded up.
    QTest::newRow("truncated: 1") << QSize(15359, 11519) << 1 << QRect(1023, 9859, 1023, 1151);
}

void TestDeviceGrid::cell()
{
    QFETCH(QSize, screenTwips);
    QFETCH(int, address);
    QFETCH(QRect, expected);

    QCOMPARE(GridGeometry(screenTwips).cell(address), expected);
}

void TestDeviceGrid::fitted_data()
{
    QTest::addColumn<QSize>("screen"); // pixels at 96 dpi
    for (const QSize screen :
         {QSize(800, 600), QSize(1024, 768), QSize(1366, 768), QSize(1920, 1080)})
        QTest::addRow("%d x %d", screen.width(), screen.height()) << screen;
}

// Shrunk into a screen less its bars (80 px): below the toolbar, filling one side, no overlaps.
void TestDeviceGrid::fitted()
{
    QFETCH(QSize, screen);
    constexpr int Twips = 15; // per pixel at 96 dpi
    constexpr int ToolbarBottom = 735;
    const GridGeometry formula(screen * Twips);
    const QRect room(QPoint(0, 0), (screen - QSize(0, 80)) * Twips);
    const GridGeometry grid = formula.fittedInto(room.size());
    QList<QRect> cells;
    for (int address = 1; address <= 99; ++address) {
        const QRect cell = grid.cell(address);
        QVERIFY2(room.contains(cell) && cell.top() >= ToolbarBottom,
                 qPrintable(QString::number(address)));
        for (const QRect &other : std::as_const(cells))
            QVERIFY2(!other.intersects(cell), qPrintable(QString::number(address)));
        cells.append(cell);
    }
    const QSize extent = grid.extent();
    QVERIFY(room.width() - extent.width() < formula.cellWidth()
            || room.height() - extent.height() < formula.cellHeight());
}

// Twips to pixels rounds half away; a screen's pixels to twips and back come out as they went.
void TestDeviceGrid::twips_data()
{
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("pixels");

    QTest::newRow("below a half") << 7 << 96 << 0;
    QTest::newRow("above a half") << 8 << 96 << 1;
    QTest::newRow("144 dpi") << 255 << 144 << 26;
    QTest::newRow("negative") << -500 << 96 << -33;
    QTest::newRow("1920 at 120") << 23040 << 120 << 1920;
}

void TestDeviceGrid::twips()
{
    QFETCH(int, twips);
    QFETCH(int, dpi);
    QFETCH(int, pixels);

    QCOMPARE(twipsToPixels(twips, dpi), pixels);
    if (twips % (TwipsPerInch / dpi) == 0) // a whole number of pixels
        QCOMPARE(pixelsToTwips(QSize(pixels, pixels), dpi, dpi), QSize(twips, twips));
    QCOMPARE(pixelsToTwips(QSize(pixels, pixels), 0, 0), QSize(0, 0)); // no dpi known
}
// 99 buttons hidden until shown; an address outside the grid and the ground between reach none.
void TestDeviceGrid::buttons()
{
    DeviceGridWidget grid;
    const QList<DeviceButton *> buttons = grid.findChildren<DeviceButton *>();
    QCOMPARE(buttons.size(), 99);
    for (const DeviceButton *button : buttons) {
        QCOMPARE(grid.button(button->address()), button);
        QVERIFY(button->isHidden());
    }
    grid.layOut(GridGeometry(QSize(15360, 11520)));
    QCOMPARE(grid.geometry(), QRect(0, 0, 955, 735)); // from the corner, holding every cell
    grid.showAddresses();
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));

    QList<int> clicks;
    connect(&grid, &DeviceGridWidget::clicked, this, [&clicks](int clicked) { clicks << clicked; });
    QTest::mouseClick(&grid, Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseClick(grid.button(99), Qt::LeftButton);
    QCOMPARE(clicks, QList<int> {99});
    for (const int outside : {0, 100, -1}) {
        QVERIFY(!grid.button(outside));
        grid.setCaption(outside, u"X"_s);
        grid.setColour(outside, ButtonColour::Red);
        grid.setToolTip(outside, u"T"_s);
        grid.setVisible(outside, false);
    }
    for (const DeviceButton *button : buttons) {
        QCOMPARE(button->text(), printForm(button->address()));
        QCOMPARE(button->toolTip(), u"N°"_s + printForm(button->address()));
        QCOMPARE(button->colour(), ButtonColour::ButtonFace);
        QVERIFY(button->isVisible());
    }
}

void TestDeviceGrid::painted_data()
{
    QTest::addColumn<ButtonColour>("colour");
    QTest::addColumn<QColor>("painted");
    QTest::newRow("red") << ButtonColour::Red << QColor(255, 0, 0);
    QTest::newRow("yellow") << ButtonColour::Yellow << QColor(255, 255, 0);
    QTest::newRow("green") << ButtonColour::Green << QColor(0, 128, 0);
    QTest::newRow("white") << ButtonColour::White << QColor(255, 255, 255);
    QTest::newRow("light grey") << ButtonColour::LightGrey << QColor(192, 192, 192);
    QTest::newRow("button face") << ButtonColour::ButtonFace << QColor(201, 202, 203);
}

void TestDeviceGrid::painted()
{
    QFETCH(ButtonColour, colour);
    QFETCH(QColor, painted);

    DeviceButton button(5);
    QPalette palette = button.palette();
    palette.setColor(QPalette::Button, QColor(201, 202, 203)); // the face follows the palette
    button.setPalette(palette);
    button.resize(68, 77);
    button.setColour(colour);
    button.setText(u"N 5\nVA450\n[15] "_s);
    const QImage image = button.grab().toImage();

    // Inside the frame and away from the caption, the picture is the colour itself.
    QCOMPARE(image.pixelColor(5, 5), painted);
    QCOMPARE(image.pixelColor(62, 71), painted);
    // The caption's ink on three separate bands of rows, one per line.
    QString rows;
    for (int y = 3; y < image.height() - 3; ++y) {
        bool ink = false;
        for (int x = 3; x < image.width() - 3; ++x)
            ink = ink || qAbs(image.pixelColor(x, y).lightness() - painted.lightness()) > 40;
        rows += ink ? u'#' : u' ';
    }
    QCOMPARE(rows.simplified().count(u' '), 2);
}

QTEST_MAIN(TestDeviceGrid)
#include "tst_devicegrid.moc"
