// What a restore of a file would change, compared as the restore sends it.
#include <gtest/gtest.h>

#include "GoldenFile.h"
#include "ParamTable.h"
#include "ParameterDiff.h"

namespace {

TEST(ParameterDiff, ListsWhatTheRestoreWouldChangeAsTheWindowShowsIt) {
    struct Case {
        const char* what;
        int slot;        // of the cache (the controller) changed from the golden values
        int controller;  // value put there
        int version;
        std::vector<char> letters;
        int shownController;
        int shownFile;
    };
    const Case cases[] = {
        {"equal", 0, 5, 1218, {}, 0, 0},
        {"a gain", 3, 44, 1218, {'C'}, 44, 45},
        {"frame type", 0, 16, 1218, {'A'}, 16, 5},
        {"a servo centre", 23, 0, 1218, {'&'}, 0, -3},
        {"a switch cell", 55, 0, 1218, {'a'}, 128, 129},
        {"the battery flag is always sent set", 31, 0, 1218, {}, 0, 0},
        {"the frame is not restored", 175, 6, 1218, {}, 0, 0},
        // Up to 1.211 the read-back shows the gimbal ratios 100 lower than they are held.
        {"old firmware, ratio as held", 17, 50, 1211, {}, 0, 0},
        {"old firmware, ratio differs", 17, 40, 1211, {'K'}, 40, 50},
    };
    for (const Case& c : cases) {
        auto cache = GoldenCache();
        if (c.version <= kGimbalOffsetLastVersion)
            for (char letter : {'K', 'J', '%'}) cache[*CacheSlotOf(letter)] -= 100;
        cache[c.slot] = c.controller;
        const auto differences = DiffParameters(GoldenValues(), cache, c.version);
        std::vector<char> letters;
        for (const ParameterDifference& d : differences) letters.push_back(d.letter);
        EXPECT_EQ(letters, c.letters) << c.what;
        if (differences.size() != 1) continue;
        EXPECT_EQ(differences[0].controller, c.shownController) << c.what;
        EXPECT_EQ(differences[0].file, c.shownFile) << c.what;
    }
}

}  // namespace
