// The splash window: its picture and labels, the countdown from 4, and the keys that end it.
#include "ui/GridGeometry.h"
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
constexpr auto FastTick = 5ms;

QLabel *countdownLabel(SplashWindow *splash)
{
    return splash->findChild<QLabel *>(QStringLiteral("Label1"));
}

// Records the countdown label's text each time a tick changes it.
struct CountdownRecord
{
    explicit CountdownRecord(SplashWindow *splash)
    {
        QLabel *label = countdownLabel(splash);
        QObject::connect(splash, &SplashWindow::countdownChanged, splash,
                         [this, label](int) { shown.append(label->text()); });
    }
    QStringList shown;
};

} // namespace

class TestSplash : public QObject
{
    Q_OBJECT
private slots:
    // Layout
    void windowHasNoTitleAndFixedClientArea();
    void labelsAreInPlace();
    void pictureIsDrawn();
    void centredOnScreen_data();
    void centredOnScreen();
    // Countdown
    void countsDownThenFinishesOnce();
    void timerRunsAtTheGivenTick();
    // Keys and mouse
    void characterKeyClosesAtOnce_data();
    void characterKeyClosesAtOnce();
    void keysWithoutCharacterLeaveItRunning_data();
    void keysWithoutCharacterLeaveItRunning();
    void countdownGoesOnAfterKeysWithoutCharacter();
    void mouseClickDoesNothing();
    void isCharacterKey_data();
    void isCharacterKey();
    void fittedFont_data();
    void fittedFont();
};

void TestSplash::windowHasNoTitleAndFixedClientArea()
{
    SplashWindow splash(NeverTicks);
    QCOMPARE(splash.objectName(), QStringLiteral("frmSplash"));
    QVERIFY(splash.windowTitle().isEmpty());
    QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    const QSize client(twipsToPixels(8625, splash.logicalDpiX()),
                       twipsToPixels(7095, splash.logicalDpiY()));
    QCOMPARE(splash.size(), client);
    QCOMPARE(splash.minimumSize(), client);
    QCOMPARE(splash.maximumSize(), client);
    QVERIFY(splash.testAttribute(Qt::WA_DeleteOnClose));
}

void TestSplash::labelsAreInPlace()
{
    SplashWindow splash(NeverTicks);
    const auto place = [&](const QRect &twips) {
        return twipsToPixels(twips, splash.logicalDpiX(), splash.logicalDpiY());
    };

    const auto *platform = splash.findChild<QLabel *>(QStringLiteral("lblPlatform"));
    QVERIFY(platform);
    QCOMPARE(platform->text(), QStringLiteral("Win 95/8"));
    QCOMPARE(platform->geometry(), place(QRect(6600, 4080, 1305, 360)));
    QCOMPARE(platform->font().family(), QStringLiteral("Arial"));
    QVERIFY(platform->font().bold());
    // 15.75 points, or a little less where a wider face stands in for Arial: the text fits.
    QVERIFY(platform->font().pointSizeF() <= 15.75);
    QVERIFY(platform->font().pointSizeF() >= 12.0);
    QVERIFY(QFontMetricsF(platform->font()).horizontalAdvance(platform->text())
            <= platform->width());

    const QLabel *countdown = countdownLabel(&splash);
    QVERIFY(countdown);
    QCOMPARE(countdown->text(), QStringLiteral("4"));
    QCOMPARE(countdown->geometry(), place(QRect(8400, 6960, 135, 135)));
    QCOMPARE(countdown->font().family(), QStringLiteral("Small Fonts"));
    QCOMPARE(countdown->font().pointSizeF(), 5.25);
}

