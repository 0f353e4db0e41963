// Speed of a grid redraw: the 99 device buttons re-evaluated and painted, as after a change of
// loop or mode or a click on a device button.
#include "link/SerialLink.h"
#include "loopdata/SharedState.h"
#include "scan/ScanCycle.h"
#include "ui/MainWindow.h"

#include <QTemporaryDir>
#include <QTest>

using namespace testloop;

class BenchGrid : public QObject
{
    Q_OBJECT
private slots:
    void redrawAndPaint();
};

void BenchGrid::redrawAndPaint()
{
    QTemporaryDir dir;
    QFile ini(dir.filePath(QStringLiteral("TestLoop.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(" 1 \r\nj00\r\n 3 \r\n 200 \r\n 1500 \r\n 400 \r\n 200 \r\n 2500 \r\n 400 \r\n");
    ini.close();
    SharedState shared;
    MainWindowOptions options;
    options.configurationPath = ini.fileName();
    options.screenSize = QSize(1280, 1024);
    MainWindow window(shared, options);
    window.resize(1280, 1024);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    int loop = 1;
    QBENCHMARK {
        loop = 3 - loop;
        window.cycle().RefreshGrid(loop);
        window.grab(); // paints every visible button
    }
}

QTEST_MAIN(BenchGrid)
#include "bench_grid.moc"
