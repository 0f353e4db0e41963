// The splash window: its picture and labels, the countdown from 4, and the keys that end it.
#include "ui/SplashPicture.h"
#include "ui/SplashWindow.h"
#include "ui/WindowCentring.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QPointer>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace testloop;
using namespace std::chrono_literals;

namespace {

// Long enough that no tick can come during a test that must see none.
constexpr auto NeverTicks = 1h;

QLabel *countdownLabel(SplashWindow *splash)
{
    return splash->findChild<QLabel *>(QStringLiteral("Label1"));
}

} // namespace

class TestSplash : public QObject
{
    Q_OBJECT
private slots:
    void layout();
    void pictureIsDrawn();
    void countsDownThenFinishesOnce();
    void keys_data();
    void keys();
};

void TestSplash::layout()
{
    SplashWindow splash(NeverTicks);
    QVERIFY(splash.windowTitle().isEmpty());
    QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    // 8625 x 7095 twips, fixed; offscreen at 96 dpi, 15 twips to the pixel.
    QCOMPARE(splash.size(), QSize(575, 473));
    QCOMPARE(splash.minimumSize(), splash.maximumSize());
    QCOMPARE(countdownLabel(&splash)->geometry(), QRect(560, 464, 9, 9));
    QCOMPARE(countdownLabel(&splash)->text(), QStringLiteral("4"));

    // Bold 15.75 points, or a little less where a wider face stands in for Arial: the text fits,
    // but never below 6 points.
    const auto *platform = splash.findChild<QLabel *>(QStringLiteral("lblPlatform"));
    QCOMPARE(platform->text(), QStringLiteral("Win 95/8"));
    QCOMPARE(platform->geometry(), QRect(440, 272, 87, 24));
    QVERIFY(platform->font().bold());
    QVERIFY(platform->font().pointSizeF() <= 15.75 && platform->font().pointSizeF() >= 12.0);
    QVERIFY(QFontMetricsF(platform->font()).horizontalAdvance(platform->text())
            <= platform->width());
    QCOMPARE(
        SplashWindow::fittedFont(platform->font(), platform->text().repeated(20), 10).pointSizeF(),
        6.0);
    // Centred on the available area of a screen, but never beyond its top left corner.
    QCOMPARE(centredTopLeft(QRect(1920, 40, 1280, 984), QSize(608, 323)), QPoint(2256, 370));
    QCOMPARE(centredTopLeft(QRect(0, 30, 500, 400), QSize(575, 473)), QPoint(0, 30));
}

void TestSplash::pictureIsDrawn()
{
    // A real picture: many colours.
    const QImage picture = SplashPicture::pixmap(SplashPicture::naturalSize()).toImage();
    QCOMPARE(picture.size(), QSize(576, 473));
    QSet<QRgb> colours;
    for (int y = 0; y < picture.height(); y += 2)
        for (int x = 0; x < picture.width(); x += 2)
            colours.insert(picture.pixel(x, y));
    QVERIFY2(colours.size() > 200, qPrintable(QString::number(colours.size())));

    const QPixmap dense = SplashPicture::pixmap(QSize(100, 80), 2.0);
    QCOMPARE(dense.size(), QSize(200, 160));
    QCOMPARE(dense.deviceIndependentSize().toSize(), QSize(100, 80));

    // The window shows that picture over its whole client area.
    SplashWindow splash(NeverTicks);
    QCOMPARE(splash.grab().toImage().pixelColor(5, 5),
             SplashPicture::pixmap(splash.size()).toImage().pixelColor(5, 5));
}

void TestSplash::countsDownThenFinishesOnce()
{
    QPointer<SplashWindow> splash = new SplashWindow(5ms);
    QStringList shown;
    connect(splash, &SplashWindow::countdownChanged, this,
            [&] { shown.append(countdownLabel(splash)->text()); });
    QSignalSpy finished(splash.data(), &SplashWindow::finished);
    splash->show();
    // Mouse clicks leave it running; keys without a character are in keys().
    QTest::mouseClick(splash.data(), Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseClick(splash.data(), Qt::RightButton, {}, QPoint(300, 200));
    QTest::mouseDClick(splash.data(), Qt::LeftButton, {}, QPoint(50, 400));
    QTest::mouseClick(splash->findChild<QLabel *>(QStringLiteral("lblPlatform")), Qt::LeftButton);

    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
    QCOMPARE(shown, (QStringList {QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("1")}));
    // Closed and deleted; nothing follows.
    QTRY_VERIFY(splash.isNull());
    QTest::qWait(50);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(shown.size(), 3);
}

void TestSplash::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("closes");
    QTest::newRow("letter") << int(Qt::Key_Q) << QStringLiteral("q") << true;
    // Keys whose character a platform may leave out of the event.
    QTest::newRow("return") << int(Qt::Key_Return) << QString() << true;
    QTest::newRow("escape") << int(Qt::Key_Escape) << QString() << true;
    QTest::newRow("shift") << int(Qt::Key_Shift) << QString() << false;
    QTest::newRow("f5") << int(Qt::Key_F5) << QString() << false;
}

void TestSplash::keys()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(bool, closes);

    QPointer<SplashWindow> splash = new SplashWindow(NeverTicks);
    QSignalSpy finished(splash.data(), &SplashWindow::finished);
    splash->show();
    QTest::sendKeyEvent(QTest::Click, splash.data(), Qt::Key(key), text, Qt::NoModifier);
    // A character ends it at once, without waiting for the countdown.
    QCOMPARE(finished.size(), closes ? 1 : 0);
    QCOMPARE(splash->isVisible(), !closes);
    QCOMPARE(splash->findChild<QTimer *>(QStringLiteral("Timer1"))->isActive(), !closes);
    QCOMPARE(countdownLabel(splash)->text(), QStringLiteral("4"));
    if (closes)
        QTRY_VERIFY(splash.isNull());
    delete splash;
}

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
