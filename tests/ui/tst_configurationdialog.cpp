// The configuration dialog; the rules of its checks, codes and bars are tst_configfile's.
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

struct Fixture
{
    Fixture() { shared.settings = {2, u"jbc"_s, 4, 100, 500, 2000, 150, 600, 2500}; }

    QString path() const { return folder.filePath(u"TestLoop.ini"_s); }

    // Shown as the main window shows it, and unlocked with the password.
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

// The six boxes in check order.
QString boxTexts(const ConfigurationDialogControls &c)
{
    QStringList texts;
    for (int i = 0; i < ThresholdBoxCount; ++i)
        texts.append(c.box(ThresholdBox(i))->text());
    return texts.join(u' ');
}

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
    void opening_data();
    void opening();
    void actAtOnceUntilClosed();
    void failedChecks();
    void okSavesAndCloses_data();
    void okSavesAndCloses();
    void passwords_data();
    void passwords();
    void drawThresholdBars();
};

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
    QCOMPARE(dialog.windowTitle(), u"Configurazione"_s);
    QVERIFY(!dialog.isModal() && dialog.testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    // The designed client area and the device frame beside it.
    QCOMPARE(dialog.size(), twipsToPixels(QRect(0, 0, 5640 + 4260 + 120, 5820), 96, 96).size());
    const QList<QWidget *> found
        = dialog.findChildren<QWidget *>(QString::fromLatin1(QTest::currentDataTag()));
    QCOMPARE(found.size(), 1);
    QWidget *control = found.first();
    const QVariant title = control->property("title");
    QCOMPARE((title.isValid() ? title : control->property("text")).toString(), text);
    QCOMPARE(control->parentWidget()->objectName(), parent);
    QCOMPARE(control->toolTip(), toolTip);
    QCOMPARE(control->geometry(), twipsToPixels(twips, 96, 96));
    // The red and green bars are drawn in front of the yellow full-scale bar.
    const ConfigurationDialogControls &c = dialog.controls();
    for (QWidget *bar : {c.faultBars[0], c.normalBars[1]})
        QCOMPARE(bar->parentWidget()->childAt(bar->geometry().center()), bar);
    QCOMPARE(c.faultBars[1]->palette().color(QPalette::Window), QColor(255, 0, 0));
}

void TestConfigurationDialog::opening_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("model"); // the option checked, -1: none
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("portOption"); // -1: none
    QTest::newRow("j00, port 1") << u"j00"_s << 0 << 1 << 0;
    QTest::newRow("listed code, port 3") << u"jbg"_s << 1 << 3 << 2;
    // A port without an option button, and an unknown code (a listed one in upper case).
    QTest::newRow("upper case, port 4") << u"JBA"_s << -1 << 4 << -1;
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
    QVERIFY(f.shared.settings == before);
    QCOMPARE(boxTexts(c), u"100 500 2000 150 600 2500"_s);
    QCOMPARE(c.retriesList->currentText(), u"4"_s);
    QVERIFY(c.codeList->itemText(0) == u"jba"_s && c.codeList->itemText(6) == u"jbg"_s);
    QVERIFY(f.prompts.messages.isEmpty() && !QFile::exists(f.path()));
}

void TestConfigurationDialog::actAtOnceUntilClosed()
{
    Fixture f;
    f.shared.settings.BoardCode = u"j00"_s;
    QPointer<ConfigurationDialog> dialog = f.open();
    const ConfigurationDialogControls &c = dialog->controls();
    c.portOptions[2]->click();
    QCOMPARE(f.shared.settings.ComPort, qint16(3));
    // The list keeps the "j00" received at opening until a code is picked.
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
    // A request count typed or picked is taken when a whole number in 16 signed bits.
    QComboBox *counts = c.retriesList;
    for (const auto &[text, count] :
         {std::pair {u"32767"_s, 32767}, {u"32768"_s, 32767}, {u"12"_s, 12}, {u"1.5"_s, 12}}) {
        counts->setEditText(text);
        QCOMPARE(counts->currentText(), text);
        QCOMPARE(f.shared.settings.FaultRetries, qint16(count));
    }
    counts->setCurrentIndex(9);
    QCOMPARE(f.shared.settings.FaultRetries, qint16(9));
    // Closed without OK: a threshold box is dropped and nothing is written.
    c.box(ThresholdBox::SensorUpper)->setText(u"3000"_s);
    dialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(dialog.isNull());
    QCOMPARE(f.shared.settings.VaSMax, qint16(2000));
    QVERIFY(!QFile::exists(f.path()));
}

