// The real program on the real device path: hidapi's hidraw code, the libudev
// enumeration with its usage-page filter and the udev monitor, against
// receivers built in a umockdev test bed and answered by the emulator's
// receiver model. Each scenario checks what reached the receiver, report by
// report: bytes, order and the promised gaps.
// Before Qt: glib has fields named like Qt's keywords.
#include <umockdev.h>

#include "UmockdevReceiver.h"
#include "VoxBenchRun.h"

#include <QtTest>
#include <algorithm>
#include <deque>
#include <initializer_list>
#include <map>
#include <memory>

namespace {
using Reports = std::vector<UmockdevReceiver::Report>;

constexpr quint8 kReadAudio = 0x20;
constexpr quint8 kSetPeq = 0x21;
constexpr quint8 kSetVol = 0x30;
constexpr quint8 kAlgorithmSwitch = 0x31;
constexpr quint8 kReadStatus = 0x32;
constexpr quint8 kSpectrumSwitch = 0x99;
constexpr qint64 kMs = 1000000;
// The second SetPEQ packet of an upload comes at least 20 ms after the first,
// the device page at least 500 ms after the open. Both are lower bounds with no
// slack: the receiver stamps a report before the program's write returns, so a
// gap it sees is never longer than the one the program kept.
constexpr qint64 kPeqGapNs = 20 * kMs;
constexpr qint64 kPageDelayNs = 500 * kMs;
constexpr qint64 kWatchdogNs = 50 * kMs;
constexpr int kSettleMs = 400;
// The read thread's last words, when an attachment ends.
constexpr char kAttachmentEnded[] = "Thread Break... ...";
constexpr char kEncOn[] = "4F308018310601000000010050";
constexpr char kEncOff[] = "4F308018310601000000020051";

// A report given by its leading bytes, padded with zeros to its id's size.
QByteArray report(const char *hex)
{
    QByteArray bytes = QByteArray::fromHex(hex);
    bytes.append((quint8(bytes[0]) == 0x4E ? 32 : 64) - bytes.size(), '\0');
    return bytes;
}

QVector<QByteArray> bytesOf(const Reports &reports)
{
    QVector<QByteArray> out;
    for (const auto &r : reports)
        out << r.bytes;
    return out;
}

QString hexLines(const QVector<QByteArray> &reports)
{
    QStringList lines;
    for (const QByteArray &r : reports)
        lines << QString::fromLatin1(r.left(24).toHex(' '));
    return lines.join('\n');
}

quint8 commandOf(const QByteArray &bytes)
{
    return bytes.size() > 4 ? quint8(bytes[4]) : 0;
}

// Waits until the receiver has had `count` reports and then nothing for a while.
bool settle(UmockdevReceiver &receiver, int count, int timeoutMs = 8000)
{
    if (!receiver.waitForReports(count, timeoutMs))
        return false;
    std::size_t seen = 0;
    do {
        seen = receiver.reports().size();
        QTest::qWait(kSettleMs);
    } while (receiver.reports().size() != seen);
    return true;
}
void checkGaps(const Reports &reports, qint64 openNs);
bool sameExchange(const QVector<QByteArray> &got, const QVector<QByteArray> &want);
QVector<QByteArray> firstAttachment();
QVector<QByteArray> rememberedAttachment();

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class tst_umockdev : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void startupExchange();
    void unplugAndReplug();
    void unplugInTheMiddleOfAPeqUpload();
    void receiverThatStopsAnswering();
    void vendorInterfaceListedFirst();
    void twoReceiversPluggedIn();
    void otherAcceptedProductId();
    void nodeTheUserMayNotOpen();
    void resumeWithAndWithoutReplug();
    void micEncKeptAcrossRestartAndReplug();

private:
    UmockdevReceiver &receiver(const UmockdevReceiver::Options &options = {});
    bool startProgram();
    static void checkStartupExchange(UmockdevReceiver &receiver,
                                     const QVector<QByteArray> &want = firstAttachment());

    UMockdevTestbed *m_bed = nullptr;
    std::vector<std::unique_ptr<UmockdevReceiver>> m_receivers;
    std::unique_ptr<VoxBenchRun> m_program;
};

