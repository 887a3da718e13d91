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

// Every caption of the window and its pages, by widget, with the window's title.
std::map<QObject*, QString> Captions(QWidget& window) {
    std::map<QObject*, QString> captions{{&window, window.windowTitle()}};
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (auto* button = qobject_cast<QAbstractButton*>(w)) captions[w] = button->text();
        if (auto* label = qobject_cast<QLabel*>(w)) captions[w] = label->text();
        if (auto* group = qobject_cast<QGroupBox*>(w)) captions[w] = group->title();
    }
    return captions;
}

// Switching to English and back leaves every Chinese caption as it was: the servo rate button
// still says servo ("舵机输出模式"), not motor.
TEST_F(InterfaceLanguageTest, CaptionsAfterTwoTogglesEqualTheFirst) {
    CVexaDlg& dlg = Start();
    const std::map<QObject*, QString> first = Captions(dlg);
    EXPECT_EQ(Control<QPushButton>(IDC_SERVO_HINT)->text(), "舵机输出模式");
    for (int round = 0; round < 2; ++round) {
        ShowLanguage(true);
        EXPECT_EQ(Control<QPushButton>(IDC_SERVO_HINT)->text(), "Servo Rate");
        ShowLanguage(false);
        const std::map<QObject*, QString> now = Captions(dlg);
        for (const auto& [widget, caption] : first)
            EXPECT_EQ(now.at(widget), caption) << widget->objectName().toStdString();
    }
}

// The texts of the window's visible widgets: captions, boxes, list entries, tooltips.
QStringList VisibleTexts(QWidget& window) {
    QStringList texts{window.windowTitle()};
    for (QWidget* w : window.findChildren<QWidget*>()) {
        // The language button names the language it switches to: "中文".
        if (!w->isVisibleTo(&window) || w->property("controlId").toInt() == IDC_LANGUAGE)
            continue;
        texts << w->toolTip();
        if (auto* button = qobject_cast<QAbstractButton*>(w)) texts << button->text();
        if (auto* label = qobject_cast<QLabel*>(w)) texts << label->text();
        if (auto* group = qobject_cast<QGroupBox*>(w)) texts << group->title();
        if (auto* box = qobject_cast<QLineEdit*>(w)) texts << box->text();
        if (auto* list = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < list->count(); ++i) texts << list->itemText(i);
    }
    return texts;
}

// English chosen, nothing of the window, its lists, its message boxes and file dialogs is
// left in Chinese.
TEST_F(InterfaceLanguageTest, EnglishModeLeavesNoChineseInTheWindowOrItsDialogs) {
    CVexaDlg& dlg = Start();
    ShowLanguage(true);
    for (int page = 0; page < CVexaDlg::kPageCount; ++page) {
        dlg.ShowPage(page);
        for (const QString& text : VisibleTexts(dlg))
            EXPECT_FALSE(HasChinese(text)) << page << ": " << text.toStdString();
    }

    dlg.FrameEditor().show();
    for (const QString& text : VisibleTexts(dlg.FrameEditor()))
        EXPECT_FALSE(HasChinese(text)) << "frame editor: " << text.toStdString();
    for (QLabel* label : dlg.FrameEditor().findChildren<QLabel*>())
        if (label->isVisible() && !label->wordWrap())
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()),
                      label->contentsRect().width())
                << label->text().toStdString();
    dlg.FrameEditor().hide();

    // Every message the window's own buttons open, answered so that nothing is sent.
    m_prompter.Clear();
    const int hintButtons[] = {IDC_PORT_HINT,   IDC_FRAME_HINT,       IDC_ESC_HINT,
                               IDC_SERVO_HINT,  IDC_SENSOR_HINT,      IDC_DECLINATION_HINT,
                               IDC_RESTORE_HINT};
    for (int id : hintButtons) Click(id);
    const auto pageClick = [&](int page, int id) {
        dlg.ShowPage(page);
        QTest::mouseClick(FindControl(dlg.PageWidgets()[page], id), Qt::LeftButton);
    };
    for (int id = IDC_BASIC_LABEL_MAIN_STAB; id <= IDC_BASIC_LABEL_HEIGHT_STAB; ++id)
        pageClick(0, id);
    pageClick(1, IDC_FUNCTION_HINT);
    m_prompter.QueueAnswer(PromptAnswer::Cancel);
    pageClick(4, IDC_VOLT_CALIBRATE);
    m_prompter.QueueAnswer(PromptAnswer::Cancel);
    Click(IDC_DECLINATION_SET);
    Click(IDC_SAVE_DATA);  // the question, then the file dialog, cancelled
    auto* restore = Control<QComboBox>(IDC_RESTORE_LIST);
    restore->setCurrentIndex(4);
    emit restore->activated(4);  // from a saved file: the file dialog, cancelled
    Click(IDC_SELECT_FW);        // the firmware file dialog, cancelled
    m_prompter.QueueAnswer(PromptAnswer::No);
    dlg.close();

    // The hints, ten basic ones, the function hint, the calibration, declination and save
    // questions, "no file chosen" and the close question.
    EXPECT_EQ(m_prompter.Shown().size(), std::size(hintButtons) + 10 + 1 + 5);
    for (const PromptMessage& shown : m_prompter.Shown()) {
        EXPECT_FALSE(HasChinese(shown.caption)) << shown.caption.toStdString();
        EXPECT_FALSE(HasChinese(shown.text)) << shown.text.toStdString();
    }
    ASSERT_EQ(m_prompter.FileRequests().size(), 3u);
    for (const FileRequest& request : m_prompter.FileRequests())
        EXPECT_FALSE(HasChinese(request.filter)) << request.filter.toStdString();
    EXPECT_EQ(Sent().count('S'), 0);
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
            EXPECT_TRUE(
                QString(m_prompter.Shown()[0].text).remove(QLatin1Char('\r')).contains(tip));
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
