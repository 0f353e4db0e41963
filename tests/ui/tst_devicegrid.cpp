// The device grid widget: its 99 buttons, what the scan cycle sets on them, the colours they
// are painted in, their places and their clicks.
#include "loopdata/NumberText.h"
#include "ui/DeviceButton.h"
#include "ui/DeviceGridWidget.h"
#include "ui/GridGeometry.h"

#include <QSignalSpy>
#include <QTest>

using namespace testloop;

Q_DECLARE_METATYPE(testloop::ButtonColour)

class TestDeviceGrid : public QObject
{
    Q_OBJECT
private slots:
    void buttonsAreNamedByAddress();
    void addressesOutsideTheGridAreIgnored_data();
    void addressesOutsideTheGridAreIgnored();
    void colours_data();
    void colours();
    void clickTellsTheAddress_data();
    void clickTellsTheAddress();
    void layOutPlacesEveryCell();
    void multiLineCaptionIsPainted();
};

void TestDeviceGrid::buttonsAreNamedByAddress()
{
    DeviceGridWidget grid;
    const QList<DeviceButton *> buttons = grid.findChildren<DeviceButton *>();
    QCOMPARE(buttons.size(), 99);
    for (int address = 1; address <= 99; ++address) {
        const auto found
            = grid.findChildren<DeviceButton *>(QStringLiteral("Command(%1)").arg(address));
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first(), grid.button(address));
        QCOMPARE(found.first()->address(), address);
        QVERIFY(found.first()->isHidden());
        QCOMPARE(found.first()->colour(), ButtonColour::ButtonFace);
    }
}

void TestDeviceGrid::addressesOutsideTheGridAreIgnored_data()
{
    QTest::addColumn<int>("address");
    QTest::newRow("0") << 0;
    QTest::newRow("100") << 100;
    QTest::newRow("-1") << -1;
    QTest::newRow("huge") << 1'000'000;
}

void TestDeviceGrid::addressesOutsideTheGridAreIgnored()
{
    QFETCH(int, address);
    DeviceGridWidget grid;
    grid.showAddresses();
    QVERIFY(!grid.button(address));

    grid.setCaption(address, QStringLiteral("X"));
    grid.setColour(address, ButtonColour::Red);
    grid.setToolTip(address, QStringLiteral("T"));
    grid.setVisible(address, false);

    QCOMPARE(grid.button(1)->text(), QStringLiteral(" 1"));
    QCOMPARE(grid.button(99)->toolTip(), QStringLiteral("N° 99"));
    for (const DeviceButton *button : grid.findChildren<DeviceButton *>()) {
        QCOMPARE(button->text(), printForm(button->address()));
        QCOMPARE(button->colour(), ButtonColour::ButtonFace);
        QCOMPARE(button->toolTip(), QStringLiteral("N°") + printForm(button->address()));
        QVERIFY(!button->isHidden());
    }
}

void TestDeviceGrid::colours_data()
{
    QTest::addColumn<ButtonColour>("colour");
    QTest::addColumn<QColor>("painted");

    QTest::newRow("red") << ButtonColour::Red << QColor(255, 0, 0);
    QTest::newRow("yellow") << ButtonColour::Yellow << QColor(255, 255, 0);
    QTest::newRow("green") << ButtonColour::Green << QColor(0, 128, 0);
    QTest::newRow("white") << ButtonColour::White << QColor(255, 255, 255);
    QTest::newRow("light grey") << ButtonColour::LightGrey << QColor(192, 192, 192);
    QTest::newRow("button face") << ButtonColour::ButtonFace << QColor(1, 2, 3);
}

void TestDeviceGrid::colours()
{
    QFETCH(ButtonColour, colour);
    QFETCH(QColor, painted);

    DeviceButton button(1);
    QPalette palette = button.palette();
    palette.setColor(QPalette::Button, QColor(1, 2, 3)); // the face follows the palette
    button.setPalette(palette);
    button.resize(60, 70);
    button.setColour(colour);
    QCOMPARE(button.colour(), colour);
    QCOMPARE(button.backgroundColour(), painted);

    // Inside the frame and away from the caption, the picture is the colour itself.
    const QImage image = button.grab().toImage();
    QCOMPARE(image.pixelColor(5, 5), painted);
    QCOMPARE(image.pixelColor(54, 64), painted);
}

void TestDeviceGrid::clickTellsTheAddress_data()
{
    QTest::addColumn<int>("address");
    QTest::newRow("1") << 1;
    QTest::newRow("40") << 40;
    QTest::newRow("99") << 99;
}

void TestDeviceGrid::clickTellsTheAddress()
{
    QFETCH(int, address);
    DeviceGridWidget grid;
    grid.layOut(GridGeometry(QSize(15360, 11520)));
    grid.showAddresses();
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));

    QSignalSpy clicked(&grid, &DeviceGridWidget::clicked);
    QTest::mouseClick(grid.button(address), Qt::LeftButton);
    QCOMPARE(clicked.size(), 1);
    QCOMPARE(clicked.first().first().toInt(), address);

    // The ground between the cells is no button.
    QTest::mouseClick(&grid, Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(clicked.size(), 1);
}

void TestDeviceGrid::layOutPlacesEveryCell()
{
    DeviceGridWidget grid;
    const GridGeometry geometry(QSize(15360, 11520));
    grid.layOut(geometry);
    const int dpiX = grid.logicalDpiX();
    const int dpiY = grid.logicalDpiY();
    QRect covered;
    for (int address = 1; address <= 99; ++address) {
        const QRect expected = twipsToPixels(geometry.cell(address), dpiX, dpiY);
        QCOMPARE(grid.button(address)->geometry(), expected);
        covered |= expected;
    }
    // The widget starts at the client area's corner and holds every cell.
    QCOMPARE(grid.pos(), QPoint(0, 0));
    QVERIFY(grid.rect().contains(covered));
    QCOMPARE(grid.width(), covered.right() + 1);
    QCOMPARE(grid.height(), covered.bottom() + 1);
}

void TestDeviceGrid::multiLineCaptionIsPainted()
{
    DeviceButton button(5);
    button.resize(68, 77);
    button.setColour(ButtonColour::White);
    const QImage blank = button.grab().toImage();
    button.setText(QStringLiteral("N 5\nVA450\n[15] "));
    const QImage written = button.grab().toImage();
    QVERIFY(blank != written);

    // Ink on three separate bands of rows, one per line of the caption.
    int bands = 0;
    bool inInk = false;
    for (int y = 3; y < written.height() - 3; ++y) {
        bool ink = false;
        for (int x = 3; x < written.width() - 3 && !ink; ++x)
            ink = written.pixelColor(x, y).lightness() < 128;
        if (ink && !inInk)
            ++bands;
        inInk = ink;
    }
    QCOMPARE(bands, 3);
}

QTEST_MAIN(TestDeviceGrid)
#include "tst_devicegrid.moc"
