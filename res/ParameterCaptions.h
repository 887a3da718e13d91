#pragma once

#include "BiText.h"

// The captions the window shows beside a parameter's controls, in both languages. The pages
// and the upper panel label their controls with them; vexactl names parameters with them.
namespace captions {

// Upper panel.
inline constexpr BiText kFirmwareVersion{"固件版本:V", "FW Version:V"};
inline constexpr BiText kFrameType{"多轴模式", "MultiAxilMod"};
inline constexpr BiText kEscRate{"电调输出模式", "ESCUpdateRate"};
inline constexpr BiText kServoRate{"舵机输出模式", "Servo Rate"};
inline constexpr BiText kSensors{"传感器选择", "Sensor"};
inline constexpr BiText kDeclination{"本地磁偏角", "Mag_Declina."};
inline constexpr BiText kRestoreData{"恢复数据", "DefaultData"};

// Basic page.
inline constexpr BiText kMainStability{"主稳定度", "Stabili_Level"};
inline constexpr BiText kAuxStability{"辅助稳定", "Aux_Stability"};
inline constexpr BiText kDynamicStability{"动态稳定", "DynaStability"};
inline constexpr BiText kMainBalance{"主平衡度", "Balance_L"};
inline constexpr BiText kAuxBalance{"辅助平衡", "Aux_Balance"};
inline constexpr BiText kYawStability{"方向稳定", "Yaw_Stability"};
inline constexpr BiText kYawLock{"方向锁定", "Yaw_Lock"};
inline constexpr BiText kHeightLock{"高度锁定", "Height_Lock"};
inline constexpr BiText kAuxHeight{"辅助高度", "Aux_H_Lock"};
inline constexpr BiText kHeightStability{"高度稳定", "HeightStability"};

// GPS page.
inline constexpr BiText kCentring{"定点回中力度", "Strength to Position"};
inline constexpr BiText kAntiWind{"定点抗风力度", "Anti-Wind Strength to Position"};
inline constexpr BiText kPositionDamping{"定点动态阻尼", "DynaDamp to Position"};
inline constexpr BiText kHomeSpeed{"一键返航速度", "Speed of Gohome"};

// Gimbal page.
inline constexpr BiText kPitchScale{"云台俯仰比例", "Gim Pitch Scale"};
inline constexpr BiText kRollScale{"云台横滚比例", "Gim Roll Scale"};
inline constexpr BiText kZScale{"云台 Z轴比例", "Gim Z Axil Scale"};
inline constexpr BiText kPitchMid{"俯仰舵机中点", "Pitch Servo Mid"};
inline constexpr BiText kRollMid{"横滚舵机中点", "Roll Servo Mid"};
inline constexpr BiText kZMid{"Z 轴舵机中点", "Z Axil Servo Mid"};
inline constexpr BiText kPitchLimit{"俯仰角度限制", "PitchAngularLimit"};
inline constexpr BiText kRollLimit{"横滚角度限制", "RollAngularLimit"};
inline constexpr BiText kZLimit{"Z 轴角度限制", "Z AxilAngularLimit"};

// Voltage page: the four cells, then the alarm.
inline constexpr BiText kCells[] = {
    {"电池1", "Ceil1"}, {"电池2", "Ceil2"}, {"电池3", "Ceil3"}, {"电池4", "Ceil4"}};
inline constexpr BiText kAlarmVoltage{"报警电压设置", "Alarm Voltage"};

// Custom page: the rows of the switch grid, top to bottom.
inline constexpr BiText kSwitchRows[] = {
    {"自 稳", "AutoStabi"},      {"3D 特技", "3D Stunt"},      {"定   高", "HeightLock"},
    {"锁定航向", "HeadLock"},    {"无向 CF", "CareFree"},      {"云台增稳", "PTZStab"},
    {"Z 轴跟随", "Z Stabi"},     {"松杆定点", "PositionHold"}, {"一键返航", "Go Home"},
    {"自动降落", "Autolanging"},
};

}  // namespace captions
