#pragma once

#include <QByteArrayView>

// The firmware upload as the receive dispatcher sees it. In the device-tag mode (30) and the
// boot-loader modes (2 to 6) the dispatcher has no replies of its own to recognise: it appends
// each event's bytes to the receive buffer as always and hands the event on to this receiver.
// The upload (upgrade/) implements it; keeping the interface here lets the dispatcher forward
// without depending on the upgrade library, which builds on this one.
class IUpgradeReceiver {
public:
    virtual ~IUpgradeReceiver() = default;
    // `received`: the bytes this event appended to the buffer (none for an event without data).
    virtual void OnUpgradeReceive(QByteArrayView received) = 0;
};
