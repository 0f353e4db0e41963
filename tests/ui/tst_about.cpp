// The information window: every control in its place, the sample device button that only beeps,
// and the close button pressed by a click, Enter or Escape.
#include "support/FakePrompts.h"
#include "ui/AboutWindow.h"
#include "ui/DeviceButton.h"
#include "ui/GridGeometry.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace testloop;

namespace {

QRect pixels(const QWidget *widget, const QRect &twips)
{
    return twipsToPixels(twips, widget->logicalDpiX(), widget->logicalDpiY());
}

// A control's rectangle relative to the window's client area.
QRect inWindow(const QWidget *control)
{
    return QRect(control->mapTo(control->window(), QPoint(0, 0)), control->size());
}

bool isSmallFont(const QFont &font)
{
    return font.family() == QStringLiteral("Small Fonts") && qFuzzyCompare(font.pointSizeF(), 6.75);
}

} // namespace

class TestAbout : public QObject
{
    Q_OBJECT
private slots:
    // Window
    void windowIsAFixedModelessDialog();
    // Controls
    void labels_data();
    void labels();
    void toolbarPictures_data();
    void toolbarPictures();
    void colourSquares_data();
    void colourSquares();
    void lines_data();
    void lines();
    void sampleButton();
    void closeButton();
    // Behaviour
    void sampleClickOnlyBeeps();
    void closeKeys_data();
    void closeKeys();
    void clickOnCloseButtonCloses();
    void otherKeysAndClicksDoNothing();
    void sectionAddedBelowKeepsPlaces();

private:
    FakePrompts m_prompts;
};

void TestAbout::windowIsAFixedModelessDialog()
{
    AboutWindow about(m_prompts);
    QCOMPARE(about.objectName(), QStringLiteral("frmAbout"));
    QCOMPARE(about.windowTitle(), QStringLiteral("Informazioni"));
    QVERIFY(!about.isModal());
    QCOMPARE(about.windowModality(), Qt::NonModal);
    QVERIFY(about.testAttribute(Qt::WA_DeleteOnClose));
    about.show();
    const QSize client = pixels(&about, QRect(0, 0, 9120, 4845)).size();
    QCOMPARE(about.size(), client);
    QCOMPARE(about.minimumSize(), client);
    QCOMPARE(about.maximumSize(), client);
}

void TestAbout::labels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<bool>("small");
    const auto row = [](const char *name, const QString &text, const QRect &twips, bool small) {
        QTest::newRow(name) << QString::fromLatin1(name) << text << twips << small;
    };
    row("Label1", QStringLiteral("indirizzo dispositivo"), {3360, 240, 1575, 255}, false);
    row("Label3", QStringLiteral(" valore analogico"), {240, 480, 1335, 255}, false);
    row("Label2", QStringLiteral(" valore assorbimento"), {3360, 720, 1575, 255}, false);
    row("Label4", QStringLiteral("GUASTO"), {6000, 360, 735, 255}, false);
    row("Label5", QStringLiteral("ASSORBIMENTO FUORI RANGE"), {6000, 840, 2535, 255}, false);
    row("Label6", QStringLiteral("ANALOGICO FUORI RANGE"), {6000, 1320, 2175, 255}, false);
    row("Label7", QStringLiteral("OK "), {6000, 1800, 255, 255}, false);
    row("Label8",
        QStringLiteral("I PARAMETRI CHE DEFINISCONO I RANGE DEL SENSORE SI POSSONO MODIFICARE "
                       "DAL MENU DI SETUP E SONO PROTETTI DA PASSWORD"),
        {480, 1200, 3975, 735}, false);
    row("Label9",
        QStringLiteral("COMANDO PER RESETTARE TUTTI I VALORI ACQUISITI, EQUIVALE ALLA "
                       "RIPARTENZA DEL PROGRAMMA"),
        {960, 2280, 2775, 495}, true);
    row("Label10",
        QStringLiteral("ARRESTA LA SCANSIONE DEI SENSORI O MODULI, FERMA LA COMUNICAZIONE CON "
                       "LA CENTRALE"),
        {5040, 2280, 2655, 615}, true);
    row("Label11",
        QStringLiteral("RICHIAMA IL MENU DI SETUP, MODIFICA PARAMETRI DI COMUNICAZIONE E "
                       "SETTAGGIO"),
        {960, 3000, 3015, 495}, true);
    row("Label12", QStringLiteral("VISUALIZZA QUESTA FINESTRA"), {5040, 3120, 2295, 255}, true);
    row("Label13", QStringLiteral("SALVA UN FILE CON I VALORI ACQUISITI DAL PROGRAMMA"),
        {960, 3840, 3135, 375}, true);
    row("Label14", QStringLiteral("CARICA UN FILE PRECEDENTEMENTE SALVATO "),
        {5160, 3720, 2655, 495}, true);
    row("Label15", QStringLiteral("STAMPA UN TESTO DEI VALORI ACQUISITI"), {960, 4440, 2895, 255},
        true);
}

