#pragma once

#include <optional>
#include <string_view>

// The order in which the bulk write of a restored file sends its set commands. The first frame
// ("C") is sent by the restore itself; each echo makes the dispatcher send the next one.
inline constexpr std::string_view kBulkWriteOrder = "CABPDEFGYZRT`@#$!JK%)_+^&(LQabcdef=ghiMNO";

// What the echo of a letter's set command means to the bulk write.
struct BulkWriteStep {
    enum class Kind { NotInChain, Next, Finished } kind = Kind::NotInChain;
    char next = 0;  // the letter to send when kind is Next
};

BulkWriteStep BulkWriteStepAfter(char echoed);
