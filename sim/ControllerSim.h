#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>

#include "SimBootLoader.h"
#include "SimConfig.h"
#include "SimFaults.h"
#include "SimLiveStream.h"
#include "SimParameterStore.h"

// The flight controller's side of the serial line as a pure byte model: it consumes the bytes
// the configuration tool sends, in any chunking, and produces the controller's bytes through
// onOutput, one call per reply or live frame. No timers, no event loop: the live stream
// advances only on TickLive(), so a driver decides the pace.
//
// Frames it understands: "?X\r" (answered "?X\r=dddd\r\n"), "SXdddd\r" (stored, echoed
// "SXdddd\r\n"; a lenient number of digits is accepted), "Sj000n\r" (loads reference set n),
// "S~0001\r"/"S~0000\r" (live stream on/off), "?W\r" (device tag), "UPQZMC\r"/"UPQZEC\r"
// (boot loader start, answered "RADY"); then 64-byte packets until the upload is confirmed.
class ControllerSim {
public:
    explicit ControllerSim(const SimConfig& config = {});

    void Receive(QByteArrayView bytes);
    // One round of live frames, when the live stream is on.
    void TickLive();
    bool LiveOn() const { return m_bLive; }
    // Power off and on: the boot loader and the live stream stop, parameters are kept.
    void PowerCycle();

    SimParameterStore& Parameters() { return m_store; }
    const SimParameterStore& Parameters() const { return m_store; }
    SimFaults& Faults() { return m_faults; }
    const SimBootLoader& BootLoader() const { return m_bootLoader; }
    const SimLiveStream& LiveStream() const { return m_live; }

    void SetFirmwareVersion(int version) { m_nVersion = version; }
    int FirmwareVersion() const { return m_nVersion; }
    // Four characters, "QZMC" or "QZEC".
    void SetDeviceTag(const QByteArray& tag);
    const QByteArray& DeviceTag() const { return m_deviceTag; }
    void SetQuietSets(bool quiet) { m_bQuietSets = quiet; }
    qint64 BytesSent() const { return m_nBytesSent; }

    // The controller's bytes towards the tool.
    std::function<void(const QByteArray&)> onOutput;
    // The live stream was switched on or off.
    std::function<void(bool on)> onLiveChanged;
    // Every complete frame received: an ASCII frame with its "\r", or a 64-byte packet.
    std::function<void(const QByteArray& frame, bool packet)> onFrame;
    // An upload was confirmed with a matching sum: the image the controller now runs.
    std::function<void(const QByteArray& image)> onFirmwareInstalled;
    // Things worth a line in a log: faults that struck, boot loader entered and left.
    std::function<void(const QString& what)> onEvent;

private:
    void ReceiveAscii(char byte);
    void ReceivePacketByte(char byte);
    void FinishUpload();
    void HandleFrame(const QByteArray& frame);
    void HandleQuery(char letter);
    void HandleSet(char letter, const QByteArray& text);
    void HandleUpgradeStart(const QByteArray& tag);
    void SetLive(bool on);
    void Reply(const QByteArray& key, const QByteArray& bytes);
    void Emit(QByteArray bytes);
    QByteArray Noise(int count);
    void Note(const QString& what);

    SimParameterStore m_store;
    SimFaults m_faults;
    SimBootLoader m_bootLoader;
    SimLiveStream m_live;
    int m_nVersion;
    QByteArray m_deviceTag;
    bool m_bQuietSets;
    bool m_bResetOnUpgrade = false;
    SimConfig m_shapes;  // the answers' shapes (line end, echoes left out or cut short)
    bool m_bLive = false;
    bool m_bSilent = false;
    QByteArray m_line;
    qint64 m_nBytesSent = 0;
    quint32 m_nNoiseSeed = 0x2545F491u;
};
