// What the pages say of their controls: the numbers over each slider read the way it moves,
// and a pointer resting on a control shows what it does and its range.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QToolTip>

#include "MainWindowFixture.h"
#include "ResourceIds.h"

namespace {

class CaptionsAndTooltipsTest : public MainWindowTest {};

// The number a scale word stands for in the slider's own units ("2.80V" is 280 hundredths).
int ScaleValue(QString word) {
    if (word.endsWith(QLatin1Char('V'))) return qRound(word.chopped(1).toDouble() * 100);
    return word.toInt();
}

// Over every slider of the pages its smallest value stands at the left end, its largest at the
// right: the numbers read the way the thumb moves.
TEST_F(CaptionsAndTooltipsTest, ScaleNumbersReadTheWayTheSliderMoves) {
    Start();
    int sliders = 0;
    for (int index : {0, 2, 3, 4}) {
        QWidget* page = m_dlg->PageWidgets()[std::size_t(index)];
        for (QSlider* slider : page->findChildren<QSlider*>()) {
            const QString name = slider->objectName().mid(QStringLiteral("slider").size());
            SCOPED_TRACE(name.toStdString());
            QStringList words;
            if (auto* spread = page->findChild<QLabel*>(QStringLiteral("scale") + name))
                words = spread->text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
            for (int i = 0; i < 3; ++i)
                if (auto* part =
                        page->findChild<QLabel*>(QStringLiteral("scale%1%2").arg(name).arg(i)))
                    words << part->text();
            ASSERT_EQ(words.size(), 3);
            EXPECT_FALSE(slider->invertedAppearance());
            EXPECT_EQ(ScaleValue(words.front()), slider->minimum());
            EXPECT_EQ(ScaleValue(words.back()), slider->maximum());
            ++sliders;
        }
    }
    EXPECT_EQ(sliders, 10 + 4 + 9 + 1);
}

// A pointer resting on a control (a real mouse move, the tooltip's own delay) shows its tooltip,
// which names what it does and, for a slider parameter, its range, in either language.
TEST_F(CaptionsAndTooltipsTest, ARestingPointerShowsWhatTheControlDoes) {
    struct Hover {
        int page;  // -1: the upper panel
        int control;
        const char* chinese;  // a part of the tooltip
        const char* english;
    };
    const Hover hovers[] = {
        {0, IDC_BASIC_LABEL_MAIN_STAB, "范围：0～100", "Range: 0 to 100"},
        {0, IDC_BASIC_SLIDER_MAIN_STAB, "主稳定度", "Main stability"},
        {0, IDC_BASIC_EDIT_MAIN_STAB, "范围：0～100", "Range: 0 to 100"},
        {1, IDC_SWITCH_GRID[2][7], "7通道开关在“中”位", "CH7 at \"middle\""},
        {1, IDC_OUTPUT_REVERSE[3], "该通道反向", "reversed"},
        {2, IDC_GPS_LABEL_CENTRING, "定点回中力度", "Strength to Position"},
        {2, IDC_GPS_SLIDER_WIND, "范围：", "Range: "},
        {3, IDC_GIMBAL_EDIT_PITCH_MID, "范围：-100～100", "Range: -100 to 100"},
        {3, IDC_GIMBAL_SLIDER_Z_LIMIT, "范围：", "Range: "},
        {4, IDC_VOLT_ALARM_SLIDER, "范围：2.80 V～4.00 V", "Range: 2.80 V to 4.00 V"},
        {4, IDC_VOLT_CELL1, "4.05", "4.05"},
        {-1, IDC_FRAME_TYPE, "多轴模式", "multirotor mode"},
        {-1, IDC_SENSOR_GPS, "勾选", "Tick"},
    };
    Start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dlg.get()));
    QApplication::setActiveWindow(m_dlg.get());
    for (bool english : {false, true}) {
        if (english) m_dlg->ToggleLanguage();
        for (const Hover& hover : hovers) {
            SCOPED_TRACE(std::to_string(hover.control) + (english ? " en" : " zh"));
            if (hover.page >= 0 && hover.page != m_dlg->CurrentPage()) {
                m_dlg->ShowPage(hover.page);
                QTest::qWait(500);
            }
            QWidget* control =
                hover.page >= 0
                    ? FindControl(m_dlg->PageWidgets()[std::size_t(hover.page)], hover.control)
                    : FindControl(m_dlg.get(), hover.control);
            ASSERT_NE(control, nullptr);
            QTest::mouseMove(m_dlg.get(), control->mapTo(m_dlg.get(), QPoint(2, 2)));
            QTest::mouseMove(control, control->rect().center());
            const QString part = QString::fromUtf8(english ? hover.english : hover.chinese);
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return QToolTip::isVisible() && QToolTip::text().contains(part); }, 3000))
                << "shown: " << (QToolTip::isVisible() ? QToolTip::text().toStdString() : "none");
        }
    }
    QToolTip::hideText();
}

}  // namespace
