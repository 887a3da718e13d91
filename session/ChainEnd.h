#pragma once

#include <QString>
#include <optional>

#include "IUploadListener.h"

// The chains the controller session runs for its callers, and how each one ended.
enum class Chain {
    ReadBack,       // "?V" and the 48 queries after it, up to "?j"
    FrameRead,      // the frame geometry, "?k" to "?z"
    ChosenRead,     // the queries of chosen letters (vexactl's get)
    LiveDisplay,    // "S~0001" and the live frames (mode 10)
    Restore,        // the bulk write of a parameter file (mode 7)
    Calibration,    // the battery calibration sums '0' to '3' (mode 15)
    FrameSave,      // the frame record k to y (mode 15)
    Declination,    // one "SQ" command (mode 15)
    Directions,     // one "Sz" command, the propeller directions (mode 15)
    ReverseReread,  // a reverse mask echoed in mode 15, read back (mode 20)
    ReferenceSet,   // "Sj000n": the controller loads a built-in set; its echo starts the read-back
    AwaitedEcho,    // one set command whose echo the caller waits for (vexactl's set)
    Upload,         // the firmware upload to the boot loader (modes 30 and 2 to 6)
};

enum class ChainResult {
    Done,        // the last answer came
    OtherValue,  // every answer came, but the echo of `letter` (the first such) carried another
                 // value than was sent: the controller stored something else
    Refused,     // nothing was sent: a firmware upload owns the line, or the port refused it
    NoAnswer,    // the answer to `letter` did not come in time; nothing is sent twice
    LineLost,    // the port went away while the chain waited
    Replaced,    // another intent took the line; the chain's later links were not sent
};

struct ChainEnd {
    Chain chain;
    ChainResult result;
    // The letter whose answer ended the chain or did not come (0 when none applies).
    char letter = 0;
    // An upload's end: how it ended and where it stood (the upload's own words for it).
    std::optional<UploadOutcome> upload = std::nullopt;
};

// The conversation's last answer came (whatever value its echo carried).
inline bool LastAnswerCame(const ChainEnd& end) {
    return end.result == ChainResult::Done || end.result == ChainResult::OtherValue;
}

// The reads of query replies: one that ends as NoAnswer asked its last query twice in vain, and
// the values from that letter on were not read.
constexpr bool IsQueryRead(Chain chain) {
    return chain == Chain::ReadBack || chain == Chain::FrameRead || chain == Chain::ChosenRead;
}

// The step a chain ended at, as a message names it in the given language: the parameter, the
// calibration step, the frame value ("电机3 Y", "motor 3 Y").
QString ChainStepName(const ChainEnd& end, bool english);
