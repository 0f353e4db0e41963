// The configuration dialog: controls, opening, settings changed at once, OK, passwords and bars.
// The threshold checks themselves, their order and rounding are in tst_thresholdchecks.
#include "config/ConfigurationFile.h"
#include "config/ThresholdBars.h"
#include "loopdata/SharedState.h"
#include "tests/support/FakePrompts.h"
#include "ui/ConfigurationDialog.h"
#include "ui/GridGeometry.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTransform>

#include <cmath>

using namespace testloop;
using namespace Qt::StringLiterals;

namespace {

// The shared state, the prompts and a configuration path in a fresh folder for one test.
struct Fixture
{
    // Port 2, code "jbc", 4 requests; sensor thresholds 100/500/2000, module 150/600/2500.
    Fixture() { shared.settings = {2, u"jbc"_s, 4, 100, 500, 2000, 150, 600, 2500}; }

    QString path() const { return folder.filePath(u"TestLoop.ini"_s); }

    // A fresh dialog, shown as the main window shows it and unlocked with the password.
    QPointer<ConfigurationDialog> open(const QString &file = {})
    {
        auto *dialog = new ConfigurationDialog(shared, prompts, file.isEmpty() ? path() : file);
        dialog->show();
        prompts.typed.append(u"brasovika"_s);
        dialog->advancedOptions();
        return dialog;
    }

    SharedState shared;
    FakePrompts prompts;
    QTemporaryDir folder;
};

QLineEdit *box(ConfigurationDialog *dialog, ThresholdBox which)
{
    return dialog->controls().box(which);
}

// The six boxes in check order: sensor fault, lower, upper, module fault, lower, upper.
QStringList boxTexts(ConfigurationDialog *dialog)
{
    QStringList texts;
    for (int i = 0; i < ThresholdBoxCount; ++i)
        texts.append(box(dialog, ThresholdBox(i))->text());
    return texts;
}

// A bar's place in pixels lies within a pixel of its place in twips.
bool near(const QWidget *bar, const QRectF &twips)
{
    const QRectF px = QTransform::fromScale(bar->logicalDpiX() / double(TwipsPerInch),
                                            bar->logicalDpiY() / double(TwipsPerInch))
                          .mapRect(twips);
    const QRect r = bar->geometry();
    return std::abs(r.x() - px.x()) <= 1 && std::abs(r.y() - px.y()) <= 1
        && std::abs(r.width() - px.width()) <= 1 && std::abs(r.height() - px.height()) <= 1;
}

} // namespace

class TestConfigurationDialog : public QObject
{
    Q_OBJECT
private slots:
    void controls_data();
    void controls();
    void window();
    void opening_data();
    void opening();
    void actAtOnceUntilClosed();
    void typedCode();
    void requestCount_data();
    void requestCount();
    void failedCheck();
    void thresholdBeyond16Bits();
    void okSavesAndCloses();
    void failedSaveKeepsDialogOpen();
    void passwords_data();
    void passwords();
    void drawThresholdBars();
};

// A few representative controls, by name: parent, title or text, tool tip, place in twips.
void TestConfigurationDialog::controls_data()
{
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("Frame4") << u"Form2"_s << u"COM"_s << u"Porta seriale PC"_s
                            << QRect(120, 120, 975, 1095);
    QTest::newRow("Option1_0") << u"Frame1"_s << u"VRN140/142/190 "_s << QString()
                               << QRect(240, 360, 2055, 195);
    QTest::newRow("Text1_0") << u"Frame3"_s << u"500"_s << u"Soglia inferiore "_s
                             << QRect(1080, 1560, 735, 285);
    QTest::newRow("Command1") << u"Form2"_s << u"OK"_s << u"Salva e chiudi configurazione"_s
                              << QRect(120, 5160, 735, 615);
}