void TestSplash::pictureIsDrawn()
{
    const QImage picture = SplashPicture::pixmap(SplashPicture::naturalSize()).toImage();
    QCOMPARE(picture.size(), QSize(576, 473));
    // A real picture: many colours, the fire's orange and the white of the title among them.
    QSet<QRgb> colours;
    bool orange = false;
    bool white = false;
    for (int y = 0; y < picture.height(); y += 2) {
        for (int x = 0; x < picture.width(); x += 2) {
            const QColor c = picture.pixelColor(x, y);
            colours.insert(c.rgb());
            orange
                = orange || (c.red() > 230 && c.green() > 100 && c.green() < 160 && c.blue() < 60);
            white = white || (c.red() > 245 && c.green() > 245 && c.blue() > 245);
        }
    }
    QVERIFY2(colours.size() > 200, qPrintable(QString::number(colours.size())));
    QVERIFY(orange);
    QVERIFY(white);

    const QPixmap dense = SplashPicture::pixmap(QSize(100, 80), 2.0);
    QCOMPARE(dense.size(), QSize(200, 160));
    QCOMPARE(dense.deviceIndependentSize().toSize(), QSize(100, 80));
    QVERIFY(SplashPicture::pixmap(QSize()).isNull());

    // The window shows that picture over its whole client area.
    SplashWindow splash(NeverTicks);
    const QImage shown = splash.grab().toImage();
    QCOMPARE(shown.pixelColor(5, 5).rgb(),
             SplashPicture::pixmap(splash.size()).toImage().pixelColor(5, 5).rgb());
}

void TestSplash::centredOnScreen_data()
{
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("topLeft");
    QTest::newRow("full hd") << QRect(0, 0, 1920, 1080) << QSize(575, 473) << QPoint(672, 303);
    QTest::newRow("offset screen")
        << QRect(1920, 40, 1280, 984) << QSize(608, 323) << QPoint(2256, 370);
    QTest::newRow("window larger than screen")
        << QRect(0, 30, 500, 400) << QSize(575, 473) << QPoint(0, 30);
}

void TestSplash::centredOnScreen()
{
    QFETCH(QRect, available);
    QFETCH(QSize, size);
    QFETCH(QPoint, topLeft);
    QCOMPARE(centredTopLeft(available, size), topLeft);
}

void TestSplash::countsDownThenFinishesOnce()
{
    QPointer<SplashWindow> splash = new SplashWindow(FastTick);
    CountdownRecord record(splash);
    QSignalSpy finished(splash.data(), &SplashWindow::finished);
    QCOMPARE(countdownLabel(splash)->text(), QStringLiteral("4"));
    splash->show();

    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
    QCOMPARE(record.shown,
             (QStringList {QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("1")}));
    // Closed and deleted; nothing follows.
    QTRY_VERIFY(splash.isNull());
    QTest::qWait(50);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(record.shown.size(), 3);
}

void TestSplash::timerRunsAtTheGivenTick()
{
    SplashWindow splash(250ms);
    auto *timer = splash.findChild<QTimer *>(QStringLiteral("Timer1"));
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 250);
    QVERIFY(!timer->isActive());
    splash.show();
    QVERIFY(timer->isActive());

    SplashWindow standard;
    QCOMPARE(standard.findChild<QTimer *>(QStringLiteral("Timer1"))->interval(), 1000);
}

void TestSplash::characterKeyClosesAtOnce_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<char>("character");
    QTest::newRow("letter") << int(Qt::Key_A) << 'a';
    QTest::newRow("digit") << int(Qt::Key_7) << '7';
    QTest::newRow("space") << int(Qt::Key_Space) << ' ';
    QTest::newRow("return") << int(Qt::Key_Return) << '\0';
    QTest::newRow("enter") << int(Qt::Key_Enter) << '\0';
    QTest::newRow("escape") << int(Qt::Key_Escape) << '\0';
    QTest::newRow("tab") << int(Qt::Key_Tab) << '\0';
}

void TestSplash::characterKeyClosesAtOnce()
{
    QFETCH(int, key);
    QFETCH(char, character);

    QPointer<SplashWindow> splash = new SplashWindow(FastTick);
    CountdownRecord record(splash);
    QSignalSpy finished(splash.data(), &SplashWindow::finished);
    splash->show();
    if (character != '\0')
        QTest::keyClick(splash.data(), character);
    else
        QTest::keyClick(splash.data(), Qt::Key(key));

    QCOMPARE(finished.size(), 1);
    QVERIFY(!splash->isVisible());
    QVERIFY(!splash->findChild<QTimer *>(QStringLiteral("Timer1"))->isActive());
    QTRY_VERIFY(splash.isNull());
    // Many ticks' worth of time later: no countdown step and no second finish.
    QTest::qWait(60);
    QVERIFY(record.shown.isEmpty());
    QCOMPARE(finished.size(), 1);
}

