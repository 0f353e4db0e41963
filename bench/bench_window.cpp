// What the main window costs: the 99 buttons brought up to date and painted (a change of loop or
// mode, a click), with and without a grab of the window; a scan with the traffic window open.
//   bench_window -platform offscreen
#include "bench/Figures.h"
#include "loopdata/LoopTables.h"
#include "loopdata/SharedState.h"
#include "scan/ScanCycle.h"
#include "sim/ResponderTransport.h"
#include "ui/DeviceGridWidget.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QEventLoop>
#include <QPixmap>
#include <QTemporaryDir>

using namespace testloop;
using namespace benchfigures;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    MainWindowOptions options;
    options.configurationPath = dir.filePath(ConfigurationFileName);
    if (SaveConfiguration({}, options.configurationPath))
        return 1;
    sim::Installation installation;
    for (int address = 1; address <= 99; ++address)
        installation.setSensor(1, address, sim::Sensor {});
    sim::ResponderTransport panel {installation};
    SharedState shared;
    options.timings.requestPause = std::chrono::milliseconds(0);
    options.preferencesPath = dir.filePath(QStringLiteral("preferenze.ini"));
    options.autosavePath = dir.filePath(QStringLiteral("sessione.tlsession"));
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

    // Exchanges per second of a scan with the pause at 0, the traffic window closed and open.
    const auto rate = [&] {
        constexpr int Count = 20000;
        int sent = 0;
        QEventLoop loop;
        QElapsedTimer clock;
        const auto counting = QObject::connect(
            &panel, &Transport::exchangeEvent, &loop, [&](const ExchangeEvent &event) {
                if (event.kind == ExchangeEvent::Kind::RequestOut && ++sent == Count)
                    loop.quit();
            });
        clock.start();
        window.cycle().start();
        loop.exec();
        window.cycle().halt();
        QObject::disconnect(counting);
        return Count / (double(clock.nsecsElapsed()) / 1e9);
    };
    const double closed = rate();
    window.openTraffic();
    QApplication::processEvents();
    const double open = rate();
    print("Scan with the traffic window closed", closed, "exchanges/s");
    print("Scan with the traffic window open, against closed", 100 * open / closed, "%", ">= 95 %",
          open >= 0.95 * closed);
    return 0;
}
