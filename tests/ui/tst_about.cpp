// The information window: layout, texts, pictures, the beeping sample and the close button.
#include "tests/support/FakePrompts.h"
#include "ui/AboutWindow.h"
#include "ui/DeviceButton.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace testloop;
using namespace Qt::StringLiterals;

namespace {

const auto inWindow = [](auto *w) { return QRect(w->mapTo(w->window(), QPoint()), w->size()); };

} // namespace

class TestAbout : public QObject
{
    Q_OBJECT
private slots:
    void fixedWindowGrowingBySections();
    void onlyTheSampleBeepsAndCloseCloses_data();
    void onlyTheSampleBeepsAndCloseCloses();
};

void TestAbout::fixedWindowGrowingBySections()
{
    FakePrompts prompts;
    AboutWindow about(prompts);
    QCOMPARE(about.windowTitle(), u"Informazioni"_s);
    QVERIFY(!about.isModal());
    about.show();
    // 9120 x 4845 twips, fixed; offscreen at 96 dpi, 15 twips to the pixel.
    QCOMPARE(about.size(), QSize(608, 323));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    const auto *ok = about.findChild<QPushButton *>(u"cmdOK"_s);
    QCOMPARE(inWindow(ok), QRect(552, 256, 44, 47));
    QCOMPARE(ok->toolTip(), u"Click qui per chiudere finestra"_s);
    QVERIFY(ok->isDefault() && !ok->icon().isNull());
    QCOMPARE(about.findChildren<QPushButton *>().size(), 1); // nothing else can take Enter
    // A plain label, a colour square (filled inside a black border) and a toolbar picture.
    QCOMPARE(about.findChild<QLabel *>(u"Label1"_s)->text(), u"indirizzo dispositivo"_s);
    QCOMPARE(about.findChild<QLabel *>(u"Label4"_s)->text(), u"GUASTO"_s);
    const QRect square = inWindow(about.findChild<QWidget *>(u"Shape1"_s));
    const QImage shown = about.grab().toImage();
    QCOMPARE(shown.pixelColor(square.center()), QColor(255, 0, 0));
    QCOMPARE(shown.pixelColor(square.topLeft()), QColor(0, 0, 0));
    QCOMPARE(about.findChild<QLabel *>(u"Label12"_s)->text(), u"VISUALIZZA QUESTA FINESTRA"_s);
    const auto *image = about.findChild<QLabel *>(u"Image4"_s);
    QCOMPARE(image->toolTip(), u"INFORMAZIONI"_s);
    QCOMPARE(image->pixmap().deviceIndependentSize().toSize(), image->size());

    // A section added below: the window grows by it, the rest stays in place.
    auto *section = new QWidget;
    section->setFixedSize(608, 40);
    about.addSection(section);
    QTRY_COMPARE(about.size(), QSize(608, 363));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    QCOMPARE(inWindow(section).top(), 323);
    QCOMPARE(inWindow(ok), QRect(552, 256, 44, 47));
}

void TestAbout::onlyTheSampleBeepsAndCloseCloses_data()
{
    QTest::addColumn<int>("key"); // 0: a click on the close button
    QTest::newRow("escape") << int(Qt::Key_Escape);
    QTest::newRow("enter") << int(Qt::Key_Enter);
    QTest::newRow("click") << 0;
}

void TestAbout::onlyTheSampleBeepsAndCloseCloses()
{
    QFETCH(int, key);
    FakePrompts prompts;
    QPointer<AboutWindow> about = new AboutWindow(prompts);
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    auto *sample = about->findChild<DeviceButton *>(u"Command1"_s);
    QCOMPARE(sample->text(), u"99\n830\n[15]"_s);
    QCOMPARE(inWindow(sample), QRect(128, 16, 57, 49));
    QTest::mouseClick(sample, Qt::LeftButton);
    QTest::mouseClick(sample, Qt::LeftButton);
    QTest::keyClick(about.data(), Qt::Key_A);
    QTest::keyClick(about.data(), Qt::Key_Space);
    QTest::mouseClick(about.data(), Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseClick(about->findChild<QLabel *>(u"Image6"_s), Qt::LeftButton);
    QTest::qWait(0);
    QCOMPARE(prompts.beeps, 2);
    QVERIFY(prompts.messages.isEmpty() && prompts.questions.isEmpty());
    QVERIFY(about && about->isVisible());

    auto *ok = about->findChild<QPushButton *>(u"cmdOK"_s);
    QSignalSpy pressed(ok, &QPushButton::clicked);
    if (key)
        QTest::keyClick(about.data(), Qt::Key(key));
    else
        QTest::mouseClick(ok, Qt::LeftButton);
    QCOMPARE(pressed.size(), 1);
    QVERIFY(!about->isVisible());
    QTRY_VERIFY(about.isNull());
    QCOMPARE(prompts.beeps, 2);
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
