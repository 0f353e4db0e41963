// The configuration dialog: its controls and their places, the opening, the settings changed
// at once, the threshold checks of OK, the passwords, the save and the threshold bars.
#include "config/ConfigurationDialog.h"
#include "config/ConfigurationFile.h"
#include "loopdata/SharedState.h"
#include "support/FakePrompts.h"
#include "ui/GridGeometry.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

using namespace testloop;
using namespace Qt::StringLiterals;

namespace {

// The shared state, the prompts and a configuration path in a fresh folder for one test.
struct Fixture
{
    Fixture()
    {
        shared.settings.ComPort = 2;
        shared.settings.BoardCode = u"jbc"_s;
        shared.settings.FaultRetries = 4;
        shared.settings.GSMax = 100;
        shared.settings.VaSMin = 500;
        shared.settings.VaSMax = 2000;
        shared.settings.GMMax = 150;
        shared.settings.VaMMin = 600;
        shared.settings.VaMMax = 2500;
    }

    QString path() const { return folder.filePath(u"TestLoop.ini"_s); }

    // A fresh dialog, shown as the main window shows it.
    QPointer<ConfigurationDialog> open()
    {
        auto *dialog = new ConfigurationDialog(shared, prompts, path());
        dialog->show();
        return dialog;
    }

    SharedState shared;
    FakePrompts prompts;
    QTemporaryDir folder;
};

template<typename Widget = QWidget> Widget *child(QWidget *dialog, const QString &name)
{
    auto *widget = dialog->findChild<Widget *>(name);
    if (!widget)
        qWarning("no control %s", qPrintable(name));
    return widget;
}

QLineEdit *box(QWidget *dialog, const QString &name)
{
    return child<QLineEdit>(dialog, name);
}

QString caption(QWidget *widget)
{
    if (auto *frame = qobject_cast<QGroupBox *>(widget))
        return frame->title();
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->text();
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    return QString();
}

// Unlocks the threshold boxes with the password.
void unlock(Fixture &f, ConfigurationDialog *dialog)
{
    f.prompts.typed.append(u"brasovika"_s);
    dialog->advancedOptions();
}

// The six boxes in the order sensor fault, lower, upper, module fault, lower, upper.
const QStringList BoxNames
    = {u"Text1_2"_s, u"Text1_0"_s, u"Text1_1"_s, u"Text2_2"_s, u"Text2_0"_s, u"Text2_1"_s};

QStringList boxTexts(QWidget *dialog)
{
    QStringList texts;
    for (const QString &name : BoxNames)
        texts.append(box(dialog, name)->text());
    return texts;
}

QList<int> thresholds(const Settings &s)
{
    return {s.GSMax, s.VaSMin, s.VaSMax, s.GMMax, s.VaMMin, s.VaMMax};
}

// A bar's place in pixels lies within a pixel of its place in twips.
bool near(const QRect &pixels, const QRectF &twips, int dpiX, int dpiY)
{
    const auto close = [](int actual, double twipsValue, int dpi) {
        return std::abs(actual - twipsValue * dpi / TwipsPerInch) <= 1.0;
    };
    return close(pixels.x(), twips.x(), dpiX) && close(pixels.y(), twips.y(), dpiY)
        && close(pixels.width(), twips.width(), dpiX)
        && close(pixels.height(), twips.height(), dpiY);
}

} // namespace

class TestConfigurationDialog : public QObject
{
    Q_OBJECT
private slots:
    // Controls
    void controls_data();
    void controls();
    void window();
    void lists();
    void bars();

    // Opening
    void openingState();
    void openingSelectsModel_data();
    void openingSelectsModel();
    void openingSelectsPort_data();
    void openingSelectsPort();
    void openingShowsWideStoredValuesWhole();

    // Settings that act at once
    void portOptions();
    void modelOptions();
    void codeListPickedAndTyped();
    void typedCodeRefused_data();
    void typedCodeRefused();
    void requestCount_data();
    void requestCount();
    void closingWithoutOk();

    // OK
    void checks_data();
    void checks();
    void roundingHalvesToEven();
    void thresholdBeyond16Bits();
    void okSavesAndCloses();
    void failedSaveKeepsDialogOpen();

    // Passwords
    void passwords_data();
    void passwords();
    void unlockedShowsNoPrompt();

    // Bars
    void drawThresholdBars_data();
    void drawThresholdBars();
};

