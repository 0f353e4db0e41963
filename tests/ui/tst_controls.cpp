// The small controls of the main window: the toolbar pictures drawn in code, the borderless
// picture buttons that show them, and the push and radio buttons whose captions wrap.
#include "ui/PictureButton.h"
#include "ui/ToolbarIcons.h"
#include "ui/WrappingButton.h"
#include "ui/WrappingRadioButton.h"

#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace testloop;

Q_DECLARE_METATYPE(testloop::ToolbarPicture)

namespace {

int pixelsWhere(const QImage &image, const std::function<bool(const QColor &)> &test)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += test(image.pixelColor(x, y)) ? 1 : 0;
    return count;
}

// Height of the band of rows holding ink (far from the ground's lightness) right of left.
int inkHeight(const QImage &image, int left)
{
    const int ground = image.pixelColor(image.width() - 1, 0).lightness();
    int top = -1;
    int bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = left; x < image.width(); ++x) {
            if (qAbs(image.pixelColor(x, y).lightness() - ground) > 100) {
                top = top < 0 ? y : top;
                bottom = y;
                break;
            }
        }
    }
    return top < 0 ? 0 : bottom - top + 1;
}

} // namespace

class TestControls : public QObject
{
    Q_OBJECT
private slots:
    void picturesAreDrawn_data();
    void picturesAreDrawn();
    void stopSignIsRed();
    void pictureButtonClicks();
    void captionsWrap_data();
    void captionsWrap();
};

void TestControls::picturesAreDrawn_data()
{
    QTest::addColumn<ToolbarPicture>("picture");
    QTest::addColumn<QSize>("size");
    QTest::newRow("reset") << ToolbarPicture::ResetReadings << QSize(32, 32);
    QTest::newRow("stop") << ToolbarPicture::StopScan << QSize(32, 32);
    QTest::newRow("configuration") << ToolbarPicture::Configuration << QSize(32, 32);
    QTest::newRow("information") << ToolbarPicture::Information << QSize(32, 32);
    QTest::newRow("save") << ToolbarPicture::SaveReadings << QSize(24, 23);
    QTest::newRow("open") << ToolbarPicture::OpenReadings << QSize(24, 23);
    QTest::newRow("print") << ToolbarPicture::PrintValues << QSize(24, 23);
}

void TestControls::picturesAreDrawn()
{
    QFETCH(ToolbarPicture, picture);
    QFETCH(QSize, size);

    const QPixmap pixmap = ToolbarIcons::pixmap(picture, size, 2.0);
    QCOMPARE(pixmap.deviceIndependentSize().toSize(), size);
    QCOMPARE(pixmap.size(), size * 2); // sharp on a dense screen
    // Drawn on a transparent ground: something is there, and it is not a filled square.
    const QImage image = pixmap.toImage();
    const int total = image.width() * image.height();
    const int opaque = pixelsWhere(image, [](const QColor &c) { return c.alpha() > 0; });
    QVERIFY2(opaque > total / 5 && opaque < total, qPrintable(QString::number(opaque)));

    // And unlike every other picture.
    for (int other = 0; other <= int(ToolbarPicture::PrintValues); ++other) {
        if (ToolbarPicture(other) != picture)
            QVERIFY(ToolbarIcons::pixmap(ToolbarPicture(other), size, 2.0).toImage() != image);
    }
    QVERIFY(ToolbarIcons::icon(picture).availableSizes().contains(QSize(32, 32)));
}

void TestControls::stopSignIsRed()
{
    const QImage stop = ToolbarIcons::pixmap(ToolbarPicture::StopScan, QSize(64, 64)).toImage();
    const auto red = [](const QColor &c) {
        return c.alpha() == 255 && c.red() > 150 && c.green() < 80 && c.blue() < 80;
    };
    const auto white = [](const QColor &c) {
        return c.alpha() == 255 && c.red() > 220 && c.green() > 220 && c.blue() > 220;
    };
    QVERIFY(pixelsWhere(stop, red) > 64 * 64 / 3);
    QVERIFY(pixelsWhere(stop, white) > 50); // the word and the rim
}

void TestControls::pictureButtonClicks()
{
    PictureButton button(ToolbarIcons::pixmap(ToolbarPicture::SaveReadings, QSize(24, 23)));
    QCOMPARE(button.size(), QSize(24, 23)); // its natural size, without a border
    QCOMPARE(button.frameShape(), QFrame::NoFrame);
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QSignalSpy clicked(&button, &PictureButton::clicked);

    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(clicked.size(), 1);
    QTest::mouseClick(&button, Qt::RightButton);
    QCOMPARE(clicked.size(), 1);
    // Pressed on it but released elsewhere, or released without a press: no click.
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
    QTest::newRow("push, two words") << false << QStringLiteral("INIZIO TEST") << true;
    QTest::newRow("push, one word") << false << QStringLiteral("INIZIO") << false;
    QTest::newRow("radio, two words") << true << QStringLiteral("Analisi sensori") << true;
    QTest::newRow("radio, one word") << true << QStringLiteral("Analisi") << false;
}

void TestControls::captionsWrap()
{
    QFETCH(bool, radio);
    QFETCH(QString, caption);
    QFETCH(bool, wraps);

    QWidget window;
    QFont font = window.font();
    font.setPixelSize(10);
    window.setFont(font);
    QAbstractButton *button = radio
        ? static_cast<QAbstractButton *>(new WrappingRadioButton(caption, &window))
        : new WrappingButton(caption, &window);
    button->setGeometry(0, 0, radio ? 90 : 60, 40);
    window.resize(button->size());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(button->text(), caption);

    // The caption's ink is taller than a line exactly when it wrapped; a radio button's is
    // measured right of its indicator.
    const int left = radio ? 22 : 4;
    const int height = inkHeight(button->grab().toImage().copy(0, 4, button->width(), 32), left);
    QVERIFY(height > 0);
    QCOMPARE(height > button->fontMetrics().height(), wraps);

    // Still a button: a click reaches it.
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 20));
    QCOMPARE(clicked.size(), 1);
}

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
