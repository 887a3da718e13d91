#include "UpperPanelTooltips.h"

#include <QWidget>
#include <initializer_list>

#include "BiText.h"
#include "ControlLookup.h"
#include "ResourceIds.h"

namespace {

struct PanelHelp {
    std::initializer_list<int> ids;
    BiText text;
};

const PanelHelp kPanelHelp[] = {
    {{IDC_FRAME_TYPE, IDC_FRAME_HINT},
     {"请根据您的机器选择多轴模式，您的选择将立即被系统设置并保存到星鹞飞控中!",
      "Choose the multirotor mode of your aircraft; the choice is set and saved in the Pellar "
      "controller at once!"}},
    {{IDC_ESC_RATE, IDC_ESC_HINT},
     {"请根据您的电调选择输出模式，一般选择330HZ。",
      "Choose the output rate that suits your ESCs; 330 Hz usually does."}},
    {{IDC_SERVO_RATE, IDC_SERVO_HINT},
     {"根据舵机输出频率选择相应的选项：50HZ代表模拟舵机，270 HZ代表数字舵机。",
      "Choose the servo output rate: 50 Hz for analogue servos, 270 Hz for digital servos."}},
    {{IDC_SENSOR_MAG, IDC_SENSOR_BARO, IDC_SENSOR_SONAR, IDC_SENSOR_GPS, IDC_SENSOR_HINT},
     {"请勾选您安装的设备；设备安装了但没有勾选，则设备无效！",
      "Tick the devices fitted to your aircraft; a fitted device that is not ticked is not "
      "used!"}},
    {{IDC_DECLINATION, IDC_DECLINATION_HINT},
     {"请输入您所在地点的磁偏角度数（如1度09分输入1），默认值为0。",
      "Enter the magnetic declination of your location in whole degrees (1°09' is entered as "
      "1); 0 by default."}},
    {{IDC_RESTORE_LIST, IDC_RESTORE_HINT},
     {"请选择您要恢复的参数：相应机架类型的默认参数，或您自己保存的参数文件。",
      "Choose what to restore: the default parameters of a frame size, or a parameter file you "
      "saved."}},
};

}  // namespace

void ShowUpperPanelHelp(QWidget& mainWindow, bool english) {
    for (const PanelHelp& help : kPanelHelp)
        for (int id : help.ids)
            if (QWidget* control = FindControl(&mainWindow, id))
                control->setToolTip(help.text.In(english));
}
