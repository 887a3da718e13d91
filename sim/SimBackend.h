#pragma once

#include <QByteArray>
#include <QObject>

#include "ControllerSim.h"
#include "ICommBackend.h"
#include "SimConfig.h"
#include "SimDriver.h"
#include "SteadyClock.h"

// The serial control's backend for the demonstration mode: every port number leads to one
// in-process simulated controller. What the tool writes goes to the controller; its replies
// and live frames arrive as from a serial port, announced from the event loop (never inside
// Write), and are there for ReadAll as soon as the line has carried them.
//
// The controller listens at 115200 baud, 8 data bits, no parity: on other line settings it
// hears only garbage and stays quiet, as a real one would.
class SimBackend : public QObject, public ICommBackend {
    Q_OBJECT

public:
    explicit SimBackend(const SimConfig& config = {}, QObject* parent = nullptr);
    ~SimBackend() override;

    void Open(int portNumber) override;
    void Close() override;
    bool IsOpen() const override { return m_bOpen; }
    void Configure(const LineSettings& settings) override;
    void SetHardwareHandshake(bool) override {}
    void Write(const QByteArray& bytes) override;
    QByteArray ReadAll() override;
    QString DeviceOf(int portNumber) const override;

    ControllerSim& Controller() { return m_sim; }
    SimDriver& Driver() { return m_driver; }

private:
    void Arrived(const QByteArray& bytes);
    bool LineMatches() const;

    SteadyClock m_clock;
    ControllerSim m_sim;
    SimDriver m_driver;
    bool m_bOpen = false;
    LineSettings m_settings;
    QByteArray m_rx;
};
