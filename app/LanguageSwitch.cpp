#include "LanguageSwitch.h"

#include <QComboBox>
#include <QTabWidget>
#include <span>

#include "BilingualCaption.h"
#include "ControlLookup.h"
#include "ParameterCaptions.h"
#include "ResourceIds.h"
#include "UiTexts.h"
#include "UpperPanelTooltips.h"

namespace {

struct ControlText {
    int id;
    BiText text;
};

// The main window's captions in both languages. Switched back to Chinese, a control shows its
// template's text again (the servo rate button "舵机输出模式" among them), not the Chinese text
// here, which differs for some (spacing, and the wording of 1013, 1015 and 1100).
constexpr ControlText kMainWindowTexts[] = {
    {1000, {"选择串口", "COM PORT"}},
    {1017, {"刷新", "Refresh"}},
    {1019, {"English", "中文"}},
    {1264, captions::kFirmwareVersion},
    {1001, {"选择升级文件", "UpdaeFile"}},
    {1043, {"开始升级", "Upgrade"}},
    {1100, captions::kRestoreData},
    {1002, captions::kFrameType},
    {1016, {"编缉...", "Edit..."}},
    {1003, captions::kEscRate},
    {1013, captions::kServoRate},
    {1021, captions::kSensors},
    // The caption vexactl names the letter by is cut short; the button has room for the word.
    {1020, {captions::kDeclination.chinese, "Declination"}},
    {1018, {"设置", "Setup"}},
    {1060, {"磁传感器", "Magnetic"}},
    {1062, {"气压计", "Barometer"}},
    {1064, {"超声波", "Ultrasonic"}},
    {1065, {"GPS接收器", "GPS Receiver"}},
    {1015, {"保存数据", "Save Data"}},
    {1263,
     {"星鹞飞控固件升级及主要参数设置区", "Pellar Flight Controller Chief Setup and Upgrade Area"}},
    {1005, {"基础参数设置", "Basic Setup"}},
    {1006, {"自定义功能设置与数据显示", "Custom and Monitor"}},
    {1007, {"GPS参数设置", "GPS Setup"}},
    {1009, {"云台参数设置", "Gimbal Setup"}},
    {1010, {"电压校准与报警设置", "Voltage Setup"}},
};

// The English entries of the lists whose template entries are Chinese, in list order.
constexpr const char* kEscRateEntries[] = {
    "1. 50Hz   (20 ms)", "2. 100Hz (10 ms)",           "3. 270Hz (3.6ms)",         "4. 330Hz (3ms)",
    "5. 400Hz (2.5ms)",  "6. 500Hz (2ms special ESC)", "7. 2KHz PWM (special ESC)"};
constexpr const char* kServoRateEntries[] = {"1. 50Hz servo", "2. 270Hz servo", "3. 333Hz servo",
                                             "4. 400Hz servo"};
constexpr const char* kRestoreEntries[] = {
    "Default: frames under 300mm", "Default: frames of 300-450mm", "Default: frames of 450-650mm",
    "Default: frames over 650mm", "Restore from a file you saved"};
constexpr const char* kPageTitles[] = {"Basic Setup", "Custom and Monitor", "GPS Setup",
                                       "Gimbal Setup", "Voltage Setup"};

void ShowListEntries(QWidget& mainWindow, int id, std::span<const char* const> english,
                     bool inEnglish) {
    if (auto* list = FindControlAs<QComboBox>(&mainWindow, id))
        ShowListEntries(list, english, inEnglish);
}

// The tab strip is hidden, but its titles are what assistive tools read out.
void ShowPageTitles(QWidget& mainWindow, bool english) {
    auto* tabs = FindControlAs<QTabWidget>(&mainWindow, IDC_TAB);
    if (!tabs) return;
    if (english && !tabs->property("chineseTitles").isValid()) {
        QStringList titles;
        for (int i = 0; i < tabs->count(); ++i) titles << tabs->tabText(i);
        tabs->setProperty("chineseTitles", titles);
    }
    const QStringList chinese = tabs->property("chineseTitles").toStringList();
    for (int i = 0; i < tabs->count() && i < int(std::size(kPageTitles)); ++i)
        tabs->setTabText(i, english ? QString::fromUtf8(kPageTitles[i]) : chinese.value(i));
}

}  // namespace

void ApplyMainWindowLanguage(QWidget& mainWindow, bool english) {
    for (const ControlText& entry : kMainWindowTexts)
        ShowCaption(FindControl(&mainWindow, entry.id), entry.text, english);
    ShowListEntries(mainWindow, IDC_ESC_RATE, kEscRateEntries, english);
    ShowListEntries(mainWindow, IDC_SERVO_RATE, kServoRateEntries, english);
    ShowListEntries(mainWindow, IDC_RESTORE_LIST, kRestoreEntries, english);
    ShowPageTitles(mainWindow, english);
    ShowWindowTitle(&mainWindow, texts::kWindowTitle, english);
    ShowUpperPanelHelp(mainWindow, english);
}
