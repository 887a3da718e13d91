#pragma once

struct LiveFrame;

// The news of the controller's answers while a conversation runs, as the program that shows
// them hears it (the main window, vexactl) through the session: the version read, the steps of
// a conversation, live frames. Values read are already in the parameter cache, whose watchers
// hear them; how each conversation ended is told once, as the session's chain end.
class IProtocolListener {
public:
    virtual ~IProtocolListener() = default;

    // The "?V" reply: the firmware version number (1218 for 1.218).
    virtual void OnFirmwareVersion(int /*version*/) {}
    // A link of the bulk write went out: the announcement (letter j, whose echo nothing waits
    // for) or the set command of a restored value, whose echo is awaited.
    virtual void OnBulkWriteLinkSent(char /*letter*/) {}
    // An echo was taken in mode 15; the next link of its chain (if any) has been sent.
    virtual void OnSpecialSetEchoed(char /*letter*/) {}
    // The "?y" reply of the frame-geometry read-back has been stored: every extent and
    // coordinate is known, the frame plan can be redrawn.
    virtual void OnFrameGeometryRead() {}
    // A live data frame has been parsed (receive mode 10); its channel values are already in
    // the protocol state.
    virtual void OnLiveFrame(const LiveFrame&) {}
    // Every query reply a read recognises, before its value is applied: the letter and the
    // wire value as it came (also for H and I, and for a zero that will be asked again).
    virtual void OnQueryReply(char /*letter*/, int /*wire*/) {}
    // An awaited echo (of a restored value, a special set, an awaited set) carried another
    // value than the frame sent: the controller answered with what it stored. The chain goes on.
    virtual void OnEchoWithOtherValue(char /*letter*/, int /*echoed*/) {}
};
