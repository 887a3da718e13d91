#include "BulkWriteChain.h"

static_assert(kBulkWriteOrder.size() == 41, "the bulk write sends 41 set commands");

BulkWriteStep BulkWriteStepAfter(char echoed) {
    if (echoed == kBulkWriteAnnouncementLetter)
        return {BulkWriteStep::Kind::Next, kBulkWriteOrder.front()};
    const std::size_t at = kBulkWriteOrder.find(echoed);
    if (at == std::string_view::npos) return {};
    if (at + 1 == kBulkWriteOrder.size()) return {BulkWriteStep::Kind::Finished};
    return {BulkWriteStep::Kind::Next, kBulkWriteOrder[at + 1]};
}
