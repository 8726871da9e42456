// The Windows halves of platform/, under Wine: who may open the command pipe,
// power messages, the Run value beside Task Manager's switch, this user's
// processes, and the guard beside config.json.
#include "platform/AutostartEntry.h"
#include "platform/DeviceMonitor.h"
#include "platform/InstanceActivator.h"
#include "platform/InstanceKeys.h"
#include "platform/InstanceLock.h"
#include "platform/ProcessTable.h"
#include "platform/SleepWatcher.h"

#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QWidget>
#include <QtTest>

#include <windows.h>

#include <aclapi.h>
#include <dbt.h>

namespace {
const char kRunKey[] = "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kApprovedKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

QByteArray ownSid()
{
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    QByteArray buffer(int(size), '\0');
    GetTokenInformation(token, TokenUser, buffer.data(), size, &size);
    CloseHandle(token);
    const PSID sid = reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid;
    return QByteArray(static_cast<const char *>(sid), int(GetLengthSid(sid)));
}
} // namespace

class tst_WindowsPlatform : public QObject
{
    Q_OBJECT

private slots:
    // Only this user's SID is let in; Everyone, the anonymous and other accounts
    // are not (their refusal itself cannot be shown under Wine, which has one account).
    void commandPipeIsThisUsersOnly()
    {
        InstanceActivator activator;
        QVERIFY(activator.listen());
        QVERIFY(InstanceKeys::isPrivateServer(activator.serverName()));
        const std::wstring path = L"\\\\.\\pipe\\" + activator.serverName().toStdWString();
        const HANDLE pipe = CreateFileW(path.c_str(), READ_CONTROL, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        QVERIFY2(pipe != INVALID_HANDLE_VALUE, qPrintable(QString::number(GetLastError())));
        PACL dacl = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        const DWORD status = GetSecurityInfo(pipe, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                             &dacl, nullptr, &descriptor);
        CloseHandle(pipe);
        QCOMPARE(status, DWORD(ERROR_SUCCESS));
        QVERIFY2(dacl, "a pipe without an access list is open to everyone");
        QVERIFY(dacl->AceCount >= 1);
        const QByteArray mine = ownSid();
        for (DWORD i = 0; i < dacl->AceCount; ++i) {
            ACE_HEADER *header = nullptr;
            QVERIFY(GetAce(dacl, i, reinterpret_cast<void **>(&header)));
            if (header->AceType != ACCESS_ALLOWED_ACE_TYPE)
                continue;
            const auto *ace = reinterpret_cast<ACCESS_ALLOWED_ACE *>(header);
            const PSID sid = PSID(&ace->SidStart);
            QCOMPARE(QByteArray(static_cast<const char *>(sid), int(GetLengthSid(sid))), mine);
        }
        LocalFree(descriptor);

        // The client checks whom it reached, and commands go through.
        QLocalSocket socket;
        socket.connectToServer(activator.serverName());
        QVERIFY(socket.waitForConnected(2000));
        QVERIFY(InstanceKeys::isOwnServer(socket));
        QVERIFY(InstanceActivator::isRunning(2000));
    }

    // Another account's refusal needs a second account, which Wine does not have.
    void commandPipeRefusesAnotherAccount()
    {
        QSKIP("Wine runs every program as one account: no other account can try the pipe here; "
              "commandPipeIsThisUsersOnly reads the pipe's access list instead");
    }

    // Registration at a window, and the messages decoded as Windows sends them.
    void deviceMessagesAreDecoded()
    {
        QWidget window;
        DeviceMonitor monitor;
        QVERIFY2(monitor.start(&window), qPrintable(QString::number(GetLastError())));
        QSignalSpy arrived(&monitor, &DeviceMonitor::hidArrived);
        QSignalSpy removed(&monitor, &DeviceMonitor::hidRemoved);
        QSignalSpy disk(&monitor, &DeviceMonitor::usbDiskArrived);

        const QString name = QStringLiteral("\\\\?\\HID#VID_5A17&PID_4152&MI_03#7&2b3c4d5e&0&0000#"
                                            "{4d1e55b2-f16f-11cf-88cb-001111000030}");
        QByteArray broadcast(int(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W)) + (name.size() + 1) * 2, '\0');
        auto *device = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W *>(broadcast.data());
        device->dbcc_size = DWORD(broadcast.size());
        device->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        name.toWCharArray(device->dbcc_name);
        MSG message = {};
        message.message = WM_DEVICECHANGE;
        message.lParam = reinterpret_cast<LPARAM>(device);
        message.wParam = DBT_DEVICEARRIVAL;
        monitor.handleNativeEvent("windows_generic_MSG", &message);
        QCOMPARE(arrived.count(), 1);
        message.wParam = DBT_DEVICEREMOVECOMPLETE;
        monitor.handleNativeEvent("windows_generic_MSG", &message);
        QCOMPARE(removed.count(), 1);
        QCOMPARE(removed.at(0).at(0).value<quint16>(), quint16(0x5A17));
        QCOMPARE(removed.at(0).at(1).value<quint16>(), quint16(0x4152));

        DEV_BROADCAST_VOLUME volume = {};
        volume.dbcv_size = sizeof volume;
        volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
        message.lParam = reinterpret_cast<LPARAM>(&volume);
        message.wParam = DBT_DEVICEARRIVAL;
        monitor.handleNativeEvent("windows_generic_MSG", &message);
        QCOMPARE(disk.count(), 1);
        QCOMPARE(arrived.count(), 1);
        QSKIP("Wine has no HID devices to plug in or pull out: the messages above are built here, "
              "not sent by the system");
    }

