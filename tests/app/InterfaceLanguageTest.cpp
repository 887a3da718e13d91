// What follows the language toggle beyond the captions: Qt's own texts and the tooltips.
#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <map>

#include "FrameDlg.h"
#include "MainWindowFixture.h"
#include "QtPrompter.h"
#include "QtTranslations.h"
#include "ResourceIds.h"

namespace {

class InterfaceLanguageTest : public MainWindowTest {
protected:
    void ShowLanguage(bool english) {
        if (m_dlg->IsEnglish() != english) Click(IDC_LANGUAGE);
        ASSERT_EQ(m_dlg->IsEnglish(), english);
    }
    static bool HasChinese(const QString& text) {
        static const QRegularExpression han(QStringLiteral("\\p{Han}"));
        return text.contains(han);
    }
};

// The texts of each widget of the window (captions, boxes, list entries, tooltips), with its title.
std::map<QWidget*, QString> Texts(QWidget& window) {
    std::map<QWidget*, QString> texts{{&window, window.windowTitle()}};
    for (QWidget* w : window.findChildren<QWidget*>()) {
        QStringList own{w->toolTip()};
        if (auto* button = qobject_cast<QAbstractButton*>(w)) own << button->text();
        if (auto* label = qobject_cast<QLabel*>(w)) own << label->text();
        if (auto* group = qobject_cast<QGroupBox*>(w)) own << group->title();
        if (auto* box = qobject_cast<QLineEdit*>(w)) own << box->text();
        if (auto* list = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < list->count(); ++i) own << list->itemText(i);
        texts[w] = own.join('\n');
    }
    return texts;
}

// Switching to English and back leaves every Chinese text as it was: the servo rate button
// still says servo ("舵机输出模式"), not motor.
TEST_F(InterfaceLanguageTest, CaptionsAfterTwoTogglesEqualTheFirst) {
    CVexaDlg& dlg = Start();
    const std::map<QWidget*, QString> first = Texts(dlg);
    EXPECT_EQ(Control<QPushButton>(IDC_SERVO_HINT)->text(), "舵机输出模式");
    ShowLanguage(true);
    ShowLanguage(false);
    EXPECT_EQ(Texts(dlg), first);
}

// English chosen, nothing visible of the window's pages and of the frame editor is left in
// Chinese, but the language button naming the language it switches to: "中文".
TEST_F(InterfaceLanguageTest, EnglishModeLeavesNoChineseInTheWindowOrTheFrameEditor) {
    const auto expectNoChinese = [](QWidget& window) {
        for (const auto& [w, text] : Texts(window))
            if (w->isVisibleTo(&window) && w->property("controlId").toInt() != IDC_LANGUAGE) {
                EXPECT_FALSE(HasChinese(text)) << text.toStdString();
            }
    };
    CVexaDlg& dlg = Start();
    ShowLanguage(true);
    for (int page = 0; page < CVexaDlg::kPageCount; ++page) {
        dlg.ShowPage(page);
        expectNoChinese(dlg);
    }
    dlg.FrameEditor().show();
    expectNoChinese(dlg.FrameEditor());
}

// Standard buttons made while a language is shown speak it; the swap works both ways.
TEST_F(InterfaceLanguageTest, QtStandardButtonsFollowTheToggle) {
    if (!QtTranslations().Available()) GTEST_SKIP() << "Qt's Chinese translation is not installed";
    Start();
    for (bool english : {false, true, false}) {
        ShowLanguage(english);
        const auto box = QtPrompter::CreateMessageBox(
            {QStringLiteral("c"), QStringLiteral("t"), PromptButtons::OkCancel}, nullptr);
        EXPECT_EQ(box->button(QMessageBox::Cancel)->text().remove(QLatin1Char('&')),
                  english ? "Cancel" : "取消");
    }
}

// Slider, box and name button of a basic parameter carry its help: in Chinese the opening of
// the hint the name button shows, in English a text of its own.
TEST_F(InterfaceLanguageTest, ParameterHelpIsTheTooltipOfItsControlsInEitherLanguage) {
    CVexaDlg& dlg = Start();
    struct Parameter {
        int label, slider, box;
    };
    const Parameter parameters[] = {
        {IDC_BASIC_LABEL_MAIN_STAB, IDC_BASIC_SLIDER_MAIN_STAB, IDC_BASIC_EDIT_MAIN_STAB},
        {IDC_BASIC_LABEL_DYN_STAB, IDC_BASIC_SLIDER_DYN_STAB, IDC_BASIC_EDIT_DYN_STAB},
        {IDC_BASIC_LABEL_HEIGHT_STAB, IDC_BASIC_SLIDER_HEIGHT_STAB, IDC_BASIC_EDIT_HEIGHT_STAB},
    };
    QWidget* page = dlg.PageWidgets()[0];
    for (const Parameter& p : parameters) {
        SCOPED_TRACE(p.label);
        QWidget* controls[] = {FindControl(page, p.label), FindControl(page, p.slider),
                               FindControl(page, p.box)};
        for (bool english : {false, true, false}) {
            ShowLanguage(english);
            const QString tip = controls[0]->toolTip();
            EXPECT_FALSE(tip.isEmpty());
            EXPECT_EQ(HasChinese(tip), !english) << tip.toStdString();
            for (QWidget* control : controls) EXPECT_EQ(control->toolTip(), tip);
            if (english) continue;
            m_prompter.Clear();
            QTest::mouseClick(controls[0], Qt::LeftButton);
            ASSERT_EQ(m_prompter.Shown().size(), 1u);
            // The hint's opening, then the slider's range on a line of its own.
            EXPECT_TRUE(QString(m_prompter.Shown()[0].text)
                            .remove(QLatin1Char('\r'))
                            .contains(tip.section(QLatin1Char('\n'), 0, 0)));
            EXPECT_EQ(tip.section(QLatin1Char('\n'), 1), QStringLiteral("范围：0～100"));
        }
    }
}

TEST_F(InterfaceLanguageTest, UpperPanelListsAndBoxesCarryTheirHelp) {
    Start();
    const int helped[] = {IDC_FRAME_TYPE,   IDC_ESC_RATE,   IDC_SERVO_RATE,
                          IDC_RESTORE_LIST, IDC_SENSOR_MAG, IDC_SENSOR_BARO,
                          IDC_SENSOR_SONAR, IDC_SENSOR_GPS, IDC_DECLINATION};
    QStringList chinese;
    for (bool english : {false, true}) {
        ShowLanguage(english);
        for (int id : helped) {
            const QString tip = Control(id)->toolTip();
            EXPECT_FALSE(tip.isEmpty()) << id;
            EXPECT_EQ(HasChinese(tip), !english) << id;
        }
        // The port list keeps naming the device behind each port.
        EXPECT_TRUE(Control(IDC_PORT_LIST)->toolTip().startsWith("COM1 → ")) << english;
    }
}

}  // namespace
