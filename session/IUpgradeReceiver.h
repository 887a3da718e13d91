#pragma once

#include <QByteArrayView>

// The firmware upload as the line reader sees it. In the device-tag mode (30) and the
// boot-loader modes (2 to 6) the reader cuts no answers: it appends each event's bytes to the
// receive buffer as always and hands the event on to this receiver. The upload
// (session/FirmwareUpload) implements it; the interface lets the reader forward without knowing
// the upload, which itself builds on the reader.
class IUpgradeReceiver {
public:
    virtual ~IUpgradeReceiver() = default;
    // `received`: the bytes this event appended to the buffer (none for an event without data).
    virtual void OnUpgradeReceive(QByteArrayView received) = 0;
};