void TestConfigurationDialog::controls()
{
    QFETCH(QString, parent);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    QFETCH(QRect, twips);

    Fixture f;
    ConfigurationDialog dialog(f.shared, f.prompts, f.path());
    const QList<QWidget *> found
        = dialog.findChildren<QWidget *>(QString::fromLatin1(QTest::currentDataTag()));
    QCOMPARE(found.size(), 1);
    QWidget *control = found.first();
    const QVariant title = control->property("title");
    QCOMPARE((title.isValid() ? title : control->property("text")).toString(), text);
    QCOMPARE(control->parentWidget()->objectName(), parent);
    QCOMPARE(control->toolTip(), toolTip);
    QCOMPARE(control->geometry(),
             twipsToPixels(twips, control->logicalDpiX(), control->logicalDpiY()));
}

void TestConfigurationDialog::window()
{
    Fixture f;
    ConfigurationDialog dialog(f.shared, f.prompts, f.path());
    const ConfigurationDialogControls &c = dialog.controls();
    QCOMPARE(dialog.windowTitle(), u"Configurazione"_s);
    QVERIFY(!dialog.isModal() && dialog.testAttribute(Qt::WA_DeleteOnClose)
            && dialog.minimumSize() == dialog.maximumSize());
    QCOMPARE(dialog.minimumSize(),
             QSize(twipsToPixels(5610, dialog.logicalDpiX()),
                   twipsToPixels(5820, dialog.logicalDpiY())));
    // Enter in a box must not press a button.
    QVERIFY(!c.okButton->autoDefault() && !c.advancedButton->autoDefault());
    QStringList codes;
    for (int i = 0; i < c.codeList->count(); ++i)
        codes.append(c.codeList->itemText(i));
    QCOMPARE(codes.join(u' '), u"jba jbb jbc jbd jbe jbf jbg"_s);
    QVERIFY(c.codeList->isEditable() && c.retriesList->isEditable());
    // The red and green bars are drawn in front of the yellow full-scale bar.
    for (int kind = 0; kind < 2; ++kind) {
        QWidget *frame = c.fullScaleBars[kind]->parentWidget();
        QCOMPARE(c.faultBars[kind]->palette().color(QPalette::Window), QColor(255, 0, 0));
        QCOMPARE(frame->childAt(c.faultBars[kind]->geometry().center()), c.faultBars[kind]);
        QCOMPARE(frame->childAt(c.normalBars[kind]->geometry().center()), c.normalBars[kind]);
    }
}

void TestConfigurationDialog::opening_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("model"); // the option checked, -1: none
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("portOption"); // -1: none
    QTest::newRow("j00, port 1") << u"j00"_s << 0 << 1 << 0;
    QTest::newRow("listed code, port 3") << u"jbg"_s << 1 << 3 << 2;
    // A port with no option button selects none and stays as it was; so does an unknown code.
    QTest::newRow("other code, port 0") << u"xyz"_s << -1 << 0 << -1;
    QTest::newRow("upper case, port 4") << u"JBA"_s << -1 << 4 << -1;
    QTest::newRow("empty code, negative port") << QString() << -1 << -1 << -1;
}

void TestConfigurationDialog::opening()
{
    QFETCH(QString, code);
    QFETCH(int, model);
    QFETCH(int, port);
    QFETCH(int, portOption);

    Fixture f;
    f.shared.settings.BoardCode = code;
    f.shared.settings.ComPort = qint16(port);
    const Settings before = f.shared.settings;
    ConfigurationDialog dialog(f.shared, f.prompts, f.path());
    const ConfigurationDialogControls &c = dialog.controls();
    QCOMPARE(c.singleCodeOption->isChecked(), model == 0);
    QCOMPARE(c.codeListOption->isChecked(), model == 1);
    QCOMPARE(!c.codeList->isHidden(), model == 1);
    QCOMPARE(c.codeList->currentText(), code);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(c.portOptions[i]->isChecked(), i == portOption);
    // Opening copies every control back into its setting and so changes none.
    QVERIFY(f.shared.settings == before);
    QCOMPARE(boxTexts(&dialog).join(u' '), u"100 500 2000 150 600 2500"_s);
    QCOMPARE(c.retriesList->currentText(), u"4"_s);
    QVERIFY(f.prompts.messages.isEmpty());
    QVERIFY(!QFile::exists(f.path()));
}