void TestConfigurationDialog::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QRect>("twips");

    const auto row = [](const QString &name, const QString &parent, const QString &caption,
                        const QString &toolTip, const QRect &twips) {
        QTest::newRow(qPrintable(name)) << name << parent << caption << toolTip << twips;
    };
    row(u"Frame4"_s, u"Form2"_s, u"COM"_s, u"Porta seriale PC"_s, QRect(120, 120, 975, 1095));
    row(u"Option6_0"_s, u"Frame4"_s, u"1"_s, QString(), QRect(240, 240, 495, 255));
    row(u"Option6_1"_s, u"Frame4"_s, u"2"_s, QString(), QRect(240, 480, 495, 255));
    row(u"Option6_2"_s, u"Frame4"_s, u"3"_s, QString(), QRect(240, 720, 495, 255));
    row(u"Frame1"_s, u"Form2"_s, u"CENTRALE"_s, u"Tipo di Centrale configurata"_s,
        QRect(1200, 120, 2895, 1095));
    row(u"Option1_0"_s, u"Frame1"_s, u"VRN140/142/190 "_s, QString(), QRect(240, 360, 2055, 195));
    row(u"Option1_1"_s, u"Frame1"_s, u"VRN442"_s, QString(), QRect(240, 600, 1575, 195));
    row(u"Combo1"_s, u"Frame1"_s, QString(), QString(), QRect(1800, 600, 615, 315));
    row(u"Frame3"_s, u"Form2"_s, u"SOGLIE SENSORE"_s, u"Config valori"_s,
        QRect(120, 1320, 1935, 3735));
    row(u"Frame5"_s, u"Form2"_s, u"SOGLIE MODULO"_s, u"Config valori"_s,
        QRect(2160, 1320, 1935, 3735));
    row(u"Text1_2"_s, u"Frame3"_s, QString(), u"Soglia di guasto"_s, QRect(1080, 1200, 735, 285));
    row(u"Text1_0"_s, u"Frame3"_s, QString(), u"Soglia inferiore "_s, QRect(1080, 1560, 735, 285));
    row(u"Text1_1"_s, u"Frame3"_s, QString(), u"Soglia superiore"_s, QRect(1080, 1920, 735, 285));
    row(u"Text2_2"_s, u"Frame5"_s, QString(), u"Soglia di guasto"_s, QRect(1080, 1200, 735, 285));
    row(u"Text2_0"_s, u"Frame5"_s, QString(), u"Soglia inferiore"_s, QRect(1080, 1560, 735, 285));
    row(u"Text2_1"_s, u"Frame5"_s, QString(), u"Soglia superiore"_s, QRect(1080, 1920, 735, 285));
    row(u"Shape3_0"_s, u"Frame3"_s, QString(), QString(), QRect(240, 360, 735, 3255));
    row(u"Shape3_1"_s, u"Frame5"_s, QString(), QString(), QRect(240, 360, 735, 3255));
    row(u"Frame6"_s, u"Form2"_s, u"ADVANCED"_s, QString(), QRect(4200, 120, 1335, 4935));
    row(u"Label1"_s, u"Frame6"_s, u"N° chiamate se guasto"_s, QString(), QRect(120, 360, 975, 375));
    row(u"Combo2"_s, u"Frame6"_s, QString(), u"Numero di richieste se guasto"_s,
        QRect(120, 840, 615, 315));
    row(u"Command1"_s, u"Form2"_s, u"OK"_s, u"Salva e chiudi configurazione"_s,
        QRect(120, 5160, 735, 615));
    row(u"Command2"_s, u"Form2"_s, u"ADVANCED OPTION"_s, QString(), QRect(960, 5160, 1215, 615));
}

void TestConfigurationDialog::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QString, caption);
    QFETCH(QString, toolTip);
    QFETCH(QRect, twips);

    Fixture f;
    ConfigurationDialog dialog(f.shared, f.prompts, f.path());
    const QList<QWidget *> found = dialog.findChildren<QWidget *>(name);
    QCOMPARE(found.size(), 1);
    QWidget *control = found.first();
    QCOMPARE(control->parentWidget()->objectName(), parent);
    QCOMPARE(::caption(control), caption);
    QCOMPARE(control->toolTip(), toolTip);
    QCOMPARE(control->geometry(),
             twipsToPixels(twips, control->logicalDpiX(), control->logicalDpiY()));
}

void TestConfigurationDialog::window()
{
    Fixture f;
    ConfigurationDialog dialog(f.shared, f.prompts, f.path());
    QCOMPARE(dialog.objectName(), u"Form2"_s);
    QCOMPARE(dialog.windowTitle(), u"Configurazione"_s);
    QVERIFY(!dialog.isModal());
    QVERIFY(dialog.testAttribute(Qt::WA_DeleteOnClose));
    const QSize size(twipsToPixels(5610, dialog.logicalDpiX()),
                     twipsToPixels(5820, dialog.logicalDpiY()));
    QCOMPARE(dialog.minimumSize(), size);
    QCOMPARE(dialog.maximumSize(), size);
    // Enter in a box must not press a button.
    QVERIFY(!child<QPushButton>(&dialog, u"Command1"_s)->autoDefault());
    QVERIFY(!child<QPushButton>(&dialog, u"Command2"_s)->autoDefault());
    QCOMPARE(child<QLabel>(&dialog, u"Label1"_s)->font().pointSizeF(), 6.75);
}

