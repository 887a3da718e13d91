#include "ReadBackChain.h"

#include <array>

namespace {

constexpr char kNotInChain = 0x7f;  // DEL is never a parameter letter
constexpr char kChainEnd = 0;

// For every byte value: kNotInChain, kChainEnd, or the letter of the next query.
constexpr std::array<char, 256> BuildSuccessors() {
    std::array<char, 256> next{};
    next.fill(kNotInChain);
    for (std::string_view chain : {kReadBackOrder, kFrameGeometryOrder})
        for (std::size_t i = 0; i < chain.size(); ++i)
            next[static_cast<unsigned char>(chain[i])] =
                i + 1 < chain.size() ? chain[i + 1] : kChainEnd;
    return next;
}

constexpr std::array<char, 256> kSuccessor = BuildSuccessors();

static_assert(kReadBackOrder.size() == 49, "the read-back asks 49 queries");

}  // namespace

bool IsChainQuery(char letter) {
    return kSuccessor[static_cast<unsigned char>(letter)] != kNotInChain;
}

std::optional<char> NextQueryAfter(char letter) {
    const char next = kSuccessor[static_cast<unsigned char>(letter)];
    if (next == kNotInChain || next == kChainEnd) return std::nullopt;
    return next;
}
