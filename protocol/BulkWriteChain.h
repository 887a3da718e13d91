#pragma once

#include <optional>
#include <string_view>

// The bulk write of a restored file. It opens with the announcement: the reference-set choice
// "a saved file follows" ("Sj0004\r"). Once the controller has echoed it, the values go out in
// this order, one set command per echo.
inline constexpr char kBulkWriteAnnouncementLetter = 'j';
inline constexpr int kBulkWriteAnnouncementValue = 4;
inline constexpr std::string_view kBulkWriteOrder = "CABPDEFGYZRT`@#$!JK%)_+^&(LQabcdef=ghiMNO";

// What the echo of a letter's set command means to the bulk write.
struct BulkWriteStep {
    enum class Kind { NotInChain, Next, Finished } kind = Kind::NotInChain;
    char next = 0;  // the letter to send when kind is Next
};

// The echo of the announcement leads to the first value, each value's echo to the next.
BulkWriteStep BulkWriteStepAfter(char echoed);