void TestConfigurationDialog::lists()
{
    Fixture f;
    ConfigurationDialog dialog(f.shared, f.prompts, f.path());
    const auto items = [](QComboBox *list) {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts.append(list->itemText(i));
        return texts;
    };
    auto *codes = child<QComboBox>(&dialog, u"Combo1"_s);
    auto *counts = child<QComboBox>(&dialog, u"Combo2"_s);
    QCOMPARE(items(codes),
             (QStringList {u"jba"_s, u"jbb"_s, u"jbc"_s, u"jbd"_s, u"jbe"_s, u"jbf"_s, u"jbg"_s}));
    QCOMPARE(items(counts),
             (QStringList {u"0"_s, u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s, u"7"_s, u"8"_s,
                           u"9"_s}));
    QVERIFY(codes->isEditable());
    QVERIFY(counts->isEditable());
}

void TestConfigurationDialog::bars()
{
    Fixture f;
    ConfigurationDialog dialog(f.shared, f.prompts, f.path());
    for (const QString &kind : {u"0"_s, u"1"_s}) {
        QWidget *yellow = child(&dialog, u"Shape3_"_s + kind);
        QWidget *red = child(&dialog, u"Shape1_"_s + kind);
        QWidget *green = child(&dialog, u"Shape2_"_s + kind);
        QCOMPARE(red->parentWidget(), yellow->parentWidget());
        QCOMPARE(green->parentWidget(), yellow->parentWidget());
        QVERIFY(yellow->autoFillBackground() && red->autoFillBackground()
                && green->autoFillBackground());
        QCOMPARE(yellow->palette().color(QPalette::Window), QColor(255, 255, 128));
        QCOMPARE(red->palette().color(QPalette::Window), QColor(255, 0, 0));
        QCOMPARE(green->palette().color(QPalette::Window), QColor(0, 192, 0));
        // The red and green bars lie in front of the yellow one.
        QWidget *frame = yellow->parentWidget();
        const QList<QObject *> order = frame->children();
        QVERIFY(order.indexOf(yellow) < order.indexOf(red));
        QVERIFY(order.indexOf(yellow) < order.indexOf(green));
        QCOMPARE(frame->childAt(red->geometry().center()), red);
        QCOMPARE(frame->childAt(green->geometry().center()), green);
    }
}

void TestConfigurationDialog::openingState()
{
    Fixture f;
    const Settings before = f.shared.settings;
    ConfigurationDialog dialog(f.shared, f.prompts, f.path());
    // Opening copies every control back into its setting and so changes none.
    QCOMPARE(f.shared.settings, before);
    QCOMPARE(boxTexts(&dialog),
             (QStringList {u"100"_s, u"500"_s, u"2000"_s, u"150"_s, u"600"_s, u"2500"_s}));
    for (const QString &name : BoxNames) {
        QVERIFY(!box(&dialog, name)->isEnabled());
        QCOMPARE(box(&dialog, name)->maxLength(), 4);
    }
    auto *counts = child<QComboBox>(&dialog, u"Combo2"_s);
    QVERIFY(!counts->isEnabled());
    QCOMPARE(counts->currentText(), u"4"_s);
    QCOMPARE(child<QComboBox>(&dialog, u"Combo1"_s)->currentText(), u"jbc"_s);
    QVERIFY(child<QRadioButton>(&dialog, u"Option6_1"_s)->isChecked());
    QVERIFY(f.prompts.messages.isEmpty());
    QCOMPARE(f.prompts.beeps, 0);
    QVERIFY(!QFile::exists(f.path()));
}

void TestConfigurationDialog::openingSelectsModel_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("checked"); // empty: neither option
    QTest::addColumn<bool>("listShown");
    QTest::newRow("j00") << u"j00"_s << u"Option1_0"_s << false;
    QTest::newRow("jba") << u"jba"_s << u"Option1_1"_s << true;
    QTest::newRow("jbg") << u"jbg"_s << u"Option1_1"_s << true;
    QTest::newRow("other") << u"xyz"_s << QString() << false;
    QTest::newRow("upper case") << u"JBA"_s << QString() << false;
    QTest::newRow("empty") << QString() << QString() << false;
}

