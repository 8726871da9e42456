// A store killed in the middle of rewriting config.json leaves the old file or the new
// one, never an empty or half-written one.

#include "presets/WriteReadJson.h"
#include "support/StoreFixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>

using namespace StoreFixture;

namespace {

constexpr int kReceivers = 300;
constexpr char kWriteLoop[] = "--write-loop";

// The child: selects modes on one receiver, rewriting config.json each time, until it
// is killed (or gives up, so that no child outlives a failed test for long).
int writeLoop(const QString &programFolder)
{
    WriteReadJson store(programFolder);
    store.setDevice(0x4152, "00000007");
    QElapsedTimer running;
    running.start();
    for (int round = 0; running.elapsed() < 15000; ++round) {
        store.setCurrentMode(round % 2 ? store.getSurroundPreset(1) : store.getStereoPreset(0));
        if (round == 0) {
            std::puts("writing");
            std::fflush(stdout);
        }
    }
    return 1;
}

} // namespace

class tst_WriteReadJsonKilled : public QObject
{
    Q_OBJECT
private slots:
    void configSurvivesAKill();
};

void tst_WriteReadJsonKilled::configSurvivesAKill()
{
    QTemporaryDir program;
    QVERIFY(writeFile(program.filePath("DefaultFile/VID-5A17&PID-4152.json"), defaultFile("0x4152")));
    QVERIFY(writeConfig(manyReceivers(kReceivers, 10)));
    const QSet<QString> written{"{s-x}", "{t-x}"};

    for (int kill = 0; kill < 30; ++kill) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {kWriteLoop, program.path()});
        QVERIFY(child.waitForStarted());
        QVERIFY(child.waitForReadyRead(20000));
        QTest::qSleep(QRandomGenerator::global()->bounded(1, 40));
        child.kill();
        QVERIFY(child.waitForFinished());

        const QByteArray bytes = readFile(configPath());
        QVERIFY2(bytes.endsWith("}\r\n"),
                 qPrintable(QString("kill %1: %2 bytes").arg(kill).arg(bytes.size())));
        const JsonText::Parsed parsed = JsonText::parse(bytes);
        QCOMPARE(parsed.status, JsonText::Status::Ok);
        QCOMPARE(parsed.object.value("customizeMode").toArray().size(), kReceivers);
        const QJsonArray current = parsed.object.value("currentMode").toArray();
        QCOMPARE(current.size(), kReceivers);
        QVERIFY(written.contains(current.at(7).toObject().value("uuid").toString()));
    }
    // What a kill left beside it is gone at the next start, and nothing else was there.
    WriteReadJson store(program.path());
    QCOMPARE(QDir(documents() + "/VoxBench").entryList(QDir::Files | QDir::Hidden),
             QStringList({"config.json"}));
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], kWriteLoop) == 0)
        return writeLoop(QString::fromLocal8Bit(argv[2]));
    tst_WriteReadJsonKilled test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_WriteReadJsonKilled.moc"