void tst_umockdev::initTestCase()
{
    QVERIFY2(qgetenv("LD_PRELOAD").contains("umockdev"), "run under umockdev-wrapper");
    QVERIFY2(qEnvironmentVariableIsSet("DISPLAY"), "run on an X server (scripts/with-xvfb)");
    m_bed = umockdev_testbed_new();
}

void tst_umockdev::init()
{
    m_program = std::make_unique<VoxBenchRun>();
}

void tst_umockdev::cleanup()
{
    if (m_program && (QTest::currentTestFailed()))
        qWarning().noquote() << "the program's last lines:\n" << m_program->output();
    m_program.reset();
    m_receivers.clear();
}

void tst_umockdev::cleanupTestCase()
{
    if (m_bed)
        g_object_unref(m_bed);
}

UmockdevReceiver &tst_umockdev::receiver(const UmockdevReceiver::Options &options)
{
    m_receivers.push_back(std::make_unique<UmockdevReceiver>(m_bed, options));
    return *m_receivers.back();
}

bool tst_umockdev::startProgram()
{
    return m_program->start() && m_program->waitForOutput("Register SuccessFul!", 10000);
}

// The first attachment of a receiver never seen: ReadAudio and ReadStatus at
// the open; 500 ms later the device page: the new identity's pause, the
// surround tab's default mode, the stereo tab (spectrum on) and its default
// mode, each upload as two SetPEQ packets and the algorithm switch that its
// acknowledgement brings; then Mic ENC.
namespace {
QVector<QByteArray> firstAttachment()
{
    return {
        report("4E30801801"),
        report("4E308018010017"),
        report("4F30801820010038"),
        report("4F3080183201004A"),
        report("4F308018212601000400001E07D0FD003C07D0FD007807D0FD00FA07D0FD01F407D0FE0000000000000000135C"),
        report("4F308018990101B2"),
        report("4F308018212601000400001E07D0FD003C07D0FD007807D0FD00FA07D0FD01F407D0FE0000000000000000054E"),
        report("4F308018310601000000010050"),
        report("4F30801821260105090003E807D00007D007D0000FA00FA0001F400FA0003E800FA000000000000000000013C9"),
        report("4F30801821260105090003E807D00007D007D0000FA00FA0001F400FA0003E800FA00A000000000000000005C5"),
        report("4F308018310601000000000150"),
        report("4F308018310601000000000150"),
    };
}

// A receiver plugged in again is one seen before: the same reports as its first
// attachment, but its remembered mode's tab (stereo) is shown before the other
// tab's mode is sent, so the stereo page's spectrum switch comes first.
QVector<QByteArray> rememberedAttachment()
{
    QVector<QByteArray> reports = firstAttachment();
    reports.move(5, 4);
    return reports;
}
} // namespace

void tst_umockdev::checkStartupExchange(UmockdevReceiver &receiver, const QVector<QByteArray> &want)
{
    const Reports reports = receiver.reports();
    const QVector<QByteArray> got = bytesOf(reports);
    const QByteArray why = ("got\n" + hexLines(got) + "\nwant\n" + hexLines(want)).toUtf8();
    QVERIFY2(sameExchange(got, want), why.constData());
    checkGaps(reports, receiver.lastOpenNs());
}

