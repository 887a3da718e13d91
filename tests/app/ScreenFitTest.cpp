#include <QScrollArea>

#include "MainWindowFixture.h"
#include "ScreenFit.h"

namespace {

TEST(ScreenFitTest, WindowKeepsItsSizeWhereTheScreenHoldsItAndScrollsWhereNot) {
    const QSize content(810, 650);
    const int bar = 15;
    struct Case {
        QSize available;
        QSize expected;
    };
    const Case cases[] = {
        {{1264, 976}, content},     // scale 1: nothing changes
        {{810, 650}, content},      // exactly room enough
        {{624, 464}, {624, 464}},   // scale 2 on 1280x1024: scrolls both ways
        {{803, 566}, {803, 566}},   // scale 1.25 on 1024x768: the vertical bar costs width too
        {{1000, 600}, {825, 600}},  // too low only: room for the vertical bar beside
        {{800, 1000}, {800, 665}},  // too narrow only: room for the horizontal bar below
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScreenFit::FittedSize(content, c.available, bar), c.expected)
            << c.available.width() << "x" << c.available.height();
}

// Whatever the screen shows of the window, its picture (--screenshot) is the whole window.
TEST_F(MainWindowTest, WindowPictureIsTheWholeWindowWhateverTheScreen) {
    CVexaDlg& dlg = Start();
    auto* area = dlg.findChild<QScrollArea*>();
    ASSERT_NE(area, nullptr);
    const QPixmap picture = ScreenFit::Picture(dlg);
    EXPECT_EQ(picture.deviceIndependentSize().toSize(), QSize(810, 684));
    EXPECT_EQ(area->widget()->size(), QSize(810, 684));
}

}  // namespace