void TestConfigurationDialog::typedCode()
{
    Fixture f;
    QPointer<ConfigurationDialog> dialog = f.open();
    QComboBox *codes = dialog->controls().codeList;
    codes->lineEdit()->selectAll();
    QTest::keyClicks(codes->lineEdit(), u"k7,"_s);
    // The refused comma is undone; what was typed before it stays and is the code.
    QCOMPARE(codes->currentText(), u"k7"_s);
    QCOMPARE(f.shared.settings.BoardCode, u"k7"_s);
    QCOMPARE(f.prompts.messages.size(), 1);
    QVERIFY(f.prompts.messages[0].text.contains(u"virgole"_s));
    QCOMPARE(f.prompts.messages[0].icon, Prompts::Icon::Warning);
    // A pasted line break is refused in the same way.
    codes->setEditText(u"jb\r\njc"_s);
    QCOMPARE(f.shared.settings.BoardCode, u"k7"_s);
    QCOMPARE(f.prompts.messages.size(), 2);
    QVERIFY(f.prompts.messages[1].text.contains(u"una sola riga"_s));
    // Nothing is completed or added to the list, and Enter does not close the dialog.
    QTest::keyClick(codes->lineEdit(), Qt::Key_Return);
    QCOMPARE(codes->count(), 7);
    QVERIFY(dialog->isVisible());
    delete dialog;
}

void TestConfigurationDialog::requestCount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::newRow("above the list") << u"12"_s << 12;
    QTest::newRow("highest") << u"32767"_s << 32767;
    // Not a whole number fitting in 16 signed bits: the count in force stays.
    QTest::newRow("empty") << QString() << 4;
    QTest::newRow("fraction") << u"1.5"_s << 4;
    QTest::newRow("too large") << u"32768"_s << 4;
}

void TestConfigurationDialog::requestCount()
{
    QFETCH(QString, text);
    QFETCH(int, count);

    Fixture f;
    QPointer<ConfigurationDialog> dialog = f.open();
    QComboBox *counts = dialog->controls().retriesList;
    counts->setEditText(text);
    QCOMPARE(int(f.shared.settings.FaultRetries), count);
    QCOMPARE(counts->currentText(), text);
    // Picking an item takes it too.
    counts->setCurrentIndex(9);
    QCOMPARE(f.shared.settings.FaultRetries, qint16(9));
    delete dialog;
}

void TestConfigurationDialog::actAtOnceUntilClosed()
{
    Fixture f;
    f.shared.settings.BoardCode = u"j00"_s;
    QPointer<ConfigurationDialog> dialog = f.open();
    const ConfigurationDialogControls &c = dialog->controls();
    c.portOptions[2]->click();
    QCOMPARE(f.shared.settings.ComPort, qint16(3));
    // The list received "j00" at opening: the second group keeps it until a code is picked.
    c.codeListOption->click();
    QVERIFY(!c.codeList->isHidden());
    QCOMPARE(f.shared.settings.BoardCode, u"j00"_s);
    c.codeList->setCurrentIndex(3);
    QCOMPARE(f.shared.settings.BoardCode, u"jbd"_s);
    c.singleCodeOption->click();
    QVERIFY(c.codeList->isHidden());
    QCOMPARE(f.shared.settings.BoardCode, u"j00"_s);
    c.codeListOption->click();
    QCOMPARE(f.shared.settings.BoardCode, u"jbd"_s);
    // Closed without OK: a threshold box is dropped and nothing is written.
    box(dialog, ThresholdBox::SensorUpper)->setText(u"3000"_s);
    dialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(dialog.isNull());
    QCOMPARE(f.shared.settings.VaSMax, qint16(2000));
    QVERIFY(!QFile::exists(f.path()));
}

