// The device grid widget: its 99 buttons, what the scan cycle sets on them, their places and
// clicks, and the colours and captions they are painted with.
#include "loopdata/NumberText.h"
#include "ui/DeviceButton.h"
#include "ui/DeviceGridWidget.h"
#include "ui/GridGeometry.h"

#include <QTest>

using namespace testloop;

Q_DECLARE_METATYPE(testloop::ButtonColour)

class TestDeviceGrid : public QObject
{
    Q_OBJECT
private slots:
    void buttons_data();
    void buttons();
    void painted_data();
    void painted();
};

void TestDeviceGrid::buttons_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<QRect>("place"); // none for an address outside the grid
    // Offscreen at 96 dpi, 15 twips to the pixel, rounded to nearest: cell 1 is at
    // (1024, 9868) twips, cell 99 at (13312, 7564), each 1024 x 1152 twips.
    QTest::newRow("1") << 1 << QRect(68, 658, 68, 77);
    QTest::newRow("99") << 99 << QRect(887, 504, 68, 77);
    QTest::newRow("0") << 0 << QRect();
    QTest::newRow("100") << 100 << QRect();
    QTest::newRow("-1") << -1 << QRect();
}

void TestDeviceGrid::buttons()
{
    QFETCH(int, address);
    QFETCH(QRect, place);

    // 99 buttons, one per address, hidden until shown.
    DeviceGridWidget grid;
    QCOMPARE(grid.findChildren<DeviceButton *>().size(), 99);
    for (const DeviceButton *button : grid.findChildren<DeviceButton *>()) {
        QCOMPARE(grid.button(button->address()), button);
        QVERIFY(button->isHidden());
    }
    grid.layOut(GridGeometry(QSize(15360, 11520)));
    QCOMPARE(grid.geometry(), QRect(0, 0, 955, 735)); // from the corner, holding every cell
    QCOMPARE(grid.button(address) ? grid.button(address)->geometry() : QRect(), place);
    grid.showAddresses();
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));

    // A click tells the address; the ground between the cells is no button.
    QList<int> clicks;
    connect(&grid, &DeviceGridWidget::clicked, this, [&clicks](int clicked) { clicks << clicked; });
    if (grid.button(address))
        QTest::mouseClick(grid.button(address), Qt::LeftButton);
    QTest::mouseClick(&grid, Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(clicks, place.isNull() ? QList<int> {} : QList<int> {address});

    // What is set reaches that button only, and nothing outside the grid.
    grid.setCaption(address, QStringLiteral("X"));
    grid.setColour(address, ButtonColour::Red);
    grid.setToolTip(address, QStringLiteral("T"));
    grid.setVisible(address, false);
    for (const DeviceButton *button : grid.findChildren<DeviceButton *>()) {
        const bool set = button->address() == address;
        const QString number = printForm(button->address());
        QCOMPARE(button->text(), set ? QStringLiteral("X") : number);
        QCOMPARE(button->toolTip(), set ? QStringLiteral("T") : QStringLiteral("N°") + number);
        QCOMPARE(button->colour(), set ? ButtonColour::Red : ButtonColour::ButtonFace);
        QCOMPARE(button->isHidden(), set);
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
    button.setText(QStringLiteral("N 5\nVA450\n[15] "));
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
