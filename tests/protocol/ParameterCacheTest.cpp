#include <gtest/gtest.h>

#include <QObject>
#include <memory>
#include <vector>

#include "ParamTable.h"
#include "ParameterCache.h"

namespace {

struct Heard {
    char letter;
    int shown;
    bool operator==(const Heard&) const = default;
};

}  // namespace

// A control hears what the controller reports for its own letter, and nothing else: not the
// values the program sent, not other letters, not after the control is gone.
TEST(ParameterCacheTest, AWatcherHearsTheControllersValuesOfItsLetterWhileItLives) {
    ParameterCache cache;
    auto owner = std::make_unique<QObject>();
    std::vector<Heard> heard;
    const ParameterCache& readOnly = cache;
    for (char letter : {'M', 'k'})
        readOnly.Watch(letter, owner.get(), [&, letter](int shown) {
            heard.push_back({letter, shown});
        });

    cache.StoreSent('M', 0x05);  // sent by the control itself: nobody told
    cache.StoreRead('M', 0x93);
    cache.StoreRead('Q', 12);  // another letter
    cache.StoreRead('k', 6);   // no slot, still told
    EXPECT_EQ(heard, (std::vector<Heard>{{'M', 0x93}, {'k', 6}}));
    EXPECT_EQ(MaskFromCache('M', cache), 0x93);

    owner.reset();
    cache.StoreRead('M', 0x01);
    EXPECT_EQ(heard.size(), 2u);
    EXPECT_EQ(MaskFromCache('M', cache), 0x01);

    // A copy keeps the values, never the watchers.
    const ParameterCache copy = cache;
    EXPECT_EQ(MaskFromCache('M', copy), 0x01);
}
