// Before Qt: glib has fields named like Qt's keywords.
#include <umockdev.h>

#include "UmockdevReceiver.h"

#include "device/UsbHidCommands.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Only the usage page matters to the enumeration; the rest makes them whole.
const QByteArray kConsumerDescriptor = QByteArray::fromHex("050c0901a101150026ff0319002aff03751095018100c0");
const QByteArray kVendorDescriptor =
    QByteArray::fromHex("0600ff0901a1018523150026ff007508951f09018102"
                        "8524953f09018102854e951f09019102854f953f09019102c0");
constexpr int kReplyDelayMs = 3;       // as the emulator's receiver
constexpr std::size_t kMaxQueued = 64; // hidraw keeps 64 reports per reader

int g_nextNumber = 0; // device numbers and hidraw minors, never reused within a run

using Clock = std::chrono::steady_clock;
const Clock::time_point g_start = Clock::now();

QByteArray record(const QString &path, const QStringList &lines)
{
    return ("P: " + path.mid(4) + "\n" + lines.join('\n') + "\n").toUtf8();
}
} // namespace

struct UmockdevReceiver::Node
{
    UmockdevReceiver *owner = nullptr;
    bool vendor = false;
    QString name;    // hidrawN
    QString hidPath; // sysfs path of the hid device
    QString rawPath; // sysfs path of the hidraw device
    QString ifPath;  // sysfs path of the USB interface
    QByteArray fifo; // the node in the test bed
    int fd = -1;     // our end of the FIFO: one byte in it while reports wait
    UMockdevIoctlBase *handler = nullptr;
    bool dead = false;
    bool flagged = false;
    std::deque<EmulatedReceiver::Report> ready;
};

qint64 UmockdevReceiver::nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - g_start).count();
}

UmockdevReceiver::UmockdevReceiver(UMockdevTestbed *bed, const Options &options)
    : m_bed(bed), m_options(options), m_number(++g_nextNumber)
{
    m_model.identity = options.identity;
    m_usbPath = QStringLiteral("/sys/devices/pci0000:00/0000:00:14.0/usb1/1-%1").arg(m_number);
    const QString root = QString::fromUtf8(umockdev_testbed_get_root_dir(m_bed));
    for (int interface = 0; interface < 2; ++interface) {
        auto node = std::make_unique<Node>();
        node->owner = this;
        node->vendor = (interface == 0) == options.vendorFirst;
        const int minor = 2 * (m_number - 1) + interface;
        node->name = QStringLiteral("hidraw%1").arg(minor);
        node->ifPath = m_usbPath + QStringLiteral("/1-%1:1.%2").arg(m_number).arg(interface);
        node->hidPath = node->ifPath + QStringLiteral("/0003:5A17:%1.%2")
                                           .arg(options.productId, 4, 16, QChar('0'))
                                           .arg(minor + 1, 4, 16, QChar('0'))
                                           .toUpper();
        node->rawPath = node->hidPath + "/hidraw/" + node->name;
        node->fifo = (root + "/dev/" + node->name).toUtf8();
        ::mkdir((root + "/dev").toUtf8().constData(), 0755);
        ::unlink(node->fifo.constData());
        if (::mkfifo(node->fifo.constData(), 0600) != 0)
            qFatal("cannot make the node %s", node->fifo.constData());
        node->fd = ::open(node->fifo.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (options.denyOpen)
            ::chmod(node->fifo.constData(), 0);
        node->handler = static_cast<UMockdevIoctlBase *>(g_object_new(UMOCKDEV_TYPE_IOCTL_BASE, nullptr));
        g_signal_connect(node->handler, "handle-ioctl", G_CALLBACK(onIoctl), node.get());
        g_signal_connect(node->handler, "handle-read", G_CALLBACK(onRead), node.get());
        g_signal_connect(node->handler, "handle-write", G_CALLBACK(onWrite), node.get());
        GError *error = nullptr;
        const QByteArray devnode = ("/dev/" + node->name).toUtf8();
        if (!umockdev_testbed_attach_ioctl(m_bed, devnode.constData(), node->handler, &error))
            qFatal("attach_ioctl %s: %s", devnode.constData(), error ? error->message : "?");
        m_nodes.push_back(std::move(node));
    }
    m_server = std::thread([this] { serve(); });
}

UmockdevReceiver::~UmockdevReceiver()
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_stopping = true;
        m_changed.notify_all();
    }
    m_server.join();
    if (m_plugged)
        unplug();
    // The handlers stay attached until the test bed goes: a program may still hold the nodes.
    for (const auto &node : m_nodes)
        ::close(node->fd);
}

