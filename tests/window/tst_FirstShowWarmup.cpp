#include "window/FirstShowWarmup.h"

#include <QLabel>
#include <QtTest>
#include <qcustomplot.h>

// What the warm-up prepares must be ready when it is shown, whether the
// program had time to idle before or not.
class tst_FirstShowWarmup : public QObject
{
    Q_OBJECT
private slots:
    void stepsRunInIdleTurnsThenHiddenWidgetsGetReady();
    void finishStepsDoesTheRestAtOnce();
};

void tst_FirstShowWarmup::stepsRunInIdleTurnsThenHiddenWidgetsGetReady()
{
    QWidget root;
    auto *shown = new QLabel(&root);
    auto *hidden = new QWidget(&root);
    auto *plot = new QCustomPlot(hidden);
    plot->setGeometry(0, 0, 300, 200);
    hidden->hide();
    root.show();

    QStringList done;
    FirstShowWarmup warmup;
    warmup.addStep([&] { done << "first"; });
    warmup.addStep([&] { done << "second"; });
    warmup.addStep([&] { done << "third"; });
    warmup.start(&root);
    // Nothing before the event loop turns, one piece per turn after.
    QVERIFY(done.isEmpty());
    QCoreApplication::processEvents();
    QCOMPARE(done, QStringList{"first"});
    QCoreApplication::processEvents();
    QCOMPARE(done, (QStringList{"first", "second"}));
    QTRY_VERIFY(warmup.done());
    QCOMPARE(done, (QStringList{"first", "second", "third"}));
    QVERIFY(hidden->testAttribute(Qt::WA_WState_Polished));
    QVERIFY(plot->testAttribute(Qt::WA_WState_Polished));
    // The plot laid out for its own size, as its first show would.
    QCOMPARE(plot->viewport(), QRect(0, 0, 300, 200));
    QVERIFY(shown->isVisible());
}

void tst_FirstShowWarmup::finishStepsDoesTheRestAtOnce()
{
    QWidget root;
    int ran = 0;
    FirstShowWarmup warmup;
    for (int i = 0; i < 3; ++i)
        warmup.addStep([&] { ++ran; });
    warmup.start(&root);
    warmup.finishSteps();
    QCOMPARE(ran, 3);
    QTRY_VERIFY(warmup.done());
    QCOMPARE(ran, 3);
}

QTEST_MAIN(tst_FirstShowWarmup)
#include "tst_FirstShowWarmup.moc"