// At OK each failed check beeps, tells and restores its box; the rest is stored and written.
void TestConfigurationDialog::failedChecks()
{
    Fixture f;
    f.shared.settings.GSMax = -10000; // from a hand-edited file: shown whole
    QPointer<ConfigurationDialog> dialog = f.open();
    const ConfigurationDialogControls &c = dialog->controls();
    QLineEdit *fault = c.box(ThresholdBox::SensorFault);
    QCOMPARE(fault->text(), u"-10000"_s);
    // Typing is held to four characters, or to the width of a wider value shown.
    QLineEdit *upper = c.box(ThresholdBox::SensorUpper);
    upper->selectAll();
    QTest::keyClicks(upper, u"50000"_s);
    QCOMPARE(upper->text(), u"5000"_s);
    fault->selectAll();
    QTest::keyClicks(fault, u"-40000"_s);
    QCOMPARE(fault->text(), u"-40000"_s);
    // The fault threshold fails its 16-bit range, then the lower limit 550 above 500.
    c.box(ThresholdBox::SensorLower)->setText(u"550"_s);
    upper->setText(u"500"_s);
    QList<int> beepsAtMessage;
    f.prompts.whileMessageOpen = [&] { beepsAtMessage.append(f.prompts.beeps); };
    c.okButton->click();

    QCOMPARE(f.prompts.messages.size(), 2);
    QCOMPARE(f.prompts.messages[0].text, u"Bad Range GSMAX"_s);
    QCOMPARE(f.prompts.messages[1].text, u"Bad Range VaSmin"_s);
    QCOMPARE(f.prompts.messages[0].title, QString()); // the application's title
    QCOMPARE(beepsAtMessage, (QList<int> {1, 2}));
    QCOMPARE(boxTexts(c), u"-10000 500 500 150 600 2500"_s);
    const Settings stored {2, u"jbc"_s, 4, -10000, 500, 500, 150, 600, 2500};
    QVERIFY(f.shared.settings == stored && LoadConfiguration(f.path()).settings == stored);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(dialog.isNull());
}

// OK keeps the old code for one not of 3 characters, and stays open when it cannot write.
void TestConfigurationDialog::okSavesAndCloses_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("taken");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("message"); // in part; empty: none
    QTest::addColumn<QString>("folder"); // of TestLoop.ini
    const QString k7x = u"k7x"_s, none;
    QTest::newRow("three characters") << k7x << k7x << k7x << none << none;
    QTest::newRow("two characters")
        << u"k7"_s << u"k7"_s << u"jbc"_s
        << u"Codice scheda \"k7\" non valido: deve avere 3 caratteri. Resta il codice jbc."_s
        << none;
    QTest::newRow("comma") << u"k7x,"_s << k7x << k7x << u"virgole"_s << none;
    QTest::newRow("missing folder") << k7x << k7x << k7x << u"non è stata salvata"_s << u"manca/"_s;
}

void TestConfigurationDialog::okSavesAndCloses()
{
    QFETCH(QString, typed);
    QFETCH(QString, taken);
    QFETCH(QString, saved);
    QFETCH(QString, message);
    QFETCH(QString, folder);

    Fixture f;
    const QString path = f.folder.filePath(folder + u"TestLoop.ini"_s);
    QPointer<ConfigurationDialog> dialog = f.open(path);
    QSignalSpy codes(dialog.data(), &ConfigurationDialog::boardCodeChanged);
    const ConfigurationDialogControls &c = dialog->controls();
    c.codeList->lineEdit()->selectAll();
    QTest::keyClicks(c.codeList->lineEdit(), typed);
    QCOMPARE(c.codeList->currentText(), taken);
    QCOMPARE(f.shared.settings.BoardCode, taken);
    // Nothing is completed or added, and Enter does not close the dialog.
    QTest::keyClick(c.codeList->lineEdit(), Qt::Key_Return);
    QVERIFY(dialog->isVisible());
    QCOMPARE(c.codeList->count(), 7);
    c.okButton->click();

    QCOMPARE(f.prompts.messages.size(), message.isEmpty() ? 0 : 1);
    QVERIFY2(f.prompts.messages.value(0).text.contains(message), qPrintable(message));
    QCOMPARE(f.prompts.beeps, saved == taken ? 0 : 1);
    QCOMPARE(codes.size(), 1);
    QCOMPARE(codes[0][0].toString(), saved);
    const Settings expected {2, saved, 4, 100, 500, 2000, 150, 600, 2500};
    QVERIFY(f.shared.settings == expected);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (folder.isEmpty()) {
        const ConfigurationRead read = LoadConfiguration(path);
        QVERIFY(read.problems.isEmpty() && read.settings == expected);
        QVERIFY(dialog.isNull());
    } else {
        QCOMPARE(f.prompts.messages[0].icon, Prompts::Icon::Critical);
        QVERIFY(dialog->isVisible() && !QFile::exists(path));
        delete dialog;
    }
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
        QCOMPARE(dialog.controls().box(ThresholdBox(i))->isEnabled(), unlocked);
    QCOMPARE(dialog.controls().retriesList->isEnabled(), unlocked);
    QVERIFY(f.prompts.messages.isEmpty() && f.prompts.beeps == 0); // a wrong one is not told
}

// Each kind's bars placed from its own thresholds, at opening and again on request.
void TestConfigurationDialog::drawThresholdBars()
{
    Fixture f;
    f.shared.settings.VaMMin = 3000; // above the upper limit: an empty green bar
    ConfigurationDialog dialog(f.shared, f.prompts, f.path());
    const ConfigurationDialogControls &c = dialog.controls();
    const ThresholdBars sensor = ThresholdBars::forThresholds(100, 500, 2000);
    const ThresholdBars module = ThresholdBars::forThresholds(150, 3000, 2500);
    QVERIFY(near(c.faultBars[0], sensor.fault) && near(c.normalBars[0], sensor.normal));
    QVERIFY(near(c.faultBars[1], module.fault) && near(c.normalBars[1], module.normal));
    QCOMPARE(c.normalBars[1]->height(), 0);
    f.shared.settings.GSMax = 0;
    dialog.drawThresholdBars();
    QCOMPARE(c.faultBars[0]->height(), 0);
}

QTEST_MAIN(TestConfigurationDialog)
#include "tst_configurationdialog.moc"
