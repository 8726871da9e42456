// The debug log: its place, header, record format and the cut at 10 MiB.

#include "log/DebugLog.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

namespace {
const QByteArray kHeader = "\ttst_DebugLog Log Text:\r\n\n";

QByteArray contents()
{
    QFile file(debugLogPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Grows the log with filler to exactly `size` bytes.
void growTo(qint64 size)
{
    QFile file(debugLogPath());
    QVERIFY(file.open(QIODevice::Append));
    const qint64 missing = size - file.size();
    QVERIFY(missing >= 0);
    file.write(QByteArray(missing, 'x'));
}
} // namespace

class tst_DebugLog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void recordBeforeInitIsLost();
    void initWritesHeaderOnly();
    void initTruncatesTheLastRun();
    void recordsAreAppendedInFormat();
    void nonAsciiIsReplaced();
    void recordReachingTheLimitIsCut();
    void recordBelowTheLimitIsKept();
    void unwritableFolderCostsOnlyTheRecord();
};

void tst_DebugLog::init()
{
    QDir(QDir::homePath() + "/Documents").removeRecursively();
}

void tst_DebugLog::recordBeforeInitIsLost()
{
    if (!debugLogPath().isEmpty())
        QSKIP("the log was started by an earlier case");
    QTest::ignoreMessage(QtDebugMsg, "log文件创建失败!");
    writeDebugLog("tag", "message", "file", "function", 1);
    QVERIFY(!QFile::exists(QDir::homePath() + "/Documents/tst_DebugLog/debug.log"));
}

void tst_DebugLog::initWritesHeaderOnly()
{
    initDebugLog();
    // Documents did not exist; the folders are made.
    QCOMPARE(debugLogPath(),
             QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + "/tst_DebugLog/debug.log");
    QCOMPARE(debugLogPath(), QDir::homePath() + "/Documents/tst_DebugLog/debug.log");
    QCOMPARE(contents(), kHeader + "**First Data!\r\n");
}

void tst_DebugLog::initTruncatesTheLastRun()
{
    initDebugLog();
    writeDebugLog("a", "b", "c", "d", 1);
    initDebugLog();
    QCOMPARE(contents(), kHeader + "**First Data!\r\n");
}

void tst_DebugLog::recordsAreAppendedInFormat()
{
    initDebugLog();
    writeDebugLog("*Usb Write", "start", "UsbHidOperation", "usbHidWriteDevice", 121);
    writeDebugLog("Usb Hid send Switch", QStringLiteral("end(%1)").arg(1), "UsbHidOperation",
                  "usbHidSend_SetAlgorithmSwitch", 455);
    QCOMPARE(contents(), kHeader + "**First Data!\r\n"
                                   "*Usb Write : start\t\t(UsbHidOperation - usbHidWriteDevice ... 121);\n"
                                   "Usb Hid send Switch : end(1)\t\t(UsbHidOperation - "
                                   "usbHidSend_SetAlgorithmSwitch ... 455);\n");
}

void tst_DebugLog::nonAsciiIsReplaced()
{
    initDebugLog();
    writeDebugLog(QString::fromUtf8("模式"), "x", "VoxBench", "f", -3);
    const QByteArray log = contents();
    QVERIFY(log.endsWith("?? : x\t\t(VoxBench - f ... -3);\n"));
}

void tst_DebugLog::recordReachingTheLimitIsCut()
{
    initDebugLog();
    const QByteArray record = "t : m\t\t(s - f ... 7);\n";
    growTo(kDebugLogLimit - record.size());
    writeDebugLog("t", "m", "s", "f", 7);
    QCOMPARE(contents(), kHeader + "**Next Data!\r\n");

    // Records go on after the cut.
    writeDebugLog("t", "m", "s", "f", 7);
    QCOMPARE(contents(), kHeader + "**Next Data!\r\n" + record);
}

void tst_DebugLog::recordBelowTheLimitIsKept()
{
    initDebugLog();
    const QByteArray record = "t : m\t\t(s - f ... 7);\n";
    growTo(kDebugLogLimit - record.size() - 1);
    writeDebugLog("t", "m", "s", "f", 7);
    const QByteArray log = contents();
    QCOMPARE(log.size(), kDebugLogLimit - 1);
    QVERIFY(log.endsWith(record));
}

void tst_DebugLog::unwritableFolderCostsOnlyTheRecord()
{
    initDebugLog();
    QFile::remove(debugLogPath());
    // A folder where the file should be: opening fails, nothing else happens.
    QVERIFY(QDir().mkpath(debugLogPath()));
    QTest::ignoreMessage(QtDebugMsg, "log文件创建失败!");
    writeDebugLog("t", "m", "s", "f", 7);
    QVERIFY(QDir().rmdir(debugLogPath()));

    // The path stays set: the next record creates the file again.
    writeDebugLog("t", "m", "s", "f", 7);
    QCOMPARE(contents(), QByteArray("t : m\t\t(s - f ... 7);\n"));
}

QTEST_GUILESS_MAIN(tst_DebugLog)
#include "tst_DebugLog.moc"