namespace {
bool isSecondPacket(const QByteArray &bytes)
{
    return commandOf(bytes) == kSetPeq && quint8(bytes[7]) == 5;
}

// Byte for byte up to the first second SetPEQ packet. From there the two tabs'
// second packets (each 20 ms after its own first) and the algorithm switch each
// acknowledgement brings may interleave as the receiver's answers come: the
// same reports, and never more switches than completed uploads.
bool sameExchange(const QVector<QByteArray> &got, const QVector<QByteArray> &want)
{
    const int fixed = int(std::find_if(want.begin(), want.end(), isSecondPacket) - want.begin());
    if (got.size() != want.size() || got.mid(0, fixed) != want.mid(0, fixed))
        return false;
    QVector<QByteArray> rest = got.mid(fixed);
    QVector<QByteArray> wanted = want.mid(fixed);
    int uploadsDone = 0;
    for (const QByteArray &bytes : rest) {
        uploadsDone += isSecondPacket(bytes) ? 1 : 0;
        if (commandOf(bytes) == kAlgorithmSwitch && --uploadsDone < 0)
            return false;
    }
    std::sort(rest.begin(), rest.end());
    std::sort(wanted.begin(), wanted.end());
    return rest == wanted;
}

// The device page comes at least 500 ms after the open, and the second packet
// of every upload at least 20 ms after its first.
void checkGaps(const Reports &reports, qint64 openNs)
{
    QVERIFY(!reports.empty());
    QVERIFY(openNs >= 0);
    qint64 firstPeq = -1;
    // First packets still waiting for their second, by mode code, oldest first:
    // second packets go out in the order of their first ones, and two uploads
    // of one mode may overlap.
    std::map<quint8, std::deque<qint64>> waiting;
    for (const auto &each : reports) {
        const QByteArray &bytes = each.bytes;
        if (commandOf(bytes) != kSetPeq)
            continue;
        if (firstPeq < 0)
            firstPeq = each.ns;
        std::deque<qint64> &firsts = waiting[quint8(bytes[43])];
        if (quint8(bytes[7]) == 0) {
            firsts.push_back(each.ns);
            continue;
        }
        QVERIFY2(!firsts.empty(), "a second packet without its first");
        const qint64 gap = each.ns - firsts.front();
        firsts.pop_front();
        QVERIFY2(gap >= kPeqGapNs, qPrintable(QString("SetPEQ packets %1 ms apart").arg(gap / 1e6)));
    }
    for (const auto &each : waiting)
        QVERIFY2(each.second.empty(), "a first packet without its second");
    QVERIFY2(firstPeq - openNs >= kPageDelayNs,
             qPrintable(QString("the page %1 ms after the open").arg((firstPeq - openNs) / 1e6)));
}
} // namespace

void tst_umockdev::startupExchange()
{
    UmockdevReceiver &r = receiver();
    r.plug();
    QVERIFY(startProgram());
    QVERIFY(settle(r, firstAttachment().size()));
    checkStartupExchange(r);
    QCOMPARE(r.strayWrites(), 0);
    // No system bus: one line says so, and nothing else changes.
    QCOMPARE(m_program->output().count("No system bus"), 1);
    // The first attachment's second packets wait behind the new identity's
    // pause (50 ms), which hides their own gap. Uploads on the surround tab
    // wait behind nothing and draw no spectrum: their gaps are the program's.
    const QVector<QByteArray> first = firstAttachment();
    r.clearReports();
    QCOMPARE(m_program->command({"tab", "surround"}), 0);
    for (const char *mode : {"FPS", "Moba", "Flat"})
        QCOMPARE(m_program->command({"mode", mode, "--tab", "surround"}), 0);
    QVERIFY(settle(r, 4 + 3 * 3));
    QCOMPARE(bytesOf(r.reports()).mid(0, 4),
             QVector<QByteArray>(
                 {report("4F308018990100B1"), first[4], first[8], report("4F308018310601000100000050")}));
    QCOMPARE(int(r.reports().size()), 4 + 3 * 3);
    checkGaps(r.reports(), r.lastOpenNs());
    // SIGTERM to the program: its quit switch is the last report.
    const std::size_t before = r.reports().size();
    QVERIFY(m_program->stop());
    const Reports after = r.reports();
    QCOMPARE(after.size(), before + 1);
    QCOMPARE(after.back().bytes, report("4F308018310601000200020255"));
}

void tst_umockdev::unplugAndReplug()
{
    UmockdevReceiver &r = receiver();
    r.plug();
    QVERIFY(startProgram());
    QVERIFY(settle(r, firstAttachment().size()));
    r.clearReports();
    r.unplug();
    QVERIFY(m_program->waitForOutput(kAttachmentEnded, 3000));
    QTest::qWait(300);
    for (const auto &each : r.reports())
        QVERIFY2(!each.accepted, "a report reached a receiver that was pulled out");
    r.clearReports();
    r.plug();
    // Nothing of the last attachment is re-sent: each tab's mode once.
    QVERIFY(settle(r, firstAttachment().size()));
    checkStartupExchange(r, rememberedAttachment());
}