void TestSplash::keysWithoutCharacterLeaveItRunning_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("shift") << int(Qt::Key_Shift);
    QTest::newRow("control") << int(Qt::Key_Control);
    QTest::newRow("left") << int(Qt::Key_Left);
    QTest::newRow("down") << int(Qt::Key_Down);
    QTest::newRow("f5") << int(Qt::Key_F5);
}

void TestSplash::keysWithoutCharacterLeaveItRunning()
{
    QFETCH(int, key);
    SplashWindow splash(NeverTicks);
    QSignalSpy finished(&splash, &SplashWindow::finished);
    splash.show();
    QTest::keyClick(&splash, Qt::Key(key));
    QCOMPARE(finished.size(), 0);
    QVERIFY(splash.isVisible());
    QVERIFY(splash.findChild<QTimer *>(QStringLiteral("Timer1"))->isActive());
    QCOMPARE(countdownLabel(&splash)->text(), QStringLiteral("4"));
}

void TestSplash::countdownGoesOnAfterKeysWithoutCharacter()
{
    QPointer<SplashWindow> splash = new SplashWindow(FastTick);
    CountdownRecord record(splash);
    QSignalSpy finished(splash.data(), &SplashWindow::finished);
    splash->show();
    QTest::keyClick(splash.data(), Qt::Key_Shift);
    QTest::keyClick(splash.data(), Qt::Key_Right);
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
    QCOMPARE(record.shown,
             (QStringList {QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("1")}));
    QTRY_VERIFY(splash.isNull());
}

void TestSplash::mouseClickDoesNothing()
{
    SplashWindow splash(NeverTicks);
    QSignalSpy finished(&splash, &SplashWindow::finished);
    splash.show();
    QTest::mouseClick(&splash, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseClick(&splash, Qt::RightButton, {}, QPoint(300, 200));
    QTest::mouseDClick(&splash, Qt::LeftButton, {}, QPoint(50, 400));
    // On the labels too.
    QTest::mouseClick(splash.findChild<QLabel *>(QStringLiteral("lblPlatform")), Qt::LeftButton);
    QCOMPARE(finished.size(), 0);
    QVERIFY(splash.isVisible());
    QVERIFY(splash.findChild<QTimer *>(QStringLiteral("Timer1"))->isActive());
    QCOMPARE(countdownLabel(&splash)->text(), QStringLiteral("4"));
}

void TestSplash::isCharacterKey_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("character");
    QTest::newRow("letter") << int(Qt::Key_Q) << QStringLiteral("q") << true;
    QTest::newRow("accented") << int(Qt::Key_Egrave) << QStringLiteral("è") << true;
    QTest::newRow("return with text") << int(Qt::Key_Return) << QStringLiteral("\r") << true;
    QTest::newRow("return without text") << int(Qt::Key_Return) << QString() << true;
    QTest::newRow("escape without text") << int(Qt::Key_Escape) << QString() << true;
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << QString() << true;
    QTest::newRow("shift") << int(Qt::Key_Shift) << QString() << false;
    QTest::newRow("up") << int(Qt::Key_Up) << QString() << false;
    QTest::newRow("f1") << int(Qt::Key_F1) << QString() << false;
}

void TestSplash::isCharacterKey()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(bool, character);
    QCOMPARE(SplashWindow::isCharacterKey(key, text), character);
}

void TestSplash::fittedFont_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("shrinks");
    QTest::newRow("fits") << QStringLiteral("i") << 400 << false;
    QTest::newRow("too wide") << QStringLiteral("WWWWWWWW") << 80 << true;
}

void TestSplash::fittedFont()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(bool, shrinks);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(15.75);
    font.setBold(true);
    const QFont fitted = SplashWindow::fittedFont(font, text, width);
    QCOMPARE(fitted.family(), font.family());
    QVERIFY(fitted.bold());
    QCOMPARE(fitted.pointSizeF() < 15.75, shrinks);
    if (shrinks)
        QVERIFY(QFontMetricsF(fitted).horizontalAdvance(text) <= width);
    // Never below a readable size, however narrow the place.
    QVERIFY(SplashWindow::fittedFont(font, text.repeated(20), 10).pointSizeF() >= 6.0);
}

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