void TestAbout::labels()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QRect, twips);
    QFETCH(bool, small);

    AboutWindow about(m_prompts);
    const auto found = about.findChildren<QLabel *>(name);
    QCOMPARE(found.size(), 1);
    const QLabel *label = found.first();
    QCOMPARE(label->text(), text);
    QCOMPARE(inWindow(label), pixels(&about, twips));
    QCOMPARE(isSmallFont(label->font()), small);
    if (!small)
        QCOMPARE(label->font(), label->parentWidget()->font());
}

void TestAbout::toolbarPictures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QRect>("twips");
    const auto row = [](const char *name, const QString &toolTip, const QRect &twips) {
        QTest::newRow(name) << QString::fromLatin1(name) << toolTip << twips;
    };
    row("Image7", QStringLiteral("RESETTA LETTURE"), {240, 2160, 480, 480});
    row("Image6", QStringLiteral("ARRESTA SCANSIONE"), {4440, 2280, 480, 480});
    row("Image1", QStringLiteral("CONFIGURAZIONE"), {240, 3000, 480, 480});
    row("Image4", QStringLiteral("INFORMAZIONI"), {4440, 3000, 480, 480});
    row("Image2", QStringLiteral("SALVA LETTURE IMPIANTO"), {360, 3840, 360, 345});
    row("Image5", QStringLiteral("APRI FILE LETTURE"), {4560, 3720, 360, 345});
    row("Image3", QStringLiteral("STAMPA VALORI ANALOGICI"), {360, 4440, 360, 345});
}

void TestAbout::toolbarPictures()
{
    QFETCH(QString, name);
    QFETCH(QString, toolTip);
    QFETCH(QRect, twips);

    AboutWindow about(m_prompts);
    const auto *image = about.findChild<QLabel *>(name);
    QVERIFY(image);
    QCOMPARE(image->toolTip(), toolTip);
    const QRect where = pixels(&about, twips);
    QCOMPARE(inWindow(image), where);
    const QPixmap picture = image->pixmap();
    QVERIFY(!picture.isNull());
    QCOMPARE(picture.deviceIndependentSize().toSize(), where.size());
}

void TestAbout::colourSquares_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("top");
    QTest::newRow("Shape1 red") << QStringLiteral("Shape1") << QColor(255, 0, 0) << 240;
    QTest::newRow("Shape2 white") << QStringLiteral("Shape2") << QColor(255, 255, 255) << 720;
    QTest::newRow("Shape3 yellow") << QStringLiteral("Shape3") << QColor(255, 255, 0) << 1200;
    QTest::newRow("Shape4 green") << QStringLiteral("Shape4") << QColor(0, 192, 0) << 1680;
}

void TestAbout::colourSquares()
{
    QFETCH(QString, name);
    QFETCH(QColor, colour);
    QFETCH(int, top);

    AboutWindow about(m_prompts);
    about.show();
    const auto *square = about.findChild<QWidget *>(name);
    QVERIFY(square);
    const QRect where = pixels(&about, QRect(5520, top, 375, 375));
    QCOMPARE(inWindow(square), where);
    // Filled with its colour inside a black border.
    const QImage shown = about.grab().toImage();
    QCOMPARE(shown.pixelColor(where.center()), colour);
    QCOMPARE(shown.pixelColor(where.topLeft()), QColor(0, 0, 0));
}

void TestAbout::lines_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::newRow("Line2") << QStringLiteral("Line2") << QPoint(2640, 360) << QPoint(3480, 360);
    QTest::newRow("Line3") << QStringLiteral("Line3") << QPoint(1440, 600) << QPoint(2160, 600);
    QTest::newRow("Line4") << QStringLiteral("Line4") << QPoint(2520, 840) << QPoint(3480, 840);
}

void TestAbout::lines()
{
    QFETCH(QString, name);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);

    AboutWindow about(m_prompts);
    about.show();
    const auto *line = about.findChild<QWidget *>(name);
    QVERIFY(line);
    const QRect where = inWindow(line);
    const int dpiX = about.logicalDpiX();
    const int dpiY = about.logicalDpiY();
    QCOMPARE(where.left(), twipsToPixels(from.x(), dpiX));
    QCOMPARE(where.left() + where.width(), twipsToPixels(to.x(), dpiX));
    QCOMPARE(where.top(), twipsToPixels(from.y(), dpiY));
    QCOMPARE(where.height(), 1);
    // Drawn in black where neither the sample button nor a label covers it.
    const QImage shown = about.grab().toImage();
    int uncovered = 0;
    for (int x = where.left(); x < where.left() + where.width(); ++x) {
        const QPoint point(x, where.top());
        if (about.childAt(point) != line)
            continue;
        ++uncovered;
        QCOMPARE(shown.pixelColor(point), QColor(0, 0, 0));
    }
    QVERIFY(uncovered > 10);
}