void TestConfigurationDialog::openingSelectsModel()
{
    QFETCH(QString, code);
    QFETCH(QString, checked);
    QFETCH(bool, listShown);

    Fixture f;
    f.shared.settings.BoardCode = code;
    ConfigurationDialog dialog(f.shared, f.prompts, f.path());
    auto *single = child<QRadioButton>(&dialog, u"Option1_0"_s);
    auto *listed = child<QRadioButton>(&dialog, u"Option1_1"_s);
    auto *codes = child<QComboBox>(&dialog, u"Combo1"_s);
    QCOMPARE(single->isChecked(), checked == single->objectName());
    QCOMPARE(listed->isChecked(), checked == listed->objectName());
    QCOMPARE(!codes->isHidden(), listShown);
    QCOMPARE(codes->currentText(), code);
    QCOMPARE(f.shared.settings.BoardCode, code);
    QVERIFY(f.prompts.messages.isEmpty());
}

void TestConfigurationDialog::openingSelectsPort_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("checked"); // -1: none
    QTest::newRow("1") << 1 << 0;
    QTest::newRow("2") << 2 << 1;
    QTest::newRow("3") << 3 << 2;
    // A port number with no option button selects none and stays as it was.
    QTest::newRow("0") << 0 << -1;
    QTest::newRow("4") << 4 << -1;
    QTest::newRow("negative") << -1 << -1;
}

void TestConfigurationDialog::openingSelectsPort()
{
    QFETCH(int, port);
    QFETCH(int, checked);

    Fixture f;
    f.shared.settings.ComPort = qint16(port);
    ConfigurationDialog dialog(f.shared, f.prompts, f.path());
    for (int i = 0; i < 3; ++i)
        QCOMPARE(child<QRadioButton>(&dialog, u"Option6_%1"_s.arg(i))->isChecked(), i == checked);
    QCOMPARE(f.shared.settings.ComPort, qint16(port));
}

void TestConfigurationDialog::openingShowsWideStoredValuesWhole()
{
    Fixture f;
    f.shared.settings.GSMax = -1000;
    f.shared.settings.VaMMax = 12000;
    ConfigurationDialog dialog(f.shared, f.prompts, f.path());
    // Cut to four characters these would read as -100 and 1200 and be saved so.
    QCOMPARE(box(&dialog, u"Text1_2"_s)->text(), u"-1000"_s);
    QCOMPARE(box(&dialog, u"Text2_1"_s)->text(), u"12000"_s);
    // Typing is held to four characters in a box of ordinary width.
    QLineEdit *lower = box(&dialog, u"Text1_0"_s);
    QCOMPARE(lower->maxLength(), 4);
    lower->setEnabled(true);
    lower->selectAll();
    QTest::keyClicks(lower, u"12345"_s);
    QCOMPARE(lower->text(), u"1234"_s);
}

void TestConfigurationDialog::portOptions()
{
    Fixture f;
    ConfigurationDialog dialog(f.shared, f.prompts, f.path());
    dialog.show();
    for (int i : {2, 0, 1}) {
        auto *option = child<QRadioButton>(&dialog, u"Option6_%1"_s.arg(i));
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(5, option->height() / 2));
        QCOMPARE(f.shared.settings.ComPort, qint16(i + 1));
    }
}

void TestConfigurationDialog::modelOptions()
{
    Fixture f;
    f.shared.settings.BoardCode = u"j00"_s;
    ConfigurationDialog dialog(f.shared, f.prompts, f.path());
    auto *single = child<QRadioButton>(&dialog, u"Option1_0"_s);
    auto *listed = child<QRadioButton>(&dialog, u"Option1_1"_s);
    auto *codes = child<QComboBox>(&dialog, u"Combo1"_s);

    // The list received "j00" at opening: choosing the second group keeps that code until an
    // item is picked or typed.
    listed->click();
    QVERIFY(!codes->isHidden());
    QCOMPARE(f.shared.settings.BoardCode, u"j00"_s);
    codes->setCurrentIndex(3);
    QCOMPARE(f.shared.settings.BoardCode, u"jbd"_s);

    single->click();
    QVERIFY(codes->isHidden());
    QCOMPARE(f.shared.settings.BoardCode, u"j00"_s);

    listed->click();
    QVERIFY(!codes->isHidden());
    QCOMPARE(f.shared.settings.BoardCode, u"jbd"_s);
    QVERIFY(!QFile::exists(f.path()));
}

void TestConfigurationDialog::codeListPickedAndTyped()
{
    Fixture f;
    ConfigurationDialog dialog(f.shared, f.prompts, f.path());
    dialog.show();
    auto *codes = child<QComboBox>(&dialog, u"Combo1"_s);
    codes->setCurrentIndex(6);
    QCOMPARE(f.shared.settings.BoardCode, u"jbg"_s);

    codes->lineEdit()->selectAll();
    QTest::keyClicks(codes->lineEdit(), u"k7x"_s);
    QCOMPARE(f.shared.settings.BoardCode, u"k7x"_s);
    // Nothing is completed or added to the list.
    QCOMPARE(codes->count(), 7);
    QTest::keyClick(codes->lineEdit(), Qt::Key_Return);
    QCOMPARE(codes->count(), 7);
    QCOMPARE(f.shared.settings.BoardCode, u"k7x"_s);
    QVERIFY(dialog.isVisible());
    QVERIFY(f.prompts.messages.isEmpty());
}

