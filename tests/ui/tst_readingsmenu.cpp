// The "Letture" menu on the real window: detail, comparison, findings, skipping unused addresses.
#include "storage/ReadingsFile.h"
#include "tests/ui/MainWindowBench.h"
#include "ui/AddressListWindow.h"
#include "ui/DeviceDetailWindow.h"
#include "ui/DeviceGridWidget.h"
#include "ui/ReadingViews.h"

#include <QTableWidget>

using namespace testloop;
using namespace testloop::bench;
using namespace Qt::StringLiterals;

class TestReadingsMenu : public MainWindowTest
{
    Q_OBJECT
private slots:
    void detailFromARightClick();
    void comparisonWithAnEarlierVisit();
    void expectedAgainstFound();
    void skipUnusedIsRemembered();
};

void TestReadingsMenu::detailFromARightClick()
{
    QVERIFY(scanOnePass());
    // Through the window system, as a mouse does it; the scan does not start there.
    const qsizetype asked = m_panel->requests().size();
    const QWidget *button = deviceButton(7);
    QTest::mouseClick(m_window->windowHandle(), Qt::RightButton, {},
                      button->mapTo(m_window.get(), button->rect().center()));
    DeviceDetailWindow *detail = m_window->readingViews().detailWindow();
    QVERIFY(detail && detail->isVisible());
    QCOMPARE(detail->address(), 7);
    QCOMPARE(m_window->grid().selected(), 7);
    QCOMPARE(m_panel->requests().size(), asked);
    QCOMPARE(detail->findChild<QLabel *>(u"DetailVerdict"_s)->text(), u"CONFLITTO INDIRIZZI"_s);

    // The menu entry opens the chosen button's detail too; the window follows the scan.
    m_window->grid().select(8);
    action(u"actionDetail"_s)->trigger();
    QCOMPARE(detail->address(), 8);
    QVERIFY(scanOnePass());
    QCOMPARE(detail->findChild<QLabel *>(u"DetailCounted"_s)->text().section(u' ', 0, 0), u"2"_s);
}

void TestReadingsMenu::comparisonWithAnEarlierVisit()
{
    QVERIFY(scanOnePass());
    // The earlier visit: address 8 read 1000 less, 3 as now. The marks' rules are the engine's.
    LoopData earlier = m_window->loopData();
    earlier.SensorAnalogue.set(8, 1, qint16(earlier.SensorAnalogue.at(8, 1) - 1000));
    const QString path = m_dir->filePath(u"visita.log"_s);
    QVERIFY(!saveReadingsFile(path, earlier, QDateTime::currentDateTime()));
    m_window->readingViews().setReferenceChooser([&](QWidget *) { return path; });
    action(u"actionReference"_s)->trigger();
    QVERIFY(deviceButton(8)->text().endsWith(u"\n\u0394+1000"_s) && deviceButton(8)->isMarked());
    QVERIFY(deviceButton(3)->text().endsWith(u"\n\u03940"_s) && !deviceButton(3)->isMarked());
    AddressListWindow *list = m_window->readingViews().comparisonWindow();
    QVERIFY(list && list->isVisible());
    QCOMPARE(list->table()->item(0, 0)->text(), u"8"_s); // the largest drift first
    QCOMPARE(list->table()->item(0, 3)->text(), u"\u0394+1000"_s);
    QVERIFY(list->table()->item(0, 0)->font().bold());
    QTest::mouseClick(list->table()->viewport(), Qt::LeftButton, {},
                      list->table()->visualItemRect(list->table()->item(1, 0)).center());
    QCOMPARE(m_window->grid().selected(), list->table()->item(1, 0)->text().toInt());

    // A higher limit unmarks it; closing the comparison returns to the usual view.
    m_prompts->typed = {u"1500"_s};
    action(u"actionDriftLimit"_s)->trigger();
    QVERIFY(!deviceButton(8)->isMarked());
    action(u"actionCloseReference"_s)->trigger();
    QCOMPARE(deviceButton(8)->text(), u"N 8\nVA2000\n[15] "_s);
    QVERIFY(!m_window->readingViews().reference());
    QVERIFY(!action(u"actionCloseReference"_s)->isEnabled());
}

void TestReadingsMenu::expectedAgainstFound()
{
    action(u"actionFindings"_s)->trigger();
    AddressListWindow *list = m_window->readingViews().findingsWindow();
    QVERIFY(list && list->note().startsWith(u"L'elenco è completo dopo un download"_s));
    QVERIFY(download());
    m_window->loopData().DeviceType.set(40, 1, u"AUTOMATICO"_s);
    QVERIFY(scanOnePass());
    m_window->loopData().SensorAnalogue.set(40, 1, 0); // it stopped answering
    m_window->loopData().SensorCurrent.set(40, 1, 0);
    list->refresh();
    QVERIFY(list->note().isEmpty());
    QCOMPARE(list->table()->rowCount(), 2);
    QCOMPARE(list->table()->item(0, 0)->text(), u"7"_s); // the conflict
    QCOMPARE(list->table()->item(1, 1)->text(), u"Indirizzo 40 (AUTOMATICO): atteso, mai letto"_s);
    QTest::mouseClick(list->table()->viewport(), Qt::LeftButton, {},
                      list->table()->visualItemRect(list->table()->item(1, 0)).center());
    QCOMPARE(m_window->grid().selected(), 40);
}

void TestReadingsMenu::skipUnusedIsRemembered()
{
    QVERIFY(download());
    click(u"Option1_2"_s); // loop 2: sensors at 1..50 only
    QAction *skip = action(u"actionSkipUnused"_s);
    QVERIFY(!skip->isChecked()); // off until chosen
    QCOMPARE(deviceButton(60)->text(), unscanned(60));
    skip->trigger();
    QCOMPARE(deviceButton(60)->text(), u"assente"_s);
    QCOMPARE(deviceButton(60)->colour(), ButtonColour::ButtonFace);

    reopen();
    QVERIFY(action(u"actionSkipUnused"_s)->isChecked());
    QVERIFY(m_window->cycle().skipsUnused());
}

QTEST_MAIN(TestReadingsMenu)
#include "tst_readingsmenu.moc"
