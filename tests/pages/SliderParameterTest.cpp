#include <gtest/gtest.h>

#include <QHBoxLayout>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QWidget>

#include "SliderDriver.h"
#include "SliderParameter.h"

namespace {

class SliderParameterTest : public ::testing::Test {
protected:
    void Build(int minimum, int maximum) {
        m_slider = new QSlider(Qt::Horizontal, &m_host);
        m_box = new QLineEdit(&m_host);
        auto* layout = new QHBoxLayout(&m_host);
        layout->addWidget(m_slider);
        layout->addWidget(m_box);
        m_slider->setFixedWidth(320);
        m_parameter = std::make_unique<SliderParameter>('E', m_slider, m_box, minimum, maximum);
        m_host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_host));
        // What the box shows each time the page hears of a move.
        QObject::connect(m_parameter.get(), &SliderParameter::Changing,
                         [this](int) { m_boxWhileMoving.push_back(m_box->text().toInt()); });
        QObject::connect(m_parameter.get(), &SliderParameter::Committed,
                         [this](int value) { m_commits.push_back(value); });
    }

    QWidget m_host;
    QSlider* m_slider = nullptr;
    QLineEdit* m_box = nullptr;
    std::unique_ptr<SliderParameter> m_parameter;
    std::vector<int> m_boxWhileMoving;
    std::vector<int> m_commits;
};

TEST_F(SliderParameterTest, DragCommitsOnceOnReleaseWhileTheBoxFollowsTheThumb) {
    Build(0, 100);
    slider_driver::Drag(m_slider, 37);

    EXPECT_EQ(m_slider->value(), 37);
    EXPECT_EQ(m_box->text(), QStringLiteral("37"));
    ASSERT_GE(m_boxWhileMoving.size(), 2u) << "the box moves with the thumb, not only at the end";
    EXPECT_LT(m_boxWhileMoving.front(), 37);
    EXPECT_EQ(m_commits, std::vector<int>{37});
}

TEST_F(SliderParameterTest, SecondButtonDuringADragDoesNotSplitTheCommit) {
    Build(0, 100);
    QTest::mousePress(m_slider, Qt::LeftButton, {}, slider_driver::ThumbAt(m_slider, 0));
    QTest::mouseMove(m_slider, slider_driver::ThumbAt(m_slider, 30));
    QTest::mousePress(m_slider, Qt::RightButton, {}, slider_driver::ThumbAt(m_slider, 30));
    QTest::mouseRelease(m_slider, Qt::RightButton, {}, slider_driver::ThumbAt(m_slider, 30));
    EXPECT_TRUE(m_commits.empty());

    QTest::mouseMove(m_slider, slider_driver::ThumbAt(m_slider, 45));
    QTest::mouseRelease(m_slider, Qt::LeftButton, {}, slider_driver::ThumbAt(m_slider, 45));
    EXPECT_EQ(m_commits, std::vector<int>{45});
}

TEST_F(SliderParameterTest, ClickOnTheTrackCommitsTheNewPositionOnce) {
    Build(0, 100);
    slider_driver::ClickTrackRight(m_slider);

    EXPECT_EQ(m_slider->value(), m_slider->pageStep());
    EXPECT_EQ(m_commits, std::vector<int>{m_slider->pageStep()});
}

TEST_F(SliderParameterTest, AbsoluteSetClickFiresSliderReleasedButStillCommitsOnce) {
    Build(0, 100);
    QSignalSpy released(m_slider, &QSlider::sliderReleased);
    const int absoluteButtons = m_slider->style()->styleHint(QStyle::SH_Slider_AbsoluteSetButtons);
    if (!(absoluteButtons & Qt::MiddleButton)) GTEST_SKIP() << "style has no absolute-set button";

    QTest::mouseClick(m_slider, Qt::MiddleButton, Qt::NoModifier,
                      slider_driver::ThumbAt(m_slider, 80));

    EXPECT_EQ(released.count(), 1);
    EXPECT_EQ(m_slider->value(), 80);
    EXPECT_EQ(m_commits, std::vector<int>{80});
}

TEST_F(SliderParameterTest, KeyboardMovesTheBoxButNeverCommits) {
    Build(0, 100);
    m_slider->setFocus();
    QTest::keyClick(m_slider, Qt::Key_Right);
    QTest::keyClick(m_slider, Qt::Key_PageUp);
    QTest::keyClick(m_slider, Qt::Key_End);

    EXPECT_EQ(m_box->text(), QStringLiteral("100"));
    EXPECT_EQ(m_boxWhileMoving.size(), 3u);
    EXPECT_TRUE(m_commits.empty());
}

TEST_F(SliderParameterTest, ReadBackOutsideTheRangeShowsInTheBoxWithTheThumbAtTheEnd) {
    Build(280, 400);
    m_parameter->Show(0);

    EXPECT_EQ(m_box->text(), QStringLiteral("0"));
    EXPECT_EQ(m_slider->value(), 280);
    EXPECT_TRUE(m_boxWhileMoving.empty()) << "a read-back is not an operator's change";

    // Pressing the thumb where it stands sends where it stands, not the stale box value.
    const QPoint thumb = slider_driver::ThumbAt(m_slider, 280);
    QTest::mouseClick(m_slider, Qt::LeftButton, Qt::NoModifier, thumb);
    EXPECT_EQ(m_commits, std::vector<int>{280});
    EXPECT_EQ(m_box->text(), QStringLiteral("280"));
}

}  // namespace
