#pragma once

// A receiver as the kernel shows it, built in a umockdev test bed: the USB
// device, its two interfaces (consumer control on usage page 0x000C, the
// vendor one on 0xFF00), their hid devices and hidraw nodes. The nodes are
// FIFOs of our own with an ioctl handler, so reports keep their boundaries;
// the handler answers with the receiver model the emulator uses. Every report
// written is kept with its time.

#include "tools/emulator/EmulatedReceiver.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

typedef struct _UMockdevTestbed UMockdevTestbed;
typedef struct _UMockdevIoctlBase UMockdevIoctlBase;
typedef struct _UMockdevIoctlClient UMockdevIoctlClient;

class UmockdevReceiver : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        quint16 productId = 0x4152;
        quint32 identity = 0x0a1b2c3d;
        bool vendorFirst = false; // the vendor interface's node enumerated before the consumer one
        bool denyOpen = false;    // nodes nobody but their owner's full privileges may open
        int spectrumMs = 50;
    };

    struct Report
    {
        qint64 ns; // on the harness's clock, nowNs()
        QByteArray bytes;
        bool accepted;
    };

    UmockdevReceiver(UMockdevTestbed *bed, const Options &options);
    ~UmockdevReceiver() override;

    // Announces the whole device (udev "add", parents first).
    void plug();
    // Pulls it out: open handles fail from now on, "remove" children first.
    void unplug();
    bool plugged() const { return m_plugged; }

    // Takes every report and never answers.
    void setSilent(bool silent);
    // Pulled out right after accepting its n-th SetPEQ report, before answering it.
    void unplugAfterPeq(int count);
    // Loses what it held, as after a loss of power.
    void forgetSettings();
    std::map<EmulatedReceiver::HeldKey, EmulatedReceiver::Report> held();

    // Reports written to the vendor interface since the last clear, in order.
    std::vector<Report> reports();
    void clearReports();
    // When the vendor node was last opened (hidapi's open asks its descriptor
    // size), on the clock of the reports; -1 before any open.
    qint64 lastOpenNs();
    // Waits, running the event loop, until `count` reports have come.
    bool waitForReports(int count, int timeoutMs);
    // Writes to any other node (never expected).
    int strayWrites();

    QString vendorNode() const;
    static qint64 nowNs();

private:
    struct Node;
    static int onIoctl(UMockdevIoctlBase *, UMockdevIoctlClient *client, void *node);
    static int onRead(UMockdevIoctlBase *, UMockdevIoctlClient *client, void *node);
    static int onWrite(UMockdevIoctlBase *, UMockdevIoctlClient *client, void *node);
    void write(Node &node, UMockdevIoctlClient *client);
    void read(Node &node, UMockdevIoctlClient *client);
    void signalReady(Node &node); // under m_lock
    void serve();
    Q_INVOKABLE void pullOut();

    UMockdevTestbed *m_bed;
    Options m_options;
    int m_number;
    QString m_usbPath;
    std::vector<std::unique_ptr<Node>> m_nodes; // consumer, vendor
    bool m_plugged = false;

    std::mutex m_lock;
    std::condition_variable m_changed;
    EmulatedReceiver m_model;
    std::vector<Report> m_reports;
    int m_strayWrites = 0;
    qint64 m_lastOpenNs = -1;
    bool m_silent = false;
    int m_vanishAfterPeq = 0;
    int m_peqAccepted = 0;
    bool m_spectrumOn = false;
    qint64 m_spectrumStartNs = 0;
    quint64 m_nextFrame = 1;
    std::deque<std::pair<qint64, EmulatedReceiver::Report>> m_due; // replies with the time they are due
    bool m_stopping = false;
    std::thread m_server;
};
