// What the grid costs: the 99 device buttons brought up to date from the tables and painted,
// as after a change of loop or mode or a click on a device button, apart from a grab of the
// whole window.
//   bench_grid -platform offscreen
#include "bench/Figures.h"
#include "loopdata/LoopTables.h"
#include "loopdata/SharedState.h"
#include "scan/ScanCycle.h"
#include "sim/ResponderTransport.h"
#include "ui/DeviceGridWidget.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QPixmap>
#include <QTemporaryDir>

using namespace testloop;
using benchfigures::medianMs;
using benchfigures::print;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QFile ini(dir.filePath(QStringLiteral("TestLoop.ini")));
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write(" 1 \r\nj00\r\n 3 \r\n 200 \r\n 1500 \r\n 400 \r\n 200 \r\n 2500 \r\n 400 \r\n");
    ini.close();
    sim::ResponderTransport panel {sim::Installation {}};
    SharedState shared;
    MainWindowOptions options;
    options.configurationPath = ini.fileName();
    options.screenSize = QSize(1280, 1024);
    options.transport = &panel;
    MainWindow window(shared, options);
    window.resize(1280, 1024);
    window.show();
    QApplication::processEvents();

    // Loop 2 holds readings in every state, loop 1 none: each switch changes every button.
    LoopData &data = window.loopData();
    for (int address = 1; address <= 99; ++address) {
        data.SensorAnalogue.set(address, 2, qint16(address * 40));
        data.SensorCurrent.set(address, 2, qint16(address % 5 == 0 ? 30 : 15));
    }
    DeviceGridWidget &grid = window.grid();
    QPixmap canvas(grid.size());
    int loop = 1;
    const double update = medianMs(200, [&] {
        loop = 3 - loop;
        window.cycle().RefreshGrid(loop);
        grid.render(&canvas);
    });
    print("Grid: 99 buttons brought up to date and painted", update, "ms", "<= 1 ms", update <= 1);
    const double grab = medianMs(50, [&] {
        loop = 3 - loop;
        window.cycle().RefreshGrid(loop);
        window.grab();
    });
    print("Grid: the same with a grab of the whole window", grab, "ms");
    return 0;
}