void TestConfigurationDialog::failedCheck()
{
    Fixture f;
    QPointer<ConfigurationDialog> dialog = f.open();
    // Fault 600 above lower 550 fails and is restored to 100; lower 550 above upper 500
    // then fails too.
    box(dialog, ThresholdBox::SensorFault)->setText(u"600"_s);
    box(dialog, ThresholdBox::SensorLower)->setText(u"550"_s);
    box(dialog, ThresholdBox::SensorUpper)->setText(u"500"_s);
    QList<int> beepsAtMessage;
    f.prompts.whileMessageOpen = [&] { beepsAtMessage.append(f.prompts.beeps); };
    dialog->controls().okButton->click();

    QCOMPARE(f.prompts.messages.size(), 2);
    QCOMPARE(f.prompts.messages[0].text, u"Bad Range GSMAX"_s);
    QCOMPARE(f.prompts.messages[1].text, u"Bad Range VaSmin"_s);
    QCOMPARE(f.prompts.messages[0].title, QString()); // the application's title
    QCOMPARE(f.prompts.messages[0].icon, Prompts::Icon::None);
    // Each message follows its beep.
    QCOMPARE(beepsAtMessage, (QList<int> {1, 2}));
    QCOMPARE(boxTexts(dialog),
             (QStringList {u"100"_s, u"500"_s, u"500"_s, u"150"_s, u"600"_s, u"2500"_s}));
    // A failed check does not keep the dialog open: the rest is stored, written and closed.
    const Settings stored {2, u"jbc"_s, 4, 100, 500, 500, 150, 600, 2500};
    QVERIFY(f.shared.settings == stored && LoadConfiguration(f.path()).settings == stored);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(dialog.isNull());
}

void TestConfigurationDialog::thresholdBeyond16Bits()
{
    Fixture f;
    // From a hand-edited file: shown whole, since cut to four characters it would be saved so.
    f.shared.settings.GSMax = -10000;
    QPointer<ConfigurationDialog> dialog = f.open();
    QLineEdit *fault = box(dialog, ThresholdBox::SensorFault);
    QCOMPARE(fault->text(), u"-10000"_s);
    // Typing is held to four characters in a box of ordinary width ...
    QLineEdit *upper = box(dialog, ThresholdBox::SensorUpper);
    upper->selectAll();
    QTest::keyClicks(upper, u"12345"_s);
    QCOMPARE(upper->text(), u"1234"_s);
    // ... and to the width of the value shown in a wide one.
    fault->selectAll();
    QTest::keyClicks(fault, u"-40000"_s);
    QCOMPARE(fault->text(), u"-40000"_s);
    dialog->confirm();
    // Below every other box, so only its 16-bit range fails it; it is not stored wrapped.
    QCOMPARE(f.prompts.messages.size(), 1);
    QCOMPARE(f.prompts.messages[0].text, u"Bad Range GSMAX"_s);
    QCOMPARE(f.prompts.beeps, 1);
    QCOMPARE(fault->text(), u"-10000"_s);
    const Settings saved = LoadConfiguration(f.path()).settings;
    QCOMPARE(saved.GSMax, qint16(-10000));
    QCOMPARE(saved.VaSMax, qint16(1234));
}