QString UmockdevReceiver::vendorNode() const
{
    for (const auto &node : m_nodes) {
        if (node->vendor)
            return "/dev/" + node->name;
    }
    return {};
}

void UmockdevReceiver::plug()
{
    const QString pid = QStringLiteral("%1").arg(m_options.productId, 4, 16, QChar('0'));
    const QString name = QStringLiteral("VoxBench USB Receiver");
    QList<QByteArray> records;
    records << record(m_usbPath, {"E: SUBSYSTEM=usb", "E: DEVTYPE=usb_device",
                                  "E: PRODUCT=5a17/" + pid + "/104", "A: idVendor=5a17",
                                  "A: idProduct=" + pid, "A: bcdDevice=0104", "A: manufacturer=VoxBench",
                                  "A: product=" + name, "A: serial=UMD0000" + QString::number(m_number),
                                  "A: busnum=1", "A: devnum=" + QString::number(m_number + 1)});
    for (const auto &node : m_nodes) {
        const int interface = int(&node - &m_nodes[0]);
        records << record(node->ifPath,
                          {"E: SUBSYSTEM=usb", "E: DEVTYPE=usb_interface",
                           "A: bInterfaceNumber=0" + QString::number(interface), "A: bInterfaceClass=03"});
        const QByteArray descriptor = node->vendor ? kVendorDescriptor : kConsumerDescriptor;
        records << record(node->hidPath,
                          {"E: SUBSYSTEM=hid", "E: HID_ID=0003:00005A17:0000" + pid.toUpper(),
                           "E: HID_NAME=VoxBench " + name, "E: HID_UNIQ=UMD0000" + QString::number(m_number),
                           "H: report_descriptor=" + QString::fromLatin1(descriptor.toHex())});
        records << record(node->rawPath, {"E: SUBSYSTEM=hidraw", "E: DEVNAME=/dev/" + node->name,
                                          "A: dev=243:" + node->name.mid(6),
                                          "L: device=../../../" + node->hidPath.section('/', -1)});
    }
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (const auto &node : m_nodes) {
            // Removing the device took its node with it: a new one, as the kernel makes.
            struct stat status = {};
            if (::stat(node->fifo.constData(), &status) != 0 || !S_ISFIFO(status.st_mode)) {
                ::close(node->fd);
                ::unlink(node->fifo.constData());
                ::mkfifo(node->fifo.constData(), 0600);
                node->fd = ::open(node->fifo.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
                node->flagged = false;
                if (m_options.denyOpen)
                    ::chmod(node->fifo.constData(), 0);
            }
            node->dead = false;
            node->ready.clear();
            if (node->flagged) {
                char byte;
                (void)!::read(node->fd, &byte, 1);
                node->flagged = false;
            }
        }
        m_peqAccepted = 0;
        m_spectrumOn = false;
        m_due.clear();
    }
    for (const QByteArray &text : records) {
        GError *error = nullptr;
        if (!umockdev_testbed_add_from_string(m_bed, text.constData(), &error))
            qFatal("add_from_string: %s\n%s", error ? error->message : "?", text.constData());
    }
    m_plugged = true;
}

void UmockdevReceiver::unplug()
{
    if (!m_plugged)
        return;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        // Readers wake and fail, writers fail, as on a removed hidraw node.
        for (const auto &node : m_nodes) {
            node->dead = true;
            signalReady(*node);
            // Gone before anyone hears of it, as udev deletes the node before it
            // passes the event on: an open from now on fails. plug() makes it again.
            ::unlink(node->fifo.constData());
        }
        m_spectrumOn = false;
        m_due.clear();
    }
    QStringList paths;
    // Out of the hidraw class first: an enumeration that runs when the program
    // hears of the removal finds it no longer, as the kernel has it gone by then.
    const QString root = QString::fromUtf8(umockdev_testbed_get_root_dir(m_bed));
    for (const auto &node : m_nodes)
        ::unlink((root + "/sys/class/hidraw/" + node->name).toUtf8().constData());
    for (const auto &node : m_nodes)
        paths << node->rawPath;
    for (const auto &node : m_nodes)
        paths << node->hidPath;
    for (const auto &node : m_nodes)
        paths << node->ifPath;
    paths << m_usbPath;
    // Each device leaves sysfs right after its event (the event needs its
    // uevent file), children first: as on the kernel, a program that hears of a
    // removal no longer finds the device.
    for (const QString &path : paths) {
        umockdev_testbed_uevent(m_bed, path.toUtf8().constData(), "remove");
        umockdev_testbed_remove_device(m_bed, path.toUtf8().constData());
    }
    m_plugged = false;
}