void TestConfigurationDialog::typedCodeRefused_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("reason");
    QTest::newRow("comma") << u"jb,"_s << u"virgole"_s;
    QTest::newRow("leading blank") << u" "_s << u"spazio"_s;
    QTest::newRow("leading quote") << u"\""_s << u"virgolette"_s;
}

void TestConfigurationDialog::typedCodeRefused()
{
    QFETCH(QString, typed);
    QFETCH(QString, reason);

    Fixture f;
    ConfigurationDialog dialog(f.shared, f.prompts, f.path());
    dialog.show();
    auto *codes = child<QComboBox>(&dialog, u"Combo1"_s);
    codes->lineEdit()->clear();
    QCOMPARE(f.shared.settings.BoardCode, QString());
    QTest::keyClicks(codes->lineEdit(), typed);
    // The refused keystroke is undone; what was typed before it stays and is the code.
    const QString kept = typed.chopped(1);
    QCOMPARE(codes->currentText(), kept);
    QCOMPARE(f.shared.settings.BoardCode, kept);
    QCOMPARE(f.prompts.messages.size(), 1);
    QVERIFY2(f.prompts.messages[0].text.contains(reason), qPrintable(f.prompts.messages[0].text));
    QCOMPARE(f.prompts.messages[0].icon, Prompts::Icon::Warning);

    // A pasted line break is refused in the same way.
    codes->setEditText(u"jb\r\njc"_s);
    QCOMPARE(codes->currentText(), kept);
    QCOMPARE(f.prompts.messages.size(), 2);
    QVERIFY(f.prompts.messages[1].text.contains(u"una sola riga"_s));
}

void TestConfigurationDialog::requestCount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::newRow("listed") << u"7"_s << 7;
    QTest::newRow("above the list") << u"12"_s << 12;
    QTest::newRow("blanks around") << u" 6 "_s << 6;
    QTest::newRow("negative") << u"-2"_s << -2;
    QTest::newRow("highest") << u"32767"_s << 32767;
    // Not a whole number fitting in 16 signed bits: the count in force stays.
    QTest::newRow("empty") << QString() << 4;
    QTest::newRow("letters") << u"abc"_s << 4;
    QTest::newRow("fraction") << u"1.5"_s << 4;
    QTest::newRow("too large") << u"32768"_s << 4;
    QTest::newRow("trailing letter") << u"5x"_s << 4;
}

void TestConfigurationDialog::requestCount()
{
    QFETCH(QString, text);
    QFETCH(int, count);

    Fixture f;
    ConfigurationDialog dialog(f.shared, f.prompts, f.path());
    dialog.show();
    unlock(f, &dialog);
    auto *counts = child<QComboBox>(&dialog, u"Combo2"_s);
    counts->setEditText(text);
    QCOMPARE(int(f.shared.settings.FaultRetries), count);
    QCOMPARE(counts->currentText(), text);

    // Picking an item takes it too.
    counts->setCurrentIndex(9);
    QCOMPARE(f.shared.settings.FaultRetries, qint16(9));
}

void TestConfigurationDialog::closingWithoutOk()
{
    Fixture f;
    QPointer<ConfigurationDialog> dialog = f.open();
    unlock(f, dialog);
    child<QRadioButton>(dialog, u"Option6_2"_s)->click();
    box(dialog, u"Text1_1"_s)->setText(u"3000"_s);
    dialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(dialog.isNull());
    // The port acts at once; the threshold box is dropped and nothing is written.
    QCOMPARE(f.shared.settings.ComPort, qint16(3));
    QCOMPARE(f.shared.settings.VaSMax, qint16(2000));
    QVERIFY(!QFile::exists(f.path()));
}

