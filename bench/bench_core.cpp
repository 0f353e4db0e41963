// Speed of the work a technician waits for: saving and loading a readings file with every
// distribution full, and the per-reply work of the scan (decode, evaluate).
#include "link/PanelProtocol.h"
#include "loopdata/LoopTables.h"
#include "scan/Evaluation.h"
#include "storage/ReadingsReader.h"
#include "storage/ReadingsWriter.h"

#include <QTest>

#include <memory>

using namespace testloop;

class BenchCore : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void saveFullReadingsFile();
    void loadFullReadingsFile();
    void decodeAndEvaluateOneReply();

private:
    std::unique_ptr<LoopData> m_full;
    QByteArray m_file;
};

void BenchCore::initTestCase()
{
    // The largest file there can be: every reading 0..4000 counted at every address.
    m_full = std::make_unique<LoopData>();
    for (int loop = 1; loop <= 2; ++loop) {
        for (int address = FirstAddress; address <= LastAddress; ++address) {
            for (int reading = 0; reading <= MaxHistogramReading; ++reading) {
                m_full->SensorHistogram.set(reading, address, loop, 9);
                m_full->ModuleHistogram.set(reading, address, loop, 9);
            }
        }
    }
    m_file = writeReadings(*m_full, QStringLiteral("/tmp/letture.log"), QStringLiteral("t"));
    qInfo("largest readings file: %lld bytes", qlonglong(m_file.size()));
}

void BenchCore::saveFullReadingsFile()
{
    QByteArray bytes;
    QBENCHMARK {
        bytes = writeReadings(*m_full, QStringLiteral("/tmp/letture.log"), QStringLiteral("t"));
    }
    QCOMPARE(bytes.size(), m_file.size());
}

void BenchCore::loadFullReadingsFile()
{
    std::optional<ReadingsImage> image;
    QBENCHMARK {
        image = parseReadings(m_file);
    }
    QVERIFY(image.has_value());
}

void BenchCore::decodeAndEvaluateOneReply()
{
    const QString reply = QStringLiteral("(j006AR1042045015000000000)XZ");
    ButtonView view;
    QBENCHMARK {
        const protocol::ScanReply decoded = protocol::decodeScanReply(reply);
        view = EvaluateSensor(int(decoded.address), qint16(decoded.analogue * 10),
                              qint16(decoded.current), {200, 400, 1500});
    }
    QCOMPARE(view.colour, ButtonColour::Green);
}

QTEST_GUILESS_MAIN(BenchCore)
#include "bench_core.moc"