void UmockdevReceiver::pullOut()
{
    unplug();
}

void UmockdevReceiver::setSilent(bool silent)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_silent = silent;
}

void UmockdevReceiver::unplugAfterPeq(int count)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_vanishAfterPeq = count;
    m_peqAccepted = 0;
}

void UmockdevReceiver::forgetSettings()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_model.forget();
}

std::map<EmulatedReceiver::HeldKey, EmulatedReceiver::Report> UmockdevReceiver::held()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_model.held();
}

std::vector<UmockdevReceiver::Report> UmockdevReceiver::reports()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_reports;
}

void UmockdevReceiver::clearReports()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_reports.clear();
}

qint64 UmockdevReceiver::lastOpenNs()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_lastOpenNs;
}

int UmockdevReceiver::strayWrites()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_strayWrites;
}

bool UmockdevReceiver::waitForReports(int count, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (int(reports().size()) < count) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

void UmockdevReceiver::signalReady(Node &node)
{
    if (node.flagged)
        return;
    const char byte = 1;
    node.flagged = ::write(node.fd, &byte, 1) == 1;
}

// The handlers run on umockdev's worker thread.
int UmockdevReceiver::onIoctl(UMockdevIoctlBase *, UMockdevIoctlClient *client, void *data)
{
    auto *node = static_cast<Node *>(data);
    if (umockdev_ioctl_client_get_request(client) != HIDIOCGRDESCSIZE) {
        umockdev_ioctl_client_complete(client, -1, ENOTTY);
        return true;
    }
    GError *error = nullptr;
    UMockdevIoctlData *arg = umockdev_ioctl_client_get_arg(client);
    UMockdevIoctlData *size = umockdev_ioctl_data_resolve(arg, 0, sizeof(int), &error);
    if (!size) {
        umockdev_ioctl_client_complete(client, -1, EFAULT);
        return true;
    }
    *reinterpret_cast<int *>(size->data) = (node->vendor ? kVendorDescriptor : kConsumerDescriptor).size();
    if (node->vendor) {
        std::lock_guard<std::mutex> guard(node->owner->m_lock);
        node->owner->m_lastOpenNs = nowNs();
    }
    umockdev_ioctl_client_complete(client, 0, 0);
    return true;
}

int UmockdevReceiver::onRead(UMockdevIoctlBase *, UMockdevIoctlClient *client, void *data)
{
    auto *node = static_cast<Node *>(data);
    node->owner->read(*node, client);
    return true;
}

int UmockdevReceiver::onWrite(UMockdevIoctlBase *, UMockdevIoctlClient *client, void *data)
{
    auto *node = static_cast<Node *>(data);
    node->owner->write(*node, client);
    return true;
}

void UmockdevReceiver::read(Node &node, UMockdevIoctlClient *client)
{
    std::unique_lock<std::mutex> lock(m_lock);
    if (node.dead) {
        lock.unlock();
        umockdev_ioctl_client_complete(client, -1, EIO);
        return;
    }
    if (node.ready.empty()) {
        lock.unlock();
        umockdev_ioctl_client_complete(client, -1, EAGAIN);
        return;
    }
    EmulatedReceiver::Report report = std::move(node.ready.front());
    node.ready.pop_front();
    if (node.ready.empty() && node.flagged) {
        char byte;
        (void)!::read(node.fd, &byte, 1);
        node.flagged = false;
    }
    lock.unlock();
    UMockdevIoctlData *arg = umockdev_ioctl_client_get_arg(client);
    const int count = std::min<int>(arg->data_len, int(report.size()));
    umockdev_ioctl_data_update(arg, 0, report.data(), count);
    umockdev_ioctl_client_complete(client, count, 0);
}

void UmockdevReceiver::write(Node &node, UMockdevIoctlClient *client)
{
    using namespace UsbHidFrame;
    UMockdevIoctlData *arg = umockdev_ioctl_client_get_arg(client);
    const auto *bytes = static_cast<const std::uint8_t *>(static_cast<const void *>(arg->data));
    const EmulatedReceiver::Report request(bytes, bytes + arg->data_len);
    const int length = int(request.size());
    std::unique_lock<std::mutex> lock(m_lock);
    if (node.dead) {
        // Kept, as failed: a write after the unplug is a fault to see.
        if (node.vendor)
            m_reports.push_back({nowNs(), QByteArray(reinterpret_cast<const char *>(bytes), length), false});
        lock.unlock();
        umockdev_ioctl_client_complete(client, -1, ENODEV);
        return;
    }
    if (!node.vendor) {
        ++m_strayWrites;
        lock.unlock();
        umockdev_ioctl_client_complete(client, -1, EINVAL);
        return;
    }
    // The vendor interface has two output reports: 0x4E of 32 bytes and 0x4F of 64.
    const bool accepted = length > 0 && ((request[0] == kShortOutputId && length == 32) ||
                                         (request[0] == kLongOutputId && length == 64));
    m_reports.push_back({nowNs(), QByteArray(reinterpret_cast<const char *>(bytes), length), accepted});
    if (!accepted) {
        lock.unlock();
        umockdev_ioctl_client_complete(client, -1, EINVAL);
        return;
    }
    const bool isPeq = request[kCommandByte] == static_cast<std::uint8_t>(UsbHidCommand::SetPEQ);
    if (isPeq && m_vanishAfterPeq > 0 && ++m_peqAccepted == m_vanishAfterPeq) {
        // Gone before it could answer; the write itself went through.
        for (const auto &each : m_nodes) {
            each->dead = true;
            signalReady(*each);
        }
        lock.unlock();
        umockdev_ioctl_client_complete(client, length, 0);
        QMetaObject::invokeMethod(this, "pullOut", Qt::QueuedConnection);
        return;
    }
    if (!m_silent) {
        const EmulatedReceiver::Answer answer = m_model.answer(request);
        if (answer.spectrum == EmulatedReceiver::Spectrum::On && !m_spectrumOn) {
            m_spectrumOn = true;
            m_spectrumStartNs = nowNs();
            m_nextFrame = 1;
        } else if (answer.spectrum == EmulatedReceiver::Spectrum::Off) {
            m_spectrumOn = false;
        }
        const qint64 due = nowNs() + qint64(kReplyDelayMs) * 1000000;
        for (const EmulatedReceiver::Report &reply : answer.replies)
            m_due.emplace_back(due, reply);
        m_changed.notify_all();
    }
    lock.unlock();
    umockdev_ioctl_client_complete(client, length, 0);
}

// Moves replies to the vendor node when they are due, and streams the spectrum while it is on.
void UmockdevReceiver::serve()
{
    std::unique_lock<std::mutex> lock(m_lock);
    Node *vendor = nullptr;
    for (const auto &node : m_nodes) {
        if (node->vendor)
            vendor = node.get();
    }
    while (!m_stopping) {
        const qint64 now = nowNs();
        const qint64 periodNs = qint64(m_options.spectrumMs) * 1000000;
        while (!m_due.empty() && m_due.front().first <= now) {
            if (!vendor->dead && vendor->ready.size() < kMaxQueued)
                vendor->ready.push_back(std::move(m_due.front().second));
            m_due.pop_front();
            signalReady(*vendor);
        }
        qint64 wake = m_due.empty() ? now + 100000000 : m_due.front().first;
        if (m_spectrumOn && !m_silent) {
            const qint64 frameAt = m_spectrumStartNs + periodNs * qint64(m_nextFrame);
            if (frameAt <= now) {
                if (!vendor->dead && vendor->ready.size() < kMaxQueued)
                    vendor->ready.push_back(
                        EmulatedReceiver::spectrumReport(m_nextFrame, m_options.spectrumMs));
                ++m_nextFrame;
                signalReady(*vendor);
                continue;
            }
            wake = std::min(wake, frameAt);
        }
        m_changed.wait_for(lock, std::chrono::nanoseconds(std::max<qint64>(wake - now, 100000)));
    }
}
