// The receiver session without a window, against the emulated receiver: the
// order and the gaps of its sequences on the wire, with no designed wait
// holding the caller.
#include "support/DeviceTestSupport.h"

#include "device/MyThread.h"
#include "device/ReceiverSession.h"

#include <QtTest>
#include <memory>

using namespace DeviceTest;

namespace {
constexpr quint8 kSetPeq = 0x21;
constexpr quint8 kAlgorithmSwitch = 0x31;
constexpr quint8 kSpectrumSwitch = 0x99;

quint8 commandOf(const EmulatorControl::Report &r)
{
    return quint8(r.bytes.at(4));
}

QByteArray switchBytes(const EmulatorControl::Report &r)
{
    return r.bytes.mid(8, 4); // surround, 0, enc, stereo
}
} // namespace

class tst_ReceiverSession : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ReceiverSession> m_session;

    void attach(quint16 productId)
    {
        EmulatorControl::Config config;
        config.productId = productId;
        reset(config);
        m_session = std::make_unique<ReceiverSession>();
        QCOMPARE(m_session->open(knownDevices({productId})), OpenOk);
        m_session->begin();
        QVERIFY(m_session->readThread() && m_session->readThread()->isRunning());
        QVERIFY(EmulatorControl::waitForReports(2, 1000)); // ReadAudio, ReadStatus
        spin(100);
        EmulatorControl::clearWrittenReports();
    }

