// The pieces of start-up that run inside the first instance: the application
// font, the termination watcher and the activation of the running window.

#include "app/ApplicationFont.h"
#include "app/WindowActivation.h"
#include "platform/TerminationWatcher.h"
#include "support/ProbeProcess.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

class tst_StartupPieces : public QObject
{
    Q_OBJECT

private slots:
    void shippedFontBecomesApplicationFont();
    void missingFontKeepsDefault();
    void windowIsBuiltWithTheFont();
    void signalsBecomeTerminationRequests_data();
    void signalsBecomeTerminationRequests();
    void sessionQuitBecomesTerminationRequest();
    void handlersAreRestored();
    void activationShowsHiddenAndMinimisedWindow();
};

void tst_StartupPieces::shippedFontBecomesApplicationFont()
{
#ifndef FONT_PATH
    QSKIP("no font shipped in this build");
#else
    QCOMPARE(QStringLiteral(FONT_PATH).section('/', -2), QStringLiteral("font/SourceHanSansCN-Normal.ttf"));
    const QFont before = QApplication::font();
    QVERIFY(loadApplicationFont(FONT_PATH));
    const QFont font = QApplication::font();
    QCOMPARE(font.family(), QStringLiteral("Noto Sans CJK SC"));
    QCOMPARE(font.pixelSize(), 15);
    // The face really renders: the database can resolve it.
    QCOMPARE(QFontInfo(font).family(), QStringLiteral("Noto Sans CJK SC"));
    QApplication::setFont(before);
#endif
}

void tst_StartupPieces::missingFontKeepsDefault()
{
    const QFont before = QApplication::font();
    QVERIFY(!loadApplicationFont(QDir::homePath() + "/font/SourceHanSansCN-Normal.ttf"));
    QCOMPARE(QApplication::font(), before);

    // A file that is not a font is no different.
    const QString junk = QDir::homePath() + "/junk.ttf";
    QFile file(junk);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a font");
    file.close();
    QVERIFY(!loadApplicationFont(junk));
    QCOMPARE(QApplication::font(), before);
}

void tst_StartupPieces::windowIsBuiltWithTheFont()
{
#ifndef FONT_PATH
    QSKIP("no font shipped in this build");
#else
    // The start-up sequence in a folder with the font beside it: widgets built
    // before the font is loaded would keep the default face.
    QTemporaryDir bin;
    const QString program = bin.filePath("voxbench_startup_probe");
    QVERIFY(QFile::copy(PROBE_PATH, program));
    QVERIFY(QDir(bin.path()).mkdir("font"));
    QVERIFY(QFile::link(FONT_PATH, bin.filePath("font/SourceHanSansCN-Normal.ttf")));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PROBE_REPORT_FONT", "1");
    ProbeProcess probe(program, {}, environment);
    QCOMPARE(probe.waitForLine("window font"), QStringLiteral("window font Noto Sans CJK SC"));
    QVERIFY(!probe.waitForLine("running").isEmpty());
    ::kill(probe.pid(), SIGTERM);
    QVERIFY(probe.finished());
#endif
}

void tst_StartupPieces::signalsBecomeTerminationRequests_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void tst_StartupPieces::signalsBecomeTerminationRequests()
{
    QFETCH(int, signal);
    TerminationWatcher watcher;
    QSignalSpy requests(&watcher, &TerminationWatcher::terminationRequested);
    // Two at once are one request: the program ends once.
    ::raise(signal);
    ::raise(signal);
    QTRY_COMPARE(requests.count(), 1);
    QTest::qWait(50);
    QCOMPARE(requests.count(), 1);
}

void tst_StartupPieces::sessionQuitBecomesTerminationRequest()
{
    TerminationWatcher watcher;
    QSignalSpy requests(&watcher, &TerminationWatcher::terminationRequested);
    QSignalSpy aboutToQuit(qApp, &QCoreApplication::aboutToQuit);
    QEvent quit(QEvent::Quit);
    QCoreApplication::sendEvent(qApp, &quit);
    QCOMPARE(requests.count(), 1);
    // Taken over: the loop is not ended behind the window's back.
    QCOMPARE(aboutToQuit.count(), 0);
}

void tst_StartupPieces::handlersAreRestored()
{
    struct sigaction before = {};
    sigaction(SIGTERM, nullptr, &before);
    {
        TerminationWatcher watcher;
        struct sigaction during = {};
        sigaction(SIGTERM, nullptr, &during);
        QVERIFY(during.sa_handler != before.sa_handler);
    }
    struct sigaction after = {};
    sigaction(SIGTERM, nullptr, &after);
    QVERIFY(after.sa_handler == before.sa_handler);

    // A second watcher after the first works as well.
    TerminationWatcher again;
    QSignalSpy requests(&again, &TerminationWatcher::terminationRequested);
    ::raise(SIGTERM);
    QTRY_COMPARE(requests.count(), 1);
}

void tst_StartupPieces::activationShowsHiddenAndMinimisedWindow()
{
    QMainWindow other;
    other.setWindowTitle("Other");
    QMainWindow window;
    window.setWindowTitle("VoxBench");
    window.hide();
    QVERIFY(activateTopLevelWindow("VoxBench"));
    QVERIFY(window.isVisible());
    QVERIFY(!other.isVisible());

    window.showMinimized();
    QVERIFY(activateTopLevelWindow("VoxBench"));
    QVERIFY(!window.isMinimized());

    QVERIFY(!activateTopLevelWindow("voxbench"));
}

QTEST_MAIN(tst_StartupPieces)
#include "tst_StartupPieces.moc"
