#include "loopdata/SharedState.h"
#include "system/SignalQuitter.h"
#include "ui/ItalianTranslations.h"
#include "ui/MainWindow.h"
#include "ui/SplashWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <memory>

#include <sys/resource.h>

using namespace testloop;

namespace {

const QCommandLineOption PortOption(
    QStringList {QStringLiteral("port")},
    QStringLiteral("Dispositivo seriale della centrale, per qualunque porta configurata."),
    QStringLiteral("DEVICE"));

// Presses INIZIO TEST once the window is up: for demonstrations and the end-to-end test.
QCommandLineOption autostartOption()
{
    QCommandLineOption option(QStringList {QStringLiteral("autostart")},
                              QStringLiteral("Avvia la scansione all'apertura."));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}

// Ends the program as soon as the main window has painted itself, after printing the peak
// memory taken so far: how the start-up benchmark times and weighs a start.
QCommandLineOption quitWhenShownOption()
{
    QCommandLineOption option(QStringList {QStringLiteral("quit-when-shown")},
                              QStringLiteral("Esce appena la finestra principale è disegnata."));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}

// Watches for the first paint of a window, then reports and quits.
class FirstPaint : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            rusage usage {};
            getrusage(RUSAGE_SELF, &usage);
            std::printf("shown, peak memory %ld kB\n", usage.ru_maxrss);
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

// Saves the session against a crash this often instead of once a minute: for the end-to-end
// test of a program killed in the middle of a scan.
QCommandLineOption autosaveOption()
{
    QCommandLineOption option(QStringList {QStringLiteral("autosave-ms")},
                              QStringLiteral("Intervallo del salvataggio automatico."),
                              QStringLiteral("MS"));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}

const QCommandLineOption NoSplashOption(
    QStringList {QStringLiteral("no-splash")},
    QStringLiteral("Apre subito la finestra principale, senza la finestra iniziale."));

void setUpParser(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral("Verifica dei loop di rivelazione incendio"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(PortOption);
    parser.addOption(NoSplashOption);
    parser.addOption(autostartOption());
    parser.addOption(quitWhenShownOption());
    parser.addOption(autosaveOption());
}

void nameApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("TestLoop"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TESTLOOP_VERSION));
}

// Help, version and mistakes on the command line are answered on the terminal, without a
// display; the function does not return when it answered.
void answerOnTheTerminal(int argc, char *argv[])
{
    QStringList arguments;
    for (int index = 0; index < argc; ++index)
        arguments.append(QString::fromLocal8Bit(argv[index]));
    QCommandLineParser parser;
    setUpParser(parser);
    if (parser.parse(arguments) && !parser.isSet(QStringLiteral("help"))
        && !parser.isSet(QStringLiteral("help-all")) && !parser.isSet(QStringLiteral("version")))
        return;
    QCoreApplication terminal(argc, argv);
    nameApplication();
    parser.process(terminal); // prints and exits
}

} // namespace

int main(int argc, char *argv[])
{
    // Before anything else, so that SIGTERM at any moment ends the program cleanly.
    SignalQuitter quitter;
    const bool signalsCaught = quitter.install({SIGINT, SIGTERM});
    answerOnTheTerminal(argc, argv);

    QApplication app(argc, argv);
    nameApplication();
    installItalianTranslations(app);
    if (!signalsCaught)
        std::fputs("testloop: SIGINT e SIGTERM non intercettati\n", stderr);
    quitter.listen();

    QCommandLineParser parser;
    setUpParser(parser);
    parser.process(app);

    SharedState shared;
    MainWindowOptions options;
    options.portOverride = parser.value(PortOption);
    if (const int interval = parser.value(autosaveOption()).toInt(); interval > 0)
        options.timings.autosave = std::chrono::milliseconds(interval);
    const bool autostart = parser.isSet(autostartOption());
    const bool quitWhenShown = parser.isSet(quitWhenShownOption());
    FirstPaint firstPaint;
    std::unique_ptr<MainWindow> window;
    // The main window, and with it the reading of TestLoop.ini, comes only after the splash.
    auto openMainWindow = [&] {
        window = std::make_unique<MainWindow>(shared, options);
        // A signal that came while a start-up message was open has already ended the loop.
        if (quitter.received())
            return;
        // Sized to the screen first: without a window manager a maximize request is not
        // honoured, and the window would open at its minimal size.
        if (const QScreen *screen = window->screen())
            window->setGeometry(screen->availableGeometry());
        if (quitWhenShown)
            window->installEventFilter(&firstPaint);
        window->showMaximized();
        if (autostart)
            QTimer::singleShot(0, window.get(), &MainWindow::startScan);
    };
    if (parser.isSet(NoSplashOption)) {
        openMainWindow();
        if (quitter.received())
            return 0;
    } else {
        auto *splash = new SplashWindow(); // deletes itself when it closes
        QObject::connect(splash, &SplashWindow::finished, splash, openMainWindow);
        splash->show();
    }
    return app.exec();
}