    // Suspend, then both resume messages of one wake: one re-apply.
    void sleepWatcherHearsPowerMessages()
    {
        SleepWatcher watcher;
        QSignalSpy asleep(&watcher, &SleepWatcher::aboutToSleep);
        QSignalSpy awake(&watcher, &SleepWatcher::resumed);
        const HWND window = FindWindowW(SleepWatcher::kWindowClass, nullptr);
        QVERIFY(window);
        SendMessageW(window, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
        QCOMPARE(asleep.count(), 1);
        QCOMPARE(awake.count(), 0);
        SendMessageW(window, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
        SendMessageW(window, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
        QCOMPARE(awake.count(), 1);
        QCOMPARE(asleep.count(), 1);
    }

    // The value as the program always wrote it; Task Manager's "Disabled" holds.
    void logonStartKeepsTaskManagersChoice()
    {
        const QString program = QStringLiteral("C:/Program Files/VoxBench/VoxBench.exe");
        const LogonStart logon(program);
        logon.registerAtStart();
        QSettings run(QLatin1String(kRunKey), QSettings::Registry64Format);
        QCOMPARE(run.value("VoxBench").toString(), QStringLiteral("C:\\Program Files\\VoxBench\\VoxBench.exe -autorun"));
        QVERIFY(logon.enabled());

        const BYTE disabled[12] = {0x03, 0, 0, 0, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x01};
        QCOMPARE(RegSetKeyValueW(HKEY_CURRENT_USER, kApprovedKey, L"VoxBench", REG_BINARY, disabled, sizeof disabled),
                 LONG(ERROR_SUCCESS));
        logon.registerAtStart();
        QVERIFY(!logon.enabled());
        QVERIFY(run.contains("VoxBench"));

        QVERIFY(logon.setEnabled(true));
        QVERIFY(logon.enabled());
        DWORD size = 0;
        QCOMPARE(RegGetValueW(HKEY_CURRENT_USER, kApprovedKey, L"VoxBench", RRF_RT_ANY, nullptr, nullptr, &size),
                 LONG(ERROR_FILE_NOT_FOUND));
        QVERIFY(logon.setEnabled(false));
        run.sync();
        QVERIFY(!run.contains("VoxBench"));
    }

    // A program of this user, by its image name, until it ends.
    void processTableReadsThisUsersPrograms()
    {
        QProcess child;
        child.start(QStringLiteral("cmd.exe"), QStringList()); // waits on its open input
        QVERIFY(child.waitForStarted(10000));
        const qint64 pid = child.processId();
        std::vector<ProcessTable::Listed> listed;
        QVERIFY(ProcessTable::list(&listed));
        QVERIFY(std::any_of(listed.begin(), listed.end(),
                            [pid](const ProcessTable::Listed &entry) { return entry.pid == pid; }));
        QCOMPARE(ProcessTable::executable(pid).toLower(), QStringLiteral("cmd.exe"));
        const std::optional<ProcessTable::Process> process = ProcessTable::read(pid);
        QVERIFY(process);
        QVERIFY2(process->names.contains(QStringLiteral("cmd.exe"), Qt::CaseInsensitive),
                 qPrintable(process->names.join(',')));
        QCOMPARE(ProcessTable::started(pid).value_or(0), process->started);
        QVERIFY(ProcessTable::ageMs(process->started) >= 0);
        QVERIFY(ProcessTable::ageMs(process->started) < 60000);
        child.kill();
        QVERIFY(child.waitForFinished(10000));
        QVERIFY(!ProcessTable::read(pid));
        QVERIFY(!ProcessTable::started(pid));
    }

    // "a" and "b" as ever, and the lock beside config.json with the pipe's name.
    void oneInstancePerDataFolder()
    {
        InstanceLock first;
        QVERIFY(first.lockStart());
        QCOMPARE(first.claim(), InstanceLock::Claim::First);
        QVERIFY(first.recordServer(QStringLiteral("voxbench-0123456789abcdef")));
        first.unlockStart();
        QVERIFY(QFileInfo::exists(InstanceKeys::dataFolder() + QStringLiteral("/.voxbench-instance")));

        InstanceLock second;
        QVERIFY(second.lockStart());
        QCOMPARE(second.claim(), InstanceLock::Claim::Running);
        QVERIFY(second.claimedElsewhere());
        second.unlockStart();
        QCOMPARE(InstanceLock::recordedServer(), QStringLiteral("voxbench-0123456789abcdef"));

        QVERIFY(first.lockLaunch(0));
        QVERIFY(!second.lockLaunch(100));
        first.unlockLaunch();
        QVERIFY(second.lockLaunch(100));
    }
};

QTEST_MAIN(tst_WindowsPlatform)
#include "tst_WindowsPlatform.moc"
