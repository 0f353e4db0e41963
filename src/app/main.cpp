#include "config/ConfigurationFile.h"
#include "link/PanelProtocol.h"
#include "link/SerialLink.h"
#include "loopdata/SharedState.h"
#include "ui/MessageBoxPrompts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

using namespace testloop;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TestLoop"));
    QApplication::setApplicationVersion(QStringLiteral(TESTLOOP_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Verifica dei loop di rivelazione incendio"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(QStringList {QStringLiteral("port")},
                                        QStringLiteral("Dispositivo seriale della centrale."),
                                        QStringLiteral("DEVICE"));
    parser.addOption(portOption);
    parser.process(app);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Orvalis Analogue Loop Testing Software"));
    MessageBoxPrompts prompts(&window);
    SharedState shared;
    shared.settings = LoadConfiguration(prompts);

    SerialLink link(shared, prompts);
    link.setPortOverride(parser.value(portOption));
    link.setPortNumber(shared.settings.ComPort);

    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("Porta seriale: %1   Codice scheda: %2")
                                     .arg(link.deviceName(), shared.settings.BoardCode)));
    auto *check = new QPushButton(QStringLiteral("Leggi sensore 1 del loop 1"));
    auto *log = new QPlainTextEdit;
    log->setReadOnly(true);
    layout->addWidget(check);
    layout->addWidget(log);

    QObject::connect(check, &QPushButton::clicked, &link, [&] {
        link.close();
        link.setReceiveThreshold(protocol::ScanReplyLength);
        const QByteArray request
            = protocol::scanRequest(shared.settings.BoardCode, shared.SelectedLoop,
                                    protocol::DeviceKind::Sensor, protocol::twoDigitAddress(1));
        if (link.send(request))
            log->appendPlainText(QStringLiteral("> ") + QString::fromLatin1(request));
    });
    QObject::connect(&link, &SerialLink::scanReplyReady, &link, [&] {
        const QString reply = protocol::replyText(link.readAll());
        link.close();
        const protocol::ScanReply decoded = protocol::decodeScanReply(reply);
        log->appendPlainText(QStringLiteral("< %1   indirizzo %2, analogico %3, assorbimento %4")
                                 .arg(reply)
                                 .arg(decoded.address)
                                 .arg(decoded.analogue * 10)
                                 .arg(decoded.current));
    });

    window.resize(640, 360);
    window.show();
    return app.exec();
}
