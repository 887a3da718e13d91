#pragma once

#include <optional>
#include <string_view>

// The query orders of the two read-back chains. Each reply asks the next query of its chain.

// The full read-back, started by "?V\r" (port open, refresh, a reference set, a restored file).
inline constexpr std::string_view kReadBackOrder =
    "VCABDEFG!@#$HIJK%^&()_+LRT`YZQ4567MNOPabcdef=ghij";
// The custom frame geometry, started by "?k\r" from the frame editor.
inline constexpr std::string_view kFrameGeometryOrder = "klmnopqrstuvwxyz";

// Whether the letter's query belongs to one of the chains, so that its reply is recognised.
bool IsChainQuery(char letter);

// The query a reply to this letter's query leads to; nullopt at the end of a chain ("?j",
// "?z") and for letters outside the chains.
std::optional<char> NextQueryAfter(char letter);