private slots:
    void cleanup()
    {
        if (m_session)
            m_session->detach();
        m_session.reset();
    }

    // Spectrum switch, 10 ms, first packet, 20 ms, second packet, and after its
    // acknowledgement the page's algorithm; a new identity's 50 ms hold back
    // the next switch. Steps asked for meanwhile run after what came before.
    void pageUploadAndSwitchKeepOrderAndGaps_data()
    {
        QTest::addColumn<int>("productId");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("afterUpload");
        QTest::newRow("surround") << 0x4152 << 17 << QByteArray::fromHex("01000000");
        QTest::newRow("model one plays 7.1 as stereo") << 0x1054 << 1 << QByteArray::fromHex("00000001");
    }
    void pageUploadAndSwitchKeepOrderAndGaps()
    {
        QFETCH(int, productId);
        QFETCH(int, code);
        QFETCH(QByteArray, afterUpload);
        attach(quint16(productId));
        QCOMPARE(modeCode(PeqKind::Surround, ModeSource::Preset, 1, m_session->capabilities()), code);

        Gains gains{};
        gains[7] = -3;
        QStringList order;
        m_session->selectPage(PageAlgorithm::Surround, false);
        m_session->uploadPeq(PeqKind::Surround, code, gains);
        m_session->pause(50);
        m_session->switchAlgorithm(AlgorithmSwitches::kEncOn);
        m_session->afterPending(this, [&order] { order << "after ENC"; });
        // Nothing but the spectrum switch went out yet: no pause held the caller.
        QCOMPARE(EmulatorControl::writtenReportCount(), 1);
        QVERIFY(EmulatorControl::waitForReports(5, 2000));
        spin(100);
        QCOMPARE(order, QStringList{"after ENC"});
        QVERIFY(m_session->idle());

        const auto sent = EmulatorControl::writtenReports();
        QCOMPARE(int(sent.size()), 5);
        QCOMPARE(commandOf(sent[0]), kSpectrumSwitch);
        QCOMPARE(commandOf(sent[1]), kSetPeq);
        QCOMPARE(int(sent[1].bytes[7]), 0);
        QCOMPARE(int(sent[1].bytes[43]), code); // the mode code
        QCOMPARE(commandOf(sent[2]), kAlgorithmSwitch);
        QCOMPARE(switchBytes(sent[2]), QByteArray::fromHex("00000100"));
        QCOMPARE(commandOf(sent[3]), kSetPeq);
        QCOMPARE(int(sent[3].bytes[7]), 5);
        QCOMPARE(int(qint8(sent[3].bytes[6 + 4 + 5 * 2 + 4])), -3); // band 7's gain
        QCOMPARE(commandOf(sent[4]), kAlgorithmSwitch);
        QCOMPARE(switchBytes(sent[4]), afterUpload);
        const auto gapMs = [&sent](int from, int to) { return (sent[to].ns - sent[from].ns) / 1e6; };
        QVERIFY2(gapMs(0, 1) >= 10, qPrintable(QString::number(gapMs(0, 1))));
        QVERIFY2(gapMs(1, 2) >= 50, qPrintable(QString::number(gapMs(1, 2))));
        QVERIFY2(gapMs(1, 3) >= 20, qPrintable(QString::number(gapMs(1, 3))));

        // An upload alone: nothing but the 20 ms stands between its packets; and
        // the session is settled only once the switch after them was answered.
        EmulatorControl::clearWrittenReports();
        m_session->uploadPeq(PeqKind::Surround, code, gains);
        QVERIFY(waitFor([] { return EmulatorControl::writtenReportCount() == 3; }, 2000));
        QVERIFY(!m_session->settled());
        QVERIFY(waitFor([this] { return m_session->settled(); }, 2000));
        const auto alone = EmulatorControl::writtenReports();
        QCOMPARE(commandOf(alone[2]), kAlgorithmSwitch);
        QVERIFY2(alone[1].ns - alone[0].ns >= 20000000,
                 qPrintable(QString::number(alone[1].ns - alone[0].ns)));
    }

    // After the detach no step of the old attachment reaches the wire, and no
    // acknowledgement of the Mic ENC page brings an algorithm switch.
    // The session owns the read thread and the handle: the thread has ended
    // while the handle is still open, at a detach and when the session goes.
    void detachEndsTheReadThreadBeforeTheHandle()
    {
        for (const bool destroy : {false, true}) {
            attach(0x4152);
            bool handleOpenAtEnd = false;
            connect(
                m_session->readThread(), &QThread::finished, this,
                [&handleOpenAtEnd] { handleOpenAtEnd = usbHidConnection().handle.load() != nullptr; },
                Qt::DirectConnection);
            if (destroy)
                m_session.reset();
            else
                m_session->detach();
            QVERIFY(handleOpenAtEnd);
            QCOMPARE(usbHidConnection().handle.load(), nullptr);
            QVERIFY(!m_session || !m_session->readThread());
        }
    }

    void detachDropsPendingStepsAndMicPageSwitchesNothing()
    {
        attach(0x4152);
        m_session->selectPage(PageAlgorithm::None, false);
        m_session->uploadPeq(PeqKind::Stereo, 6, Gains{});
        QVERIFY(EmulatorControl::waitForReports(3, 1000));
        spin(200);
        QCOMPARE(EmulatorControl::writtenReportCount(), 3); // spectrum switch and two packets

        const quint64 attachment = m_session->attachment();
        m_session->uploadPeq(PeqKind::Stereo, 6, Gains{});
        m_session->pause(30);
        m_session->switchSpectrum(true);
        m_session->detach();
        QVERIFY(m_session->attachment() > attachment);
        QCOMPARE(m_session->readThread(), nullptr);
        spin(100);
        QCOMPARE(EmulatorControl::writtenReportCount(), 4); // only the first packet of the second upload
        QVERIFY(m_session->idle());
    }

    // Quit half-way through an upload: its second packet, due 20 ms later, and
    // the switch its acknowledgement brings must not follow the farewell.
    void farewellStaysTheLastReport()
    {
        attach(0x4152);
        m_session->selectPage(PageAlgorithm::Stereo, false);
        m_session->uploadPeq(PeqKind::Stereo, 6, Gains{});
        QVERIFY(waitFor([] { return EmulatorControl::writtenReportCount() == 2; }, 1000));
        m_session->farewell();
        spin(200);
        const auto sent = EmulatorControl::writtenReports();
        QCOMPARE(int(sent.size()), 3); // spectrum switch, first packet, farewell
        QCOMPARE(commandOf(sent.back()), kAlgorithmSwitch);
        QCOMPARE(switchBytes(sent.back()), QByteArray::fromHex("02000202"));
    }
};

QTEST_MAIN(tst_ReceiverSession)
#include "tst_ReceiverSession.moc"