void TestConfigurationDialog::okSavesAndCloses()
{
    Fixture f;
    QPointer<ConfigurationDialog> dialog = f.open();
    QSignalSpy codes(dialog.data(), &ConfigurationDialog::boardCodeChanged);
    const ConfigurationDialogControls &c = dialog->controls();
    c.portOptions[2]->click();
    c.codeList->setCurrentIndex(4);
    c.retriesList->setEditText(u"12"_s);
    box(dialog, ThresholdBox::ModuleUpper)->setText(u"3100"_s);
    c.okButton->click();

    QCOMPARE(codes.size(), 1);
    QCOMPARE(codes[0][0].toString(), u"jbe"_s);
    const ConfigurationRead read = LoadConfiguration(f.path());
    QVERIFY(read.problems.isEmpty());
    const Settings expected {3, u"jbe"_s, 12, 100, 500, 2000, 150, 600, 3100};
    QVERIFY(read.settings == expected && f.shared.settings == expected);
    QVERIFY(f.prompts.messages.isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(dialog.isNull());
}

void TestConfigurationDialog::failedSaveKeepsDialogOpen()
{
    Fixture f;
    const QString missingFolder = f.folder.filePath(u"missing/TestLoop.ini"_s);
    QPointer<ConfigurationDialog> dialog = f.open(missingFolder);
    QSignalSpy codes(dialog.data(), &ConfigurationDialog::boardCodeChanged);
    box(dialog, ThresholdBox::SensorUpper)->setText(u"2100"_s);
    dialog->confirm();

    // The user is told why; the dialog stays open so that OK can be tried again.
    QCOMPARE(f.prompts.messages.size(), 1);
    QCOMPARE(f.prompts.messages[0].icon, Prompts::Icon::Critical);
    QVERIFY(f.prompts.messages[0].text.contains(u"non è stata salvata"_s));
    QVERIFY(dialog->isVisible());
    // The settings in memory are in force all the same, and the label shows their code.
    QCOMPARE(f.shared.settings.VaSMax, qint16(2100));
    QCOMPARE(codes.size(), 1);
    QVERIFY(!QFile::exists(missingFolder));
    delete dialog;
}

void TestConfigurationDialog::passwords_data()
{
    QTest::addColumn<QStringList>("typed"); // one per question; run out: the box is cancelled
    QTest::addColumn<int>("questions");
    QTest::addColumn<int>("replyBox");
    QTest::addColumn<bool>("unlocked");
    QTest::newRow("unlock, then nothing asked") << QStringList {u"brasovika"_s} << 1 << 0 << true;
    QTest::newRow("reply box, unlock, nothing asked")
        << QStringList {u"tulmeno"_s, u"brasovika"_s, u"tulmeno"_s} << 2 << 1 << true;
    QTest::newRow("case differs") << QStringList {u"Brasovika"_s} << 3 << 0 << false;
    QTest::newRow("blank around") << QStringList {u"tulmeno "_s} << 3 << 0 << false;
    QTest::newRow("cancelled") << QStringList() << 3 << 0 << false;
}

void TestConfigurationDialog::passwords()
{
    QFETCH(QStringList, typed);
    QFETCH(int, questions);
    QFETCH(int, replyBox);
    QFETCH(bool, unlocked);

    Fixture f;
    ConfigurationDialog dialog(f.shared, f.prompts, f.path());
    QSignalSpy replies(&dialog, &ConfigurationDialog::replyBoxRequested);
    f.prompts.typed = typed;
    for (int i = 0; i < 3; ++i)
        dialog.controls().advancedButton->click();

    QCOMPARE(f.prompts.questions, QStringList(questions, u"Password"_s));
    QCOMPARE(replies.size(), replyBox);
    for (int i = 0; i < ThresholdBoxCount; ++i)
        QCOMPARE(box(&dialog, ThresholdBox(i))->isEnabled(), unlocked);
    QCOMPARE(dialog.controls().retriesList->isEnabled(), unlocked);
    // A wrong password is not reported.
    QVERIFY(f.prompts.messages.isEmpty());
    QCOMPARE(f.prompts.beeps, 0);
}

void TestConfigurationDialog::drawThresholdBars()
{
    // Sizes and clamping are covered by the pure ThresholdBars table; here the dialog places
    // the bars of each kind from its own thresholds, at opening and again on request.
    Fixture f;
    Settings &s = f.shared.settings;
    s.GMMax = -200;
    s.VaMMin = 3000;
    ConfigurationDialog dialog(f.shared, f.prompts, f.path());
    const ConfigurationDialogControls &c = dialog.controls();
    const ThresholdBars sensor = ThresholdBars::forThresholds(100, 500, 2000);
    const ThresholdBars module = ThresholdBars::forThresholds(-200, 3000, 2500);
    QVERIFY(near(c.faultBars[0], sensor.fault) && near(c.normalBars[0], sensor.normal));
    QVERIFY(near(c.faultBars[1], module.fault) && near(c.normalBars[1], module.normal));
    QCOMPARE(c.normalBars[1]->height(), 0);

    s.GSMax = 0;
    dialog.drawThresholdBars();
    QCOMPARE(c.faultBars[0]->height(), 0);
}

QTEST_MAIN(TestConfigurationDialog)
#include "tst_configurationdialog.moc"
