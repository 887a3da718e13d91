#include <gtest/gtest.h>

#include "ParameterTooltips.h"

namespace {

TEST(ParameterTooltipsTest, FirstSentenceJoinsTheWrappedLinesAndStopsAtTheFirstEnd) {
    const std::pair<const char*, const char*> cases[] = {
        {"主要是让飞行器稳定。\r\r如果从头开始调", "主要是让飞行器稳定。"},
        // The message box's line breaks fall inside a sentence.
        {"抑制抖动，减缓主稳定度\r\r和辅助稳定度。前面", "抑制抖动，减缓主稳定度和辅助稳定度。"},
        {"提示：设置并保存到飞控中!\r\r描述", "提示：设置并保存到飞控中!"},
        {"无效！。", "无效！"},
        {"\r\r没有句号的说明", "没有句号的说明"},
        {"", ""},
    };
    for (const auto& [help, first] : cases)
        EXPECT_EQ(ParameterTooltips::FirstSentence(QString::fromUtf8(help)),
                  QString::fromUtf8(first))
            << help;
}

}  // namespace
