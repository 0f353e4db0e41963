// The information window: its texts, colour squares and toolbar pictures, the sample device
// button that only beeps, and the close button pressed by a click, Enter or Escape.
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

// A control's rectangle relative to the window's client area.
QRect inWindow(const QWidget *control)
{
    return QRect(control->mapTo(control->window(), QPoint(0, 0)), control->size());
}

} // namespace

class TestAbout : public QObject
{
    Q_OBJECT
private slots:
    void fixedWindowGrowingBySections();
    void texts_data();
    void texts();
    void onlyTheSampleBeepsAndCloseCloses_data();
    void onlyTheSampleBeepsAndCloseCloses();

private:
    FakePrompts m_prompts;
};

void TestAbout::fixedWindowGrowingBySections()
{
    AboutWindow about(m_prompts);
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

    // A section added below: the window grows by it, and everything else stays in place.
    auto *section = new QWidget;
    section->setFixedSize(608, 40);
    about.addSection(section);
    QTRY_COMPARE(about.size(), QSize(608, 363));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    QCOMPARE(inWindow(section).top(), 323);
    QCOMPARE(inWindow(ok), QRect(552, 256, 44, 47));
}

void TestAbout::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("picture"); // the colour square or toolbar picture beside it
    QTest::addColumn<QColor>("colour"); // of the square
    QTest::addColumn<QString>("toolTip"); // of the toolbar picture
    const auto row = [](const char *name, const QString &text, const char *picture = "",
                        const QColor &colour = {}, const QString &toolTip = {}) {
        QTest::newRow(name) << QString::fromLatin1(name) << text << QString::fromLatin1(picture)
                            << colour << toolTip;
    };
    // A representative row of each kind: a plain label, colour squares, toolbar pictures.
    row("Label1", u"indirizzo dispositivo"_s);
    row("Label4", u"GUASTO"_s, "Shape1", QColor(255, 0, 0));
    row("Label12", u"VISUALIZZA QUESTA FINESTRA"_s, "Image4", {}, u"INFORMAZIONI"_s);
}

void TestAbout::texts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, picture);
    QFETCH(QColor, colour);
    QFETCH(QString, toolTip);

    AboutWindow about(m_prompts);
    about.show();
    const auto *label = about.findChild<QLabel *>(name);
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    if (colour.isValid()) {
        // Filled with its colour inside a black border.
        const QRect where = inWindow(about.findChild<QWidget *>(picture));
        const QImage shown = about.grab().toImage();
        QCOMPARE(shown.pixelColor(where.center()), colour);
        QCOMPARE(shown.pixelColor(where.topLeft()), QColor(0, 0, 0));
    } else if (!picture.isEmpty()) {
        const auto *image = about.findChild<QLabel *>(picture);
        QCOMPARE(image->toolTip(), toolTip);
        QVERIFY(!image->pixmap().isNull());
        QCOMPARE(image->pixmap().deviceIndependentSize().toSize(), image->size());
    }
}

// Only the sample device button beeps; other keys and clicks do nothing. The close button,
// pressed by a click, Enter or Escape, closes and discards the window.
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
