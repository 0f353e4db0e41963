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
using namespace Qt::StringLiterals;

namespace {

constexpr auto NeverTicks = 1h;

const auto countdownLabel = [](QWidget *w) { return w->findChild<QLabel *>(u"Label1"_s); };

} // namespace

class TestSplash : public QObject
{
    Q_OBJECT
private slots:
    void layoutAndPicture();
    void countsDownThenFinishesOnce();
    void keys_data();
    void keys();
};

void TestSplash::layoutAndPicture()
{
    SplashWindow splash(NeverTicks);
    QVERIFY(splash.windowTitle().isEmpty());
    QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    // 8625 x 7095 twips, fixed; offscreen at 96 dpi, 15 twips to the pixel.
    QCOMPARE(splash.size(), QSize(575, 473));
    QCOMPARE(splash.minimumSize(), splash.maximumSize());
    QCOMPARE(countdownLabel(&splash)->geometry(), QRect(560, 464, 9, 9));

    // Bold 15.75 points, or less where a wider face stands in for Arial, never below 6.
    const auto *platform = splash.findChild<QLabel *>(u"lblPlatform"_s);
    QCOMPARE(platform->text(), u"Win 95/8"_s);
    QCOMPARE(platform->geometry(), QRect(440, 272, 87, 24));
    QVERIFY(platform->font().bold());
    QVERIFY(platform->font().pointSizeF() <= 15.75 && platform->font().pointSizeF() >= 12.0);
    QVERIFY(QFontMetricsF(platform->font()).horizontalAdvance(platform->text())
            <= platform->width());
    QCOMPARE(
        SplashWindow::fittedFont(platform->font(), platform->text().repeated(20), 10).pointSizeF(),
        6.0);
    // Centred on a screen's available area, never beyond its top left corner.
    QCOMPARE(centredTopLeft(QRect(1920, 40, 1280, 984), QSize(608, 323)), QPoint(2256, 370));
    QCOMPARE(centredTopLeft(QRect(0, 30, 500, 400), QSize(575, 473)), QPoint(0, 30));

    // A real picture of many colours, sharp on a dense screen, over the whole window.
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
    // Mouse clicks leave it running.
    QTest::mouseClick(splash.data(), Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseClick(splash.data(), Qt::RightButton, {}, QPoint(300, 200));
    QTest::mouseDClick(splash.data(), Qt::LeftButton, {}, QPoint(50, 400));
    QTest::mouseClick(splash->findChild<QLabel *>(u"lblPlatform"_s), Qt::LeftButton);

    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
    QCOMPARE(shown, (QStringList {u"3"_s, u"2"_s, u"1"_s}));
    QTRY_VERIFY(splash.isNull()); // and nothing follows
    QTest::qWait(50);
    QVERIFY(finished.size() == 1 && shown.size() == 3);
}

void TestSplash::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("closes");
    QTest::newRow("letter") << int(Qt::Key_Q) << u"q"_s << true;
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
    QCOMPARE(finished.size(), closes ? 1 : 0);
    QCOMPARE(splash->isVisible(), !closes);
    QCOMPARE(splash->findChild<QTimer *>(u"Timer1"_s)->isActive(), !closes);
    QCOMPARE(countdownLabel(splash)->text(), u"4"_s);
    if (closes)
        QTRY_VERIFY(splash.isNull());
    delete splash;
}

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
