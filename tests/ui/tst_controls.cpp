// The main window's small controls: toolbar pictures, picture buttons, wrapping captions.
#include "ui/PictureButton.h"
#include "ui/ToolbarIcons.h"
#include "ui/WrappingButton.h"
#include "ui/WrappingRadioButton.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <set>

using namespace testloop;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(testloop::ToolbarPicture)

class TestControls : public QObject
{
    Q_OBJECT
private slots:
    void picturesAreDrawn_data();
    void picturesAreDrawn();
    void pictureButtonClicks();
    void captionsWrap_data();
    void captionsWrap();
};

void TestControls::picturesAreDrawn_data()
{
    QTest::addColumn<ToolbarPicture>("picture");
    for (int picture = 0; picture <= int(ToolbarPicture::PrintValues); ++picture)
        QTest::addRow("%d", picture) << ToolbarPicture(picture);
}

void TestControls::picturesAreDrawn()
{
    QFETCH(ToolbarPicture, picture);
    const QSize size(24, 23);
    const QPixmap pixmap = ToolbarIcons::pixmap(picture, size, 2.0);
    QCOMPARE(pixmap.deviceIndependentSize().toSize(), size);
    QCOMPARE(pixmap.size(), size * 2); // sharp on a dense screen
    // On a transparent ground: something, not a filled square, unlike the others.
    const QImage image = pixmap.toImage();
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            opaque += image.pixelColor(x, y).alpha() > 0 ? 1 : 0;
    const int total = image.width() * image.height();
    QVERIFY2(opaque > total / 5 && opaque < total, qPrintable(QString::number(opaque)));
    for (int other = 0; other <= int(ToolbarPicture::PrintValues); ++other)
        QCOMPARE(ToolbarIcons::pixmap(ToolbarPicture(other), size, 2.0).toImage() == image,
                 ToolbarPicture(other) == picture);
}

void TestControls::pictureButtonClicks()
{
    PictureButton button(ToolbarIcons::pixmap(ToolbarPicture::SaveReadings, QSize(24, 23)));
    QCOMPARE(button.size(), QSize(24, 23)); // its natural size, without a border
    QSignalSpy clicked(&button, &PictureButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(clicked.size(), 1);
    // A right click, a press released elsewhere, a release without a press: no click.
    QTest::mouseClick(&button, Qt::RightButton);
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(clicked.size(), 1);
}

void TestControls::captionsWrap_data()
{
    QTest::addColumn<bool>("radio");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("wraps");
    QTest::newRow("push, two words") << false << u"INIZIO TEST"_s << true;
    QTest::newRow("push, one word") << false << u"INIZIO"_s << false;
    QTest::newRow("radio, two words") << true << u"Analisi sensori"_s << true;
    QTest::newRow("radio, one word") << true << u"Analisi"_s << false;
}

void TestControls::captionsWrap()
{
    QFETCH(bool, radio);
    QFETCH(QString, caption);
    QFETCH(bool, wraps);

    const std::unique_ptr<QAbstractButton> button(
        radio ? static_cast<QAbstractButton *>(new WrappingRadioButton(caption))
              : new WrappingButton(caption));
    QFont font = button->font();
    font.setPixelSize(10);
    button->setFont(font);
    button->resize(radio ? 90 : 60, 40);

    // The rows of dark ink (right of a radio's indicator) span more than a line when wrapped.
    const QImage image = button->grab().toImage().copy(0, 4, button->width(), 32);
    std::set<int> ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = radio ? 22 : 4; x < image.width(); ++x)
            if (image.pixelColor(x, y).lightness() < 100)
                ink.insert(y);
    QVERIFY(!ink.empty());
    QCOMPARE(*ink.rbegin() - *ink.begin() + 1 > button->fontMetrics().height(), wraps);
}

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