void TestConfigurationDialog::checks_data()
{
    QTest::addColumn<QStringList>("entered");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("boxesAfter");
    QTest::addColumn<QList<int>>("storedAfter");

    const QStringList unchanged = {u"100"_s, u"500"_s, u"2000"_s, u"150"_s, u"600"_s, u"2500"_s};
    const QList<int> old = {100, 500, 2000, 150, 600, 2500};
    QTest::newRow("unchanged") << unchanged << QStringList() << unchanged << old;
    QTest::newRow("equal values") << QStringList {u"300"_s, u"300"_s,  u"300"_s,
                                                  u"0"_s,   u"4000"_s, u"4000"_s}
                                  << QStringList() << QStringList {u"300"_s, u"300"_s,  u"300"_s,
                                                                   u"0"_s,   u"4000"_s, u"4000"_s}
                                  << QList<int> {300, 300, 300, 0, 4000, 4000};
    QTest::newRow("lower 50 below fault 100")
        << QStringList {u"100"_s, u"50"_s, u"2000"_s, u"150"_s, u"600"_s, u"2500"_s}
        << QStringList {u"Bad Range GSMAX"_s, u"Bad Range VaSmin"_s} << unchanged << old;
    QTest::newRow("sensor upper 4001")
        << QStringList {u"100"_s, u"500"_s, u"4001"_s, u"150"_s, u"600"_s, u"2500"_s}
        << QStringList {u"Bad Range VaSmax"_s} << unchanged << old;
    QTest::newRow("module upper below lower")
        << QStringList {u"100"_s, u"500"_s, u"2000"_s, u"150"_s, u"600"_s, u"500"_s}
        << QStringList {u"Bad Range VaMmin"_s, u"Bad Range VaMmax"_s} << unchanged << old;
    QTest::newRow("module fault above lower")
        << QStringList {u"100"_s, u"500"_s, u"2000"_s, u"700"_s, u"600"_s, u"2500"_s}
        << QStringList {u"Bad Range GMMAX"_s} << unchanged << old;
    QTest::newRow("new lower, upper restored below it")
        << QStringList {u"100"_s, u"3000"_s, u"4500"_s, u"150"_s, u"600"_s, u"2500"_s}
        << QStringList {u"Bad Range VaSmax"_s}
        << QStringList {u"100"_s, u"3000"_s, u"2000"_s, u"150"_s, u"600"_s, u"2500"_s}
        << QList<int> {100, 3000, 2000, 150, 600, 2500};
    QTest::newRow("all six") << QStringList {u"9"_s, u"1"_s, u"9999"_s, u"9"_s, u"1"_s, u"9999"_s}
                             << QStringList {u"Bad Range GSMAX"_s,  u"Bad Range VaSmin"_s,
                                             u"Bad Range VaSmax"_s, u"Bad Range GMMAX"_s,
                                             u"Bad Range VaMmin"_s, u"Bad Range VaMmax"_s}
                             << unchanged << old;
}

void TestConfigurationDialog::checks()
{
    QFETCH(QStringList, entered);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, boxesAfter);
    QFETCH(QList<int>, storedAfter);

    Fixture f;
    QPointer<ConfigurationDialog> dialog = f.open();
    unlock(f, dialog);
    for (int i = 0; i < BoxNames.size(); ++i)
        box(dialog, BoxNames[i])->setText(entered[i]);
    // Each message is shown after its beep, with the boxes of earlier checks already restored.
    QList<int> beepsAtMessage;
    QList<QStringList> boxesAtMessage;
    f.prompts.whileMessageOpen = [&] {
        beepsAtMessage.append(f.prompts.beeps);
        boxesAtMessage.append(boxTexts(dialog));
    };
    child<QPushButton>(dialog, u"Command1"_s)->click();

    QStringList shown;
    for (const FakePrompts::Message &message : f.prompts.messages) {
        shown.append(message.text);
        QCOMPARE(message.title, QString()); // the application's title
        QCOMPARE(message.icon, Prompts::Icon::None);
    }
    QCOMPARE(shown, messages);
    QCOMPARE(f.prompts.beeps, messages.size());
    for (int i = 0; i < beepsAtMessage.size(); ++i)
        QCOMPARE(beepsAtMessage[i], i + 1);
    if (messages.size() >= 2) // the second check sees what the first one restored
        QCOMPARE(boxesAtMessage[1][0], u"100"_s);
    QCOMPARE(thresholds(f.shared.settings), storedAfter);
    // A failed check does not keep the dialog open: the file is written and it closes.
    QCOMPARE(thresholds(readConfigurationFile(f.path()).settings), storedAfter);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(boxTexts(dialog), boxesAfter);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(dialog.isNull());
}

void TestConfigurationDialog::roundingHalvesToEven()
{
    Fixture f;
    QPointer<ConfigurationDialog> dialog = f.open();
    unlock(f, dialog);
    // 10.5 is compared as 10.5 (above 10.4) and stored as 10; 11.5 is stored as 12.
    box(dialog, u"Text1_2"_s)->setText(u"10.5"_s);
    box(dialog, u"Text1_0"_s)->setText(u"11.5"_s);
    box(dialog, u"Text2_2"_s)->setText(u"2.5"_s);
    box(dialog, u"Text2_0"_s)->setText(u"2.5"_s);
    dialog->confirm();
    QVERIFY(f.prompts.messages.isEmpty());
    QCOMPARE(f.shared.settings.GSMax, qint16(10));
    QCOMPARE(f.shared.settings.VaSMin, qint16(12));
    QCOMPARE(f.shared.settings.GMMax, qint16(2));
    QCOMPARE(f.shared.settings.VaMMin, qint16(2));

    Fixture g;
    dialog = g.open();
    unlock(g, dialog);
    box(dialog, u"Text1_2"_s)->setText(u"10.5"_s);
    box(dialog, u"Text1_0"_s)->setText(u"10.4"_s);
    dialog->confirm();
    QCOMPARE(g.prompts.messages.size(), 2);
    QCOMPARE(g.prompts.messages[0].text, u"Bad Range GSMAX"_s);
}

