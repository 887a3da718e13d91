#include "LanguageSwitch.h"

#include "ControlLookup.h"
#include "UiTexts.h"
#include "UpperPanelTooltips.h"

namespace {

struct ControlText {
    int id;
    BiText text;
};

// The main window's captions in both languages; several Chinese ones differ from the template's
// first texts (spacing, and the wording of 1013, 1015 and 1100), and stay once switched.
constexpr ControlText kMainWindowTexts[] = {
    {1000, {"选择串口", "COM PORT"}},
    {1017, {"刷新", "Refresh"}},
    {1019, {"English", "中文"}},
    {1264, {"固件版本:V", "FW Version:V"}},
    {1001, {"选择升级文件", "UpdaeFile"}},
    {1043, {"开始升级", "Upgrade"}},
    {1100, {"恢复数据", "DefaultData"}},
    {1002, {"多轴模式", "MultiAxilMod"}},
    {1016, {"编缉...", "Edit..."}},
    {1003, {"电调输出模式", "ESCUpdateRate"}},
    {1013, {"电机输出模式", "Servo Rate"}},
    {1021, {"传感器选择", "Sensor"}},
    {1020, {"本地磁偏角", "Mag_Declina."}},
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

}  // namespace

void ApplyMainWindowLanguage(QWidget& mainWindow, bool english) {
    for (const ControlText& entry : kMainWindowTexts)
        SetControlText(FindControl(&mainWindow, entry.id), entry.text.In(english));
    mainWindow.setWindowTitle(texts::kWindowTitle.In(english));
    ShowUpperPanelHelp(mainWindow, english);
}
