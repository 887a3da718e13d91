#pragma once

#include <array>
#include <functional>
#include <span>

#include "ParameterCache.h"

// What a page or dialog may ask of the controller session: the intents that write to the
// controller, and the values it holds, read only. Every intent is dropped while a firmware
// upload owns the line; a send the port refuses throws CommError and leaves the cache as the
// controller last confirmed it.
class IControllerIntents {
public:
    // Whether a set command's value goes into the parameter cache once it has been sent.
    enum class CacheUpdate { Store, Keep };

    virtual ~IControllerIntents() = default;

    // One setting as the window shows it, encoded for the firmware and sent in mode 0; the
    // cache takes the value the controller keeps for it. After the axis count ('k') nothing
    // goes out for 100 ms: the controller rebuilds its mixer.
    virtual void SetParameter(char letter, int shown, CacheUpdate update = CacheUpdate::Store) = 0;
    // A switch-grid row (mode 0) or a reverse mask (mode kept), stale input dropped first.
    virtual void SetSwitchRow(char letter, int mask) = 0;
    // A switch row and the row linked with it (heading lock and care-free), the linked one
    // 20 ms after the first, as the controller needs between the two.
    virtual void SetLinkedSwitchRows(char letter, int mask, char linked, int linkedMask) = 0;
    virtual void SetReverseMask(char letter, int mask) = 0;
    // The declination (mode 15); its echo is awaited for a second.
    virtual void SetDeclination(int degrees) = 0;
    // The propeller direction mask of the custom frame (mode 15); its echo is awaited.
    virtual void SetMotorDirections(int mask) = 0;
    // The four cell voltages: "S0" with the first, each echo the next running sum up to "S3".
    virtual void Calibrate(const std::array<int, 4>& cells) = 0;
    // Once the read-back on the line has ended: the frame record k..y, each value after the
    // echo of the one before. The record is this copy; the cache keeps it once "Sy" is echoed.
    virtual void SaveFrame(const std::array<int, 15>& record) = 0;
    // Once the read-back on the line has ended: "?k" .. "?z", the frame-geometry read-back.
    virtual void ReadFrame() = 0;
    virtual void StartLiveDisplay() = 0;
    virtual void StopLiveDisplay() = 0;

    // The controller's values as last known; a control watches its letter here (Watch).
    virtual const ParameterCache& Cache() const = 0;
    virtual int FirmwareVersion() const = 0;
    // A firmware upload owns the line: nothing else is sent.
    virtual bool UploadRunning() const = 0;
};
