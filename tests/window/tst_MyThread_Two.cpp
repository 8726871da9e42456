#include "window/MyThread_Two.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

class tst_MyThread_Two : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void runsTheEightStepsInOrderThenStops();
    void pauseFreezesTheTicks();
    void idleResetsTheTicks();
    void endsPromptlyWhenDestroyedWhileRunning();
};

void tst_MyThread_Two::initTestCase()
{
    // 1 ms instead of 10 ms: the same step table in a tenth of the time.
    MyThread_Two::setTickMicroseconds(1000);
}

void tst_MyThread_Two::runsTheEightStepsInOrderThenStops()
{
    MyThread_Two sequencer;
    QSignalSpy steps(&sequencer, &MyThread_Two::sendSetMicTimer);
    sequencer.start();
    QElapsedTimer clock;
    clock.start();
    sequencer.m_running.store(1);

    QVector<qint64> at;
    while (steps.count() < 8 && clock.elapsed() < 10000) {
        const int before = steps.count();
        steps.wait(50);
        for (int i = before; i < steps.count(); ++i)
            at.append(clock.elapsed());
    }
    QCOMPARE(steps.count(), 8);
    for (int i = 0; i < 8; ++i)
        QCOMPARE(steps.at(i).at(0).toInt(), i + 1);
    // Each tick sleeps at least its length: step 1 comes after 100 ticks, the
    // end 1290 ticks after that.
    QVERIFY(at.first() >= 100);
    QVERIFY(at.last() - at.first() >= 1290 - 50);

    // The end clears the run flag, and the idle loop then clears the ticks.
    QTRY_COMPARE(sequencer.m_running.load(), 0);
    QTRY_COMPARE(sequencer.m_ticks.load(), 0);
    steps.wait(200);
    QCOMPARE(steps.count(), 8);
}

void tst_MyThread_Two::pauseFreezesTheTicks()
{
    MyThread_Two sequencer;
    QSignalSpy steps(&sequencer, &MyThread_Two::sendSetMicTimer);
    sequencer.start();
    sequencer.m_running.store(1);
    QTRY_VERIFY(sequencer.m_ticks.load() >= 20);
    sequencer.m_paused.store(1);
    QTest::qWait(20);
    const int frozen = sequencer.m_ticks.load();
    QTest::qWait(200);
    QCOMPARE(sequencer.m_ticks.load(), frozen);
    QCOMPARE(steps.count(), 0);

    // Resuming goes on from the same tick.
    sequencer.m_paused.store(0);
    QTRY_VERIFY(sequencer.m_ticks.load() > frozen);
    QVERIFY(steps.wait(2000));
    QCOMPARE(steps.at(0).at(0).toInt(), 1);
}

void tst_MyThread_Two::idleResetsTheTicks()
{
    MyThread_Two sequencer;
    sequencer.start();
    sequencer.m_running.store(1);
    QTRY_VERIFY(sequencer.m_ticks.load() >= 30);
    sequencer.m_running.store(0);
    QTRY_COMPARE(sequencer.m_ticks.load(), 0);
    QTest::qWait(50);
    QCOMPARE(sequencer.m_ticks.load(), 0);
}

void tst_MyThread_Two::endsPromptlyWhenDestroyedWhileRunning()
{
    QElapsedTimer clock;
    {
        MyThread_Two sequencer;
        sequencer.start();
        sequencer.m_running.store(1);
        QTRY_VERIFY(sequencer.m_ticks.load() > 0);
        QVERIFY(sequencer.isRunning());
        clock.start();
    }
    // The destructor ended the loop and waited for it: no thread outlives its object.
    QVERIFY(clock.elapsed() < 500);

    MyThread_Two stopped;
    stopped.start();
    QTRY_VERIFY(stopped.isRunning());
    stopped.stop();
    QVERIFY(stopped.wait(500));
}

QTEST_GUILESS_MAIN(tst_MyThread_Two)
#include "tst_MyThread_Two.moc"
