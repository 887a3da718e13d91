#include <gtest/gtest.h>

#include <QHBoxLayout>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QWidget>

#include "FakeClock.h"
#include "SliderDriver.h"
#include "SliderParameter.h"

using namespace std::chrono_literals;

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
        m_parameter =
            std::make_unique<SliderParameter>('E', m_slider, m_box, minimum, maximum, m_clock);
        m_host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_host));
        // What the box shows each time the page hears of a move.
        QObject::connect(m_parameter.get(), &SliderParameter::Changing,
                         [this](int) { m_boxWhileMoving.push_back(m_box->text().toInt()); });
        QObject::connect(m_parameter.get(), &SliderParameter::Committed,
                         [this](int value) { m_commits.push_back(value); });
        QObject::connect(m_parameter.get(), &SliderParameter::Refused, [this](int low, int high) {
            m_refusals.push_back({low, high});
        });
    }

    void Keys(std::initializer_list<Qt::Key> keys) {
        m_slider->setFocus();
        for (const Qt::Key key : keys) QTest::keyClick(m_slider, key);
    }
    void Type(const QString& text, Qt::Key confirm = Qt::Key_Return) {
        m_box->setFocus();
        m_box->selectAll();
        QTest::keyClicks(m_box, text);
        if (confirm != Qt::Key_unknown) QTest::keyClick(m_box, confirm);
    }

    FakeClock m_clock;
    QWidget m_host;
    QSlider* m_slider = nullptr;
    QLineEdit* m_box = nullptr;
    std::unique_ptr<SliderParameter> m_parameter;
    std::vector<int> m_boxWhileMoving;
    std::vector<int> m_commits;
    std::vector<std::pair<int, int>> m_refusals;
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

// Keys commit what they settled on once, 300 ms after the last key or when the focus leaves
// the slider first; a read-back while keys are pending replaces what they did.
TEST_F(SliderParameterTest, KeysCommitOnceTheyRestOrTheFocusLeaves) {
    Build(0, 100);
    Keys({Qt::Key_Right, Qt::Key_PageUp, Qt::Key_End});
    EXPECT_EQ(m_box->text(), QStringLiteral("100"));
    EXPECT_EQ(m_boxWhileMoving.size(), 3u);
    m_clock.Advance(299ms);
    QTest::keyClick(m_slider, Qt::Key_Left);
    m_clock.Advance(299ms);
    EXPECT_TRUE(m_commits.empty()) << "each key starts the rest again";
    m_clock.Advance(1ms);
    m_clock.Advance(1s);
    EXPECT_EQ(m_commits, std::vector<int>{99}) << "one commit per settled value";

    Keys({Qt::Key_Home});
    m_box->setFocus();
    EXPECT_EQ(m_commits, (std::vector<int>{99, 0}));

    Keys({Qt::Key_Right});
    m_parameter->Show(70);
    m_clock.Advance(1s);
    EXPECT_EQ(m_commits, (std::vector<int>{99, 0}));
    EXPECT_EQ(m_box->text(), QStringLiteral("70"));
}

// A number typed into the box is taken with Enter or by leaving the box; anything outside
// the slider's range is refused with the range, and the box shows the last value again.
TEST_F(SliderParameterTest, TypedNumbersAreCommittedOrRefusedWithTheRange) {
    Build(280, 400);
    m_parameter->Show(330);
    struct Case {
        const char* typed;
        bool leaveInsteadOfEnter;
        int committed;  // 0: nothing
        const char* box;
    };
    const Case cases[] = {{"345", false, 345, "345"},
                          {" 360 ", true, 360, "360"},
                          {"401", false, 0, "360"},
                          {"279", true, 0, "360"},
                          {"3.3", false, 0, "360"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        m_refusals.clear();
        m_commits.clear();
        Type(QString::fromUtf8(c.typed), c.leaveInsteadOfEnter ? Qt::Key_unknown : Qt::Key_Return);
        if (c.leaveInsteadOfEnter) m_slider->setFocus();
        EXPECT_EQ(m_commits, c.committed ? std::vector<int>{c.committed} : std::vector<int>{});
        EXPECT_EQ(m_box->text(), QString::fromUtf8(c.box));
        using Refusals = std::vector<std::pair<int, int>>;
        EXPECT_EQ(m_refusals, (c.committed ? Refusals{} : Refusals{{280, 400}}));
    }
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

namespace {

// A slider held in the middle of a drag (its page waits for a read-back) sends nothing and
// goes back to the value last sent or read; afterwards it works as before.
TEST_F(SliderParameterTest, ADragCutShortByTheSliderBeingHeldSendsNothing) {
    Build(0, 100);
    m_parameter->Show(30);
    const QPoint thumb = slider_driver::ThumbAt(m_slider, 30);
    QTest::mousePress(m_slider, Qt::LeftButton, Qt::NoModifier, thumb);
    QTest::mouseMove(m_slider, slider_driver::ThumbAt(m_slider, 60));
    m_slider->setEnabled(false);
    QTest::mouseRelease(m_slider, Qt::LeftButton, Qt::NoModifier,
                        slider_driver::ThumbAt(m_slider, 60));
    EXPECT_TRUE(m_commits.empty());
    EXPECT_EQ(m_box->text(), QStringLiteral("30"));
    EXPECT_EQ(m_slider->value(), 30);

    m_slider->setEnabled(true);
    Keys({Qt::Key_Right});
    m_clock.Advance(SliderParameter::kKeysRest);
    EXPECT_EQ(m_commits, std::vector<int>{31}) << "the keys rest and send as before";
}

}  // namespace
