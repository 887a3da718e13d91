// The frame plan's geometry and the coordinate checks, as plain functions; one rendered plan.
#include <gtest/gtest.h>

#include <QImage>
#include <vector>

#include "FramePlan.h"
#include "FramePlanView.h"
#include "FrameShape.h"

namespace {

struct OutlineCase {
    const char* name;
    std::vector<int> x;
    std::vector<int> y;
    std::vector<int> order;  // motor indices, 0 for M1
};

TEST(FramePlan, OutlineRunsByAngleWithTheTieRule) {
    const OutlineCase cases[] = {
        {"X frame: 45, 135, 225, 315 degrees",
         {200, -200, -200, 200},
         {200, -200, 200, -200},
         {0, 2, 1, 3}},
        {"coaxial pairs keep their numbers' order",
         {0, 0, -260, -260, 260, 260},
         {300, 300, -150, -150, -150, -150},
         {0, 1, 2, 3, 4, 5}},
        {"on one ray the motor further right comes first",
         {100, 200, -300, 0},
         {100, 200, 0, -300},
         {1, 0, 2, 3}},
        {"the centre counts as angle 0, like the positive X axis",
         {0, 100, 0, -100},
         {0, 0, 100, 0},
         {1, 0, 2, 3}},
        {"both sides of the negative Y axis",
         {0, 1, -1, -100},
         {-100, -100, -100, 1},
         {3, 2, 0, 1}},
    };
    for (const OutlineCase& c : cases) EXPECT_EQ(OutlineOrder(c.x, c.y), c.order) << c.name;
}

TEST(FramePlan, ScreenPositionsFollowTheLargerSpanAndTruncate) {
    struct Case {
        int maxX, maxY, x, y;
        int pixelX, pixelY;
    };
    const Case cases[] = {
        {1000, 500, 1000, 500, 580, 110},  // the larger span is 80 pixels
        {650, 650, 0, 0, 500, 150},        // the centre
        {650, 650, 1, -1, 500, 150},       // 500.12, 150.12: truncated
        {650, 650, -1, 1, 499, 149},       // 499.88, 149.88
        {0, 0, 0, 0, 500, 150},            // no span at all: everything on the centre
    };
    for (const Case& c : cases) {
        const PlanPoint at = ScreenPosition(c.x, c.y, PlanScale(c.maxX, c.maxY));
        EXPECT_EQ(PlanPixel(at.x), c.pixelX) << c.maxX << " " << c.x;
        EXPECT_EQ(PlanPixel(at.y), c.pixelY) << c.maxY << " " << c.y;
    }
}

TEST(FramePlan, AxisCountDecidesWhatIsDrawnAndOutlined) {
    FrameShape shape;
    shape.maxX = shape.maxY = 650;
    shape.motorX = {200, -200, -200, 200, 600, -600};
    shape.motorY = {200, -200, 200, -200, 0, 0};
    for (const auto& [count, drawn, outlined] :
         {std::tuple{0, 4, 0}, std::tuple{4, 4, 4}, std::tuple{6, 6, 6}}) {
        shape.axisCount = count;
        const PlanLayout layout = LayOutPlan(shape);
        EXPECT_EQ(layout.drawnMotors, drawn) << count;
        EXPECT_EQ(layout.outline.size(), std::size_t(outlined)) << count;
    }
    shape.axisCount = 6;
    EXPECT_EQ(LayOutPlan(shape).outline, (std::vector<int>{4, 0, 2, 5, 1, 3}));
}

TEST(FrameShape, CoordinatesAreCheckedInOrderAgainstSpanAndDigits) {
    struct Case {
        const char* name;
        int maxX, maxY;
        CoordinateField field;
        int value;
        std::optional<CoordinateField> failure;
    };
    const Case cases[] = {
        {"plus max passes", 650, 600, {1, false}, 650, std::nullopt},
        {"minus max passes", 650, 600, {1, true}, -600, std::nullopt},
        {"max + 1 fails as X", 650, 600, {2, false}, 651, CoordinateField{2, false}},
        {"below minus max fails as Y", 650, 600, {3, true}, -601, CoordinateField{3, true}},
        {"a zero span admits only 0", 0, 600, {0, false}, 1, CoordinateField{0, false}},
        {"motor 6 is checked on any frame", 650, 600, {5, true}, 700, CoordinateField{5, true}},
        {"+5000 does not fit four digits", 5000, 5000, {2, false}, 5000, CoordinateField{2, false}},
        {"-5000 does", 5000, 5000, {2, true}, -5000, std::nullopt},
    };
    for (const Case& c : cases) {
        FrameShape shape;
        shape.axisCount = 4;
        shape.maxX = c.maxX;
        shape.maxY = c.maxY;
        (c.field.isY ? shape.motorY : shape.motorX)[c.field.motor] = c.value;
        EXPECT_EQ(FirstInvalidCoordinate(shape), c.failure) << c.name;
    }
    FrameShape two;
    two.maxX = two.maxY = 100;
    two.motorX[1] = 101;  // M2 X
    two.motorY[0] = 101;  // M1 Y comes first
    EXPECT_EQ(FirstInvalidCoordinate(two), (CoordinateField{0, true}));
    for (int span : {0, 5000}) EXPECT_TRUE(SpanFits(span)) << span;
    for (int span : {-1, 5001}) EXPECT_FALSE(SpanFits(span)) << span;
}

TEST(FramePlanView, PaintsBackgroundAxesMotorsAndOutlineOnEveryPaint) {
    FrameShape shape;
    shape.axisCount = 4;
    shape.maxX = shape.maxY = 650;
    shape.motorX = {200, -200, -200, 200, 400, 0};
    shape.motorY = {200, -200, 200, -200, 100, 0};
    FramePlanView view;
    view.resize(620, 300);
    view.ShowLayout(LayOutPlan(shape));

    // Two paints of the same view: covering and uncovering it draws it all again.
    for (int paint = 0; paint < 2; ++paint) {
        QImage image(view.size(), QImage::Format_RGB32);
        view.render(&image);
        // M1 lies at (524, 125): a corner of its marker is off the outline's two edges.
        EXPECT_EQ(image.pixel(522, 123), FramePlanView::kMarker) << paint;
        EXPECT_EQ(image.pixel(450, 150), FramePlanView::kAxisPen) << paint;     // X axis
        EXPECT_EQ(image.pixel(500, 250), FramePlanView::kAxisPen) << paint;     // Y axis
        EXPECT_EQ(image.pixel(510, 125), FramePlanView::kAxisPen) << paint;     // outline M1-M3
        EXPECT_EQ(image.pixel(549, 137), FramePlanView::kBackground) << paint;  // M5: not drawn
        EXPECT_EQ(image.pixel(385, 280), FramePlanView::kBackground) << paint;
    }

    view.ShowAxesOnly();
    QImage image(view.size(), QImage::Format_RGB32);
    view.render(&image);
    EXPECT_EQ(image.pixel(522, 123), FramePlanView::kBackground);
    EXPECT_EQ(image.pixel(450, 150), FramePlanView::kAxisPen);
}

}  // namespace