void tst_umockdev::unplugInTheMiddleOfAPeqUpload()
{
    UmockdevReceiver &r = receiver();
    r.unplugAfterPeq(1);
    r.plug();
    QVERIFY(startProgram());
    QVERIFY(m_program->waitForOutput(kAttachmentEnded, 5000));
    QTest::qWait(300);
    // Nothing went to the receiver after the packet it took last, and the
    // program still runs, waiting for a receiver.
    Reports gone = r.reports();
    gone.erase(std::remove_if(gone.begin(), gone.end(), [](const auto &each) { return !each.accepted; }),
               gone.end());
    QVERIFY(!gone.empty());
    QCOMPARE(commandOf(gone.back().bytes), kSetPeq);
    QCOMPARE(quint8(gone.back().bytes[7]), quint8(0));
    QVERIFY(m_program->running());
    // Plugged in again: a whole first attachment, no half of the old upload.
    r.unplugAfterPeq(0);
    r.clearReports();
    r.plug();
    QVERIFY(settle(r, 12));
    const QVector<QByteArray> got = bytesOf(r.reports());
    QCOMPARE(got.mid(0, 4), firstAttachment().mid(0, 4));
    checkGaps(r.reports(), r.lastOpenNs());
}

void tst_umockdev::receiverThatStopsAnswering()
{
    UmockdevReceiver &r = receiver();
    r.setSilent(true);
    r.plug();
    QVERIFY(startProgram());
    QTest::qWait(2500);
    const Reports reports = r.reports();
    // The open's reads are resent at least 50 ms after the receiver took the
    // last one, a bounded number of times, and the program neither hangs nor ends.
    std::vector<qint64> reads;
    for (const auto &each : reports) {
        if (commandOf(each.bytes) == kReadAudio)
            reads.push_back(each.ns);
    }
    QVERIFY2(reads.size() >= 2 && reads.size() <= 12, qPrintable(QString::number(reads.size())));
    for (std::size_t i = 1; i < reads.size(); ++i)
        QVERIFY2(reads[i] - reads[i - 1] >= kWatchdogNs,
                 qPrintable(QString("reads %1 ms apart").arg((reads[i] - reads[i - 1]) / 1e6)));
    QVERIFY(m_program->running());
    QVERIFY(m_program->stop());
}

void tst_umockdev::vendorInterfaceListedFirst()
{
    UmockdevReceiver::Options options;
    options.vendorFirst = true;
    UmockdevReceiver &r = receiver(options);
    r.plug();
    QVERIFY(startProgram());
    QVERIFY(settle(r, firstAttachment().size()));
    checkStartupExchange(r);
    QCOMPARE(r.strayWrites(), 0);
}

void tst_umockdev::twoReceiversPluggedIn()
{
    UmockdevReceiver &first = receiver();
    UmockdevReceiver::Options options;
    options.identity = 0x11223344;
    UmockdevReceiver &second = receiver(options);
    first.plug();
    second.plug();
    QVERIFY(startProgram());
    QVERIFY(settle(first, firstAttachment().size()));
    checkStartupExchange(first);
    QCOMPARE(int(second.reports().size()), 0);
    // The one in use pulled out: the other is taken at once, as a new identity.
    first.unplug();
    QVERIFY(settle(second, firstAttachment().size()));
    // Its whole first attachment, and nothing before it.
    checkStartupExchange(second);
    // Its attachment outlives the rest of the first one's remove events.
    QTest::qWait(kSettleMs);
    QCOMPARE(second.reports().size(), std::size_t(firstAttachment().size()));
    QVERIFY(m_program->running());
}

void tst_umockdev::otherAcceptedProductId()
{
    UmockdevReceiver::Options options;
    options.productId = 0x4160;
    UmockdevReceiver &r = receiver(options);
    r.plug();
    QVERIFY(startProgram());
    QVERIFY(settle(r, firstAttachment().size()));
    checkStartupExchange(r);
}

void tst_umockdev::nodeTheUserMayNotOpen()
{
    UmockdevReceiver::Options denied;
    denied.denyOpen = true;
    UmockdevReceiver &locked = receiver(denied);
    locked.plug();
    QVERIFY(startProgram());
    // Eight more tries 250 ms apart, then the box titled "warning".
    QVERIFY(m_program->waitForOutput("Receiver found, access denied", 6000));
    QTRY_VERIFY_WITH_TIMEOUT(VoxBenchRun::windowShown("warning"), 3000);
    QCOMPARE(int(locked.reports().size()), 0);
    // Still waiting: the locked one goes, one it may open comes.
    locked.unplug();
    UmockdevReceiver &open = receiver();
    open.plug();
    QVERIFY(settle(open, firstAttachment().size()));
    checkStartupExchange(open);
}

