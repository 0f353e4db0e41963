// The wait for the main window and the memory taken to show it: the real program started ten
// times with --no-splash (after one to fill the caches), timed until it reports its first paint.
//   bench_startup [path of testloop]
#include "bench/Figures.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <vector>

using namespace benchfigures;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString program
        = app.arguments().size() > 1 ? app.arguments().at(1) : QStringLiteral(TESTLOOP_PATH);
    QTemporaryDir dir;
    QFile ini(dir.filePath(QStringLiteral("TestLoop.ini")));
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write(" 1 \r\nj00\r\n 3 \r\n 200 \r\n 1500 \r\n 400 \r\n 200 \r\n 2500 \r\n 400 \r\n");
    ini.close();

    std::vector<double> times;
    std::vector<double> memory;
    for (int run = 0; run < 11; ++run) {
        QProcess process;
        process.setWorkingDirectory(dir.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
        QElapsedTimer clock;
        clock.start();
        process.start(program,
                      {QStringLiteral("--no-splash"), QStringLiteral("--quit-when-shown"),
                       QStringLiteral("--port"), QStringLiteral("/dev/null")});
        QByteArray output;
        while (!output.contains('\n') && process.waitForReadyRead(10000))
            output += process.readAllStandardOutput();
        const double shown = double(clock.nsecsElapsed()) / 1e6;
        process.waitForFinished(10000);
        const QList<QByteArray> words = output.simplified().split(' ');
        if (words.size() < 5 || !output.startsWith("shown")) {
            std::fprintf(stderr, "bench_startup: unexpected output %s\n", output.constData());
            return 1;
        }
        if (run > 0) { // the first start fills the system's caches
            times.push_back(shown);
            memory.push_back(words[3].toDouble() / 1024);
        }
    }
    const double median = quantile(times, 0.5);
    const double peak = quantile(memory, 1);
    print("Start-up to the main window shown (median of 10)", median, "ms", "<= 50 ms",
          median <= 50);
    print("Peak memory at start-up", peak, "MB", "<= 40 MB", peak <= 40);
    return 0;
}
