#pragma once

struct LiveFrame;

// The news of the controller's answers, as the program that shows them hears it (the main
// window, vexactl) through the session: values read (already stored in the parameter cache),
// the steps of each conversation, live frames.
class IProtocolListener {
public:
    virtual ~IProtocolListener() = default;

    // The "?V" reply: the firmware version number (1218 for 1.218).
    virtual void OnFirmwareVersion(int /*version*/) {}
    // The last reply of the read-back chain ("?j") has been handled.
    virtual void OnReadBackFinished() {}
    // A link of the bulk write went out: the announcement (letter j, whose echo nothing waits
    // for) or the set command of a restored value, whose echo is awaited.
    virtual void OnBulkWriteLinkSent(char /*letter*/) {}
    // The "SO" echo ended the bulk write of a restored file; "?V\r" has been sent.
    virtual void OnBulkWriteFinished() {}
    // The echo of a reference-set choice has come; the read-back of the loaded set starts.
    virtual void OnReferenceSetEchoed() {}
    // The "S3" echo ended the battery calibration chain.
    virtual void OnCalibrationFinished() {}
    // An echo was taken in mode 15; the next link of its chain (if any) has been sent.
    virtual void OnSpecialSetEchoed(char /*letter*/) {}
    // The reply of the reverse re-read (N or O) has been stored and the live display resumed.
    virtual void OnReverseReread(char /*letter*/) {}
    // The "?y" reply of the frame-geometry read-back has been stored: every extent and
    // coordinate is known, the frame plan can be redrawn.
    virtual void OnFrameGeometryRead() {}
    // The "?z" reply ended the frame-geometry read-back.
    virtual void OnFrameReadFinished() {}
    // A live data frame has been parsed (receive mode 10); its channel values are already in
    // the protocol state.
    virtual void OnLiveFrame(const LiveFrame&) {}
    // Every query reply a read recognises, before its value is applied: the letter and the
    // wire value as it came (also for H and I, and for a zero that will be asked again).
    virtual void OnQueryReply(char /*letter*/, int /*wire*/) {}
    // The last letter of a read of chosen letters (StartChosenRead) has been answered.
    virtual void OnChosenReadFinished() {}
    // The echo of a set command sent with SendAwaitingEcho has come.
    virtual void OnSetEchoed(char /*letter*/) {}
    // An awaited echo (of a restored value, a special set, SendAwaitingEcho) carried another
    // value than the frame sent: the controller answered with what it stored. The chain goes on.
    virtual void OnEchoWithOtherValue(char /*letter*/, int /*echoed*/) {}
    // A read-back chain (the full one or the frame geometry) waited in vain for the reply to
    // the query of `letter`, also after asking it once more: the chain has ended there, and
    // the values from that letter on were not read.
    virtual void OnReadBackIncomplete(char /*letter*/) {}
};