void TestConfigurationDialog::thresholdBeyond16Bits()
{
    Fixture f;
    // From a hand-edited file: the box shows all six characters and so takes six.
    f.shared.settings.GSMax = -10000;
    QPointer<ConfigurationDialog> dialog = f.open();
    unlock(f, dialog);
    QLineEdit *fault = box(dialog, u"Text1_2"_s);
    fault->selectAll();
    QTest::keyClicks(fault, u"-40000"_s);
    QCOMPARE(fault->text(), u"-40000"_s);
    dialog->confirm();
    // Below every other box, so only its 16-bit range fails it; it is not stored wrapped.
    QCOMPARE(f.prompts.messages.size(), 1);
    QCOMPARE(f.prompts.messages[0].text, u"Bad Range GSMAX"_s);
    QCOMPARE(f.prompts.beeps, 1);
    QCOMPARE(fault->text(), u"-10000"_s);
    QCOMPARE(f.shared.settings.GSMax, qint16(-10000));
    QCOMPARE(readConfigurationFile(f.path()).settings.GSMax, qint16(-10000));
}

void TestConfigurationDialog::okSavesAndCloses()
{
    Fixture f;
    QPointer<ConfigurationDialog> dialog = f.open();
    QSignalSpy codes(dialog.data(), &ConfigurationDialog::boardCodeChanged);
    unlock(f, dialog);
    child<QRadioButton>(dialog, u"Option6_2"_s)->click();
    child<QComboBox>(dialog, u"Combo1"_s)->setCurrentIndex(4);
    child<QComboBox>(dialog, u"Combo2"_s)->setEditText(u"12"_s);
    box(dialog, u"Text2_1"_s)->setText(u"3100"_s);
    child<QPushButton>(dialog, u"Command1"_s)->click();

    QCOMPARE(codes.size(), 1);
    QCOMPARE(codes[0][0].toString(), u"jbe"_s);
    const ConfigurationRead read = readConfigurationFile(f.path());
    QVERIFY(read.problems.isEmpty());
    QCOMPARE(read.settings, f.shared.settings);
    QCOMPARE(read.settings.ComPort, qint16(3));
    QCOMPARE(read.settings.BoardCode, u"jbe"_s);
    QCOMPARE(read.settings.FaultRetries, qint16(12));
    QCOMPARE(read.settings.VaMMax, qint16(3100));
    QVERIFY(f.prompts.messages.isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(dialog.isNull());
}

void TestConfigurationDialog::failedSaveKeepsDialogOpen()
{
    Fixture f;
    const QString missingFolder = f.folder.filePath(u"missing/TestLoop.ini"_s);
    QPointer<ConfigurationDialog> dialog
        = new ConfigurationDialog(f.shared, f.prompts, missingFolder);
    dialog->show();
    QSignalSpy codes(dialog.data(), &ConfigurationDialog::boardCodeChanged);
    unlock(f, dialog);
    box(dialog, u"Text1_1"_s)->setText(u"2100"_s);
    dialog->confirm();

    // The save told the user why; the dialog stays open so that OK can be tried again.
    QCOMPARE(f.prompts.messages.size(), 1);
    QCOMPARE(f.prompts.messages[0].icon, Prompts::Icon::Critical);
    QVERIFY(f.prompts.messages[0].text.contains(u"non è stata salvata"_s));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!dialog.isNull());
    QVERIFY(dialog->isVisible());
    // The settings in memory are in force all the same, and the label shows their code.
    QCOMPARE(f.shared.settings.VaSMax, qint16(2100));
    QCOMPARE(codes.size(), 1);
    QVERIFY(!QFile::exists(missingFolder));
    delete dialog;
}

void TestConfigurationDialog::passwords_data()
{
    QTest::addColumn<QStringList>("typed"); // empty: the input box is cancelled
    QTest::addColumn<int>("replyBox");
    QTest::addColumn<bool>("unlocked");
    QTest::newRow("unlock") << QStringList {u"brasovika"_s} << 0 << true;
    QTest::newRow("reply box") << QStringList {u"tulmeno"_s} << 1 << false;
    QTest::newRow("wrong") << QStringList {u"password"_s} << 0 << false;
    QTest::newRow("case differs") << QStringList {u"Brasovika"_s} << 0 << false;
    QTest::newRow("blank around") << QStringList {u"tulmeno "_s} << 0 << false;
    QTest::newRow("empty") << QStringList {QString()} << 0 << false;
    QTest::newRow("cancelled") << QStringList() << 0 << false;
}