void TestAbout::sampleButton()
{
    AboutWindow about(m_prompts);
    const auto *sample = about.findChild<DeviceButton *>(QStringLiteral("Command1"));
    QVERIFY(sample);
    QCOMPARE(sample->text(), QStringLiteral("99\n830\n[15]"));
    QCOMPARE(inWindow(sample), pixels(&about, QRect(1920, 240, 855, 735)));
    QVERIFY(isSmallFont(sample->font()));
    QCOMPARE(about.findChildren<DeviceButton *>().size(), 1);
}

void TestAbout::closeButton()
{
    AboutWindow about(m_prompts);
    const auto *ok = about.findChild<QPushButton *>(QStringLiteral("cmdOK"));
    QVERIFY(ok);
    QVERIFY(ok->isDefault());
    QVERIFY(ok->text().isEmpty());
    QVERIFY(!ok->icon().isNull());
    QCOMPARE(ok->toolTip(), QStringLiteral("Click qui per chiudere finestra"));
    QCOMPARE(inWindow(ok), pixels(&about, QRect(8280, 3840, 660, 705)));
    // The only push button, so nothing else can take Enter.
    QCOMPARE(about.findChildren<QPushButton *>().size(), 1);
}

void TestAbout::sampleClickOnlyBeeps()
{
    FakePrompts prompts;
    QPointer<AboutWindow> about = new AboutWindow(prompts);
    about->show();
    auto *sample = about->findChild<DeviceButton *>(QStringLiteral("Command1"));
    QTest::mouseClick(sample, Qt::LeftButton);
    QCOMPARE(prompts.beeps, 1);
    QTest::mouseClick(sample, Qt::LeftButton);
    QCOMPARE(prompts.beeps, 2);
    QVERIFY(prompts.messages.isEmpty());
    QVERIFY(prompts.questions.isEmpty());
    QCOMPARE(sample->text(), QStringLiteral("99\n830\n[15]"));
    QTest::qWait(0);
    QVERIFY(about);
    QVERIFY(about->isVisible());
    delete about;
}

void TestAbout::closeKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("escape") << int(Qt::Key_Escape);
    QTest::newRow("return") << int(Qt::Key_Return);
    QTest::newRow("enter") << int(Qt::Key_Enter);
}

void TestAbout::closeKeys()
{
    QFETCH(int, key);
    FakePrompts prompts;
    QPointer<AboutWindow> about = new AboutWindow(prompts);
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    auto *ok = about->findChild<QPushButton *>(QStringLiteral("cmdOK"));
    bool pressed = false;
    connect(ok, &QPushButton::clicked, this, [&pressed] { pressed = true; });
    QTest::keyClick(about.data(), Qt::Key(key));
    QVERIFY(pressed);
    QVERIFY(!about->isVisible());
    // Discarded once closed.
    QTRY_VERIFY(about.isNull());
    QCOMPARE(prompts.beeps, 0);
}

void TestAbout::clickOnCloseButtonCloses()
{
    QPointer<AboutWindow> about = new AboutWindow(m_prompts);
    about->show();
    QTest::mouseClick(about->findChild<QPushButton *>(QStringLiteral("cmdOK")), Qt::LeftButton);
    QTRY_VERIFY(about.isNull());
}

void TestAbout::otherKeysAndClicksDoNothing()
{
    FakePrompts prompts;
    AboutWindow about(prompts);
    about.show();
    QTest::keyClick(&about, Qt::Key_A);
    QTest::keyClick(&about, Qt::Key_Space);
    QTest::mouseClick(&about, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseClick(about.findChild<QLabel *>(QStringLiteral("Image6")), Qt::LeftButton);
    QTest::mouseClick(about.findChild<QLabel *>(QStringLiteral("Label8")), Qt::LeftButton);
    QVERIFY(about.isVisible());
    QCOMPARE(prompts.beeps, 0);
    QVERIFY(prompts.messages.isEmpty());
}

void TestAbout::sectionAddedBelowKeepsPlaces()
{
    AboutWindow about(m_prompts);
    about.show();
    const QSize before = about.size();
    auto *section = new QWidget;
    section->setFixedSize(before.width(), 40);
    about.addSection(section);
    QTRY_COMPARE(about.size(), QSize(before.width(), before.height() + 40));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    QCOMPARE(inWindow(section).top(), before.height());
    QCOMPARE(inWindow(about.findChild<QPushButton *>(QStringLiteral("cmdOK"))),
             pixels(&about, QRect(8280, 3840, 660, 705)));
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
