// panelsim: a simulated fire-alarm panel on a pseudo-terminal, for running TestLoop without
// the hardware. See --help.

#include "sim/Installation.h"
#include "sim/PanelServer.h"
#include "system/SignalQuitter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <csignal>
#include <cstdio>
#include <cstdlib>

using namespace testloop::sim;

namespace {

constexpr int UsageExit = 2;
constexpr int StartExit = 1;

[[noreturn]] void fail(int exitCode, const QString &message)
{
    std::fprintf(stderr, "panelsim: %s\n", qUtf8Printable(message));
    std::exit(exitCode);
}

QCommandLineOption valueOption(const char *name, const char *description, const char *valueName)
{
    return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(description),
                              QString::fromLatin1(valueName));
}

std::chrono::milliseconds millisecondsValue(const QCommandLineParser &parser, const QString &name,
                                            std::chrono::milliseconds fallback)
{
    if (!parser.isSet(name))
        return fallback;
    bool ok = false;
    const qint64 value = parser.value(name).toLongLong(&ok);
    if (!ok || value < 0)
        fail(UsageExit, QStringLiteral("--%1 needs a whole number of milliseconds >= 0").arg(name));
    return std::chrono::milliseconds(value);
}

double rateValue(const QCommandLineParser &parser, const QString &name)
{
    if (!parser.isSet(name))
        return 0;
    bool ok = false;
    const double value = parser.value(name).toDouble(&ok);
    if (!ok || value < 0 || value > 1)
        fail(UsageExit, QStringLiteral("--%1 needs a rate between 0 and 1").arg(name));
    return value;
}

Installation loadInstallation(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(UsageExit, QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    QString error;
    const std::optional<Installation> installation = Installation::fromJson(file.readAll(), &error);
    if (!installation)
        fail(UsageExit, QStringLiteral("%1: %2").arg(path, error));
    return *installation;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("panelsim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TESTLOOP_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated fire-alarm panel: answers download, scan, test and lock requests on a "
        "pseudo-terminal. The first line on standard output names the device."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOptions({
        valueOption("link", "Create a symbolic link <path> to the device (removed on exit).",
                    "path"),
        valueOption("installation",
                    "Serve the installation in JSON <file> instead of the built-in one.", "file"),
        valueOption("seed", "Seed for noise and faults (default 1).", "n"),
        {QStringLiteral("line-pacing"),
         QStringLiteral("Send no faster than a 9600 baud 8N1 line.")},
        valueOption("log", "Append every request and reply to <file>.", "file"),
        valueOption("reply-delay-ms", "Delay before each reply (default 20).", "n"),
        valueOption("late-ms", "Delay before a late reply (default 12000).", "n"),
        valueOption("delivery", "Write replies whole, in halves or byte by byte (default whole).",
                    "whole|halves|bytes"),
        valueOption("piece-gap-ms", "Gap between pieces of a reply (default 5).", "n"),
        valueOption("silence", "Rate 0..1 of requests left unanswered.", "rate"),
        valueOption("late", "Rate 0..1 of replies sent late.", "rate"),
        valueOption("partial", "Rate 0..1 of replies cut to their first half.", "rate"),
        valueOption("garbage", "Rate 0..1 of replies replaced by random characters.", "rate"),
        valueOption("other-loop", "Rate 0..1 of replies for the other loop.", "rate"),
        valueOption("other-address", "Rate 0..1 of replies for the next address.", "rate"),
    });
    if (!parser.parse(QCoreApplication::arguments()))
        fail(UsageExit, parser.errorText() + QStringLiteral(" (see --help)"));
    if (parser.isSet(help))
        parser.showHelp(0);
    if (parser.isSet(version))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty())
        fail(UsageExit,
             QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()));

    ServerOptions options;
    options.linkPath = parser.value(QStringLiteral("link"));
    options.logPath = parser.value(QStringLiteral("log"));
    options.linePacing = parser.isSet(QStringLiteral("line-pacing"));
    options.replyDelay = millisecondsValue(parser, QStringLiteral("reply-delay-ms"),
                                           std::chrono::milliseconds(20));
    options.lateDelay = millisecondsValue(parser, QStringLiteral("late-ms"), options.lateDelay);
    options.pieceGap = millisecondsValue(parser, QStringLiteral("piece-gap-ms"), options.pieceGap);
    if (parser.isSet(QStringLiteral("seed"))) {
        bool ok = false;
        options.seed = parser.value(QStringLiteral("seed")).toUInt(&ok);
        if (!ok)
            fail(UsageExit, QStringLiteral("--seed needs a whole number 0..4294967295"));
    }
    if (parser.isSet(QStringLiteral("delivery"))) {
        const auto delivery = deliveryFromName(parser.value(QStringLiteral("delivery")));
        if (!delivery)
            fail(UsageExit, QStringLiteral("--delivery must be whole, halves or bytes"));
        options.delivery = *delivery;
    }
    options.faults.silence = rateValue(parser, QStringLiteral("silence"));
    options.faults.late = rateValue(parser, QStringLiteral("late"));
    options.faults.partial = rateValue(parser, QStringLiteral("partial"));
    options.faults.garbage = rateValue(parser, QStringLiteral("garbage"));
    options.faults.otherLoop = rateValue(parser, QStringLiteral("other-loop"));
    options.faults.otherAddress = rateValue(parser, QStringLiteral("other-address"));

    const Installation installation = parser.isSet(QStringLiteral("installation"))
        ? loadInstallation(parser.value(QStringLiteral("installation")))
        : Installation::defaultInstallation();

    testloop::SignalQuitter quitter;
    if (!quitter.install({SIGINT, SIGTERM}))
        fail(StartExit, QStringLiteral("cannot catch SIGINT and SIGTERM"));
    quitter.listen();
    QString error;
    PanelServer server(installation, options);
    if (!server.start(&error))
        fail(StartExit, error);

    std::printf("panelsim: serving on %s\n", qUtf8Printable(server.devicePath()));
    std::fflush(stdout);
    if (!server.linkPath().isEmpty())
        std::fprintf(stderr, "panelsim: link %s\n", qUtf8Printable(server.linkPath()));

    const int status = QCoreApplication::exec();
    server.stop();
    if (quitter.received())
        std::fputs("panelsim: stopped by a signal\n", stderr);
    return status;
}