void TestConfigurationDialog::passwords()
{
    QFETCH(QStringList, typed);
    QFETCH(int, replyBox);
    QFETCH(bool, unlocked);

    Fixture f;
    ConfigurationDialog dialog(f.shared, f.prompts, f.path());
    QSignalSpy replies(&dialog, &ConfigurationDialog::replyBoxRequested);
    f.prompts.typed = typed;
    child<QPushButton>(&dialog, u"Command2"_s)->click();

    QCOMPARE(f.prompts.questions, QStringList {u"Password"_s});
    QCOMPARE(replies.size(), replyBox);
    for (const QString &name : BoxNames)
        QCOMPARE(box(&dialog, name)->isEnabled(), unlocked);
    QCOMPARE(child<QComboBox>(&dialog, u"Combo2"_s)->isEnabled(), unlocked);
    // A wrong password is not reported.
    QVERIFY(f.prompts.messages.isEmpty());
    QCOMPARE(f.prompts.beeps, 0);
}

void TestConfigurationDialog::unlockedShowsNoPrompt()
{
    Fixture f;
    ConfigurationDialog dialog(f.shared, f.prompts, f.path());
    QSignalSpy replies(&dialog, &ConfigurationDialog::replyBoxRequested);
    f.prompts.typed = {u"tulmeno"_s, u"brasovika"_s, u"tulmeno"_s};
    dialog.advancedOptions();
    dialog.advancedOptions();
    QCOMPARE(replies.size(), 1);
    QVERIFY(box(&dialog, u"Text2_0"_s)->isEnabled());
    // Once unlocked the button asks nothing and does nothing.
    dialog.advancedOptions();
    QCOMPARE(f.prompts.questions.size(), 2);
    QCOMPARE(replies.size(), 1);
    QCOMPARE(f.prompts.typed.size(), 1);
}

void TestConfigurationDialog::drawThresholdBars_data()
{
    QTest::addColumn<QList<int>>("values"); // fault, lower, upper
    QTest::addColumn<QRectF>("red");
    QTest::addColumn<QRectF>("green");
    QTest::newRow("typical") << QList<int> {100, 500, 2000} << QRectF(240, 360, 735, 115.8)
                             << QRectF(240, 579, 735, 1737);
    QTest::newRow("full scale") << QList<int> {2500, 2500, 2500} << QRectF(240, 360, 735, 2895)
                                << QRectF(240, 2895, 735, 0);
    QTest::newRow("negative fault")
        << QList<int> {-200, 500, 2000} << QRectF(240, 360, 735, 0) << QRectF(240, 579, 735, 1737);
    QTest::newRow("upper below lower") << QList<int> {100, 3000, 2000}
                                       << QRectF(240, 360, 735, 115.8) << QRectF(240, 3474, 735, 0);
    QTest::newRow("both empty") << QList<int> {-1, 10, -5} << QRectF(240, 360, 735, 0)
                                << QRectF(240, 11.58, 735, 0);
}

void TestConfigurationDialog::drawThresholdBars()
{
    QFETCH(QList<int>, values);
    QFETCH(QRectF, red);
    QFETCH(QRectF, green);

    for (int kind = 0; kind < 2; ++kind) {
        Fixture f;
        Settings &s = f.shared.settings;
        (kind == 0 ? s.GSMax : s.GMMax) = qint16(values[0]);
        (kind == 0 ? s.VaSMin : s.VaMMin) = qint16(values[1]);
        (kind == 0 ? s.VaSMax : s.VaMMax) = qint16(values[2]);
        // Drawn at opening ...
        ConfigurationDialog dialog(f.shared, f.prompts, f.path());
        QWidget *redBar = child(&dialog, u"Shape1_%1"_s.arg(kind));
        QWidget *greenBar = child(&dialog, u"Shape2_%1"_s.arg(kind));
        const int dpiX = redBar->logicalDpiX();
        const int dpiY = redBar->logicalDpiY();
        QVERIFY2(near(redBar->geometry(), red, dpiX, dpiY), QTest::toString(redBar->geometry()));
        QVERIFY2(near(greenBar->geometry(), green, dpiX, dpiY),
                 QTest::toString(greenBar->geometry()));
        QVERIFY(redBar->height() >= 0 && greenBar->height() >= 0);

        // ... and again on OK, from the thresholds it stored.
        (kind == 0 ? s.GSMax : s.GMMax) = 0;
        dialog.drawThresholdBars();
        QCOMPARE(redBar->height(), 0);
    }
}

QTEST_MAIN(TestConfigurationDialog)
#include "tst_configurationdialog.moc"