// After a resume the receiver is asked for its status and, once it answers,
// gets what the program holds as an attachment's restore sends it. Re-plugged
// while asleep, it gets the replug's reports only.
void tst_umockdev::resumeWithAndWithoutReplug()
{
    // A stand-in for logind on a bus of its own; it prints the bus's address.
    QTemporaryDir busDir;
    QProcess logind;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("LD_PRELOAD"); // the test bed is not its business
    logind.setProcessEnvironment(env);
    logind.start("/usr/bin/python3", {VOXBENCH_LOGIND_STANDIN, busDir.filePath("bus")});
    const auto stopLogind = qScopeGuard([&logind] {
        logind.closeWriteChannel(); // it takes its bus down with it
        logind.waitForFinished(3000);
    });
    QVERIFY(logind.waitForReadyRead(5000));
    m_program->setSystemBus(QString::fromUtf8(logind.readLine().trimmed()));
    UmockdevReceiver &r = receiver();
    r.plug();
    QVERIFY(startProgram());
    QVERIFY(settle(r, firstAttachment().size()));
    QVERIFY(!m_program->output().contains("No system bus"));
    const auto held = r.held();

    r.clearReports();
    logind.write("sleep\n");
    QTRY_COMPARE_WITH_TIMEOUT(m_program->output().count("Going to sleep"), 1, 3000);
    r.forgetSettings();
    logind.write("wake\n");
    QVector<QByteArray> resumed = {report("4F3080183201004A")};
    resumed += rememberedAttachment().mid(4);
    QVERIFY(settle(r, resumed.size()));
    checkStartupExchange(r, resumed);
    QVERIFY(r.held() == held);

    r.clearReports();
    logind.write("sleep\n");
    QTRY_COMPARE_WITH_TIMEOUT(m_program->output().count("Going to sleep"), 2, 3000);
    r.forgetSettings();
    r.unplug();
    QVERIFY(m_program->waitForOutput(kAttachmentEnded, 3000));
    QTest::qWait(300);
    r.clearReports();
    r.plug();
    QVERIFY(settle(r, rememberedAttachment().size()));
    logind.write("wake\n");
    QTRY_COMPARE_WITH_TIMEOUT(m_program->output().count("Resumed"), 2, 3000);
    QTest::qWait(kSettleMs);
    checkStartupExchange(r, rememberedAttachment());
    QVERIFY(r.held() == held);
}

// The Mic ENC choice is kept per receiver outside config.json: a restart and a
// replug send it in place of the default, and config.json stays as it was.
void tst_umockdev::micEncKeptAcrossRestartAndReplug()
{
    UmockdevReceiver &r = receiver();
    r.plug();
    QVERIFY(startProgram());
    QVERIFY(settle(r, firstAttachment().size()));
    const QString config = m_program->home() + "/Documents/VoxBench/config.json";
    const QByteArray before = contentsOf(config);
    QVERIFY(!before.isEmpty());
    r.clearReports();
    QCOMPARE(m_program->command({"enc", "off"}), 0);
    QCOMPARE(bytesOf(r.reports()), QVector<QByteArray>{report(kEncOff)});
    QVERIFY(m_program->stop());

    for (const bool restart : {true, false}) {
        r.clearReports();
        if (restart) {
            QVERIFY(startProgram());
        } else {
            r.unplug();
            QVERIFY(m_program->waitForOutput(kAttachmentEnded, 3000));
            QTest::qWait(300);
            r.clearReports();
            r.plug();
        }
        QVERIFY(settle(r, firstAttachment().size()));
        const QVector<QByteArray> got = bytesOf(r.reports());
        QCOMPARE(got.size(), firstAttachment().size());
        QVERIFY(got.count(report(kEncOff)) == 1 && !got.contains(report(kEncOn)));
    }
    QCOMPARE(contentsOf(config), before);
    QVERIFY(contentsOf(m_program->home() + "/.config/VoxBench/receivers.conf").contains("mic_enc=false"));
}

QTEST_GUILESS_MAIN(tst_umockdev)
#include "tst_umockdev.moc"
