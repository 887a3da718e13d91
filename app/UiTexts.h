#pragma once

#include "BiText.h"
#include "ParameterCaptions.h"
#include "VexaVersion.h"

// The main window's texts in both languages.

namespace texts {

inline constexpr BiText kPortOpened{"串口已打开", "COM Opened"};
inline constexpr BiText kPortNotOpened{"串口未打开", "COM Not Opened"};
// The port file exists but cannot be opened (%1 its path, %2 why).
inline constexpr BiText kPortFileUnreadable{"无法读取串口记录文件 %1（%2），本次使用 COM3。",
                                            "The port file %1 cannot be read (%2); COM3 is used."};
// The port file could not be written (%1 its path, %2 why): the port is not remembered.
inline constexpr BiText kPortFileNotWritten{
    "串口记录文件 %1 未写入（%2），下次启动不会记住此串口。",
    "The port file %1 was not written (%2); the port "
    "will not be remembered at the next start."};
// A read-back chain ended without a reply: some values shown were never read.
inline constexpr BiText kReadBackIncomplete{"参数读取未完成", "Read incomplete"};
// The read-back on its way (%1 the replies taken, %2 the queries it asks) and at its end.
inline constexpr BiText kReadingParameters{"正在读取参数 %1/%2…", "Reading parameters %1/%2…"};
inline constexpr BiText kParametersRead{"已读取 %1 个参数", "%1 parameters read"};
// A chain's answer did not come (%1 names the value): the controller may not hold it.
inline constexpr BiText kNotConfirmed{"飞控未确认%1，请检查连接后重试。",
                                      "The controller did not confirm %1; check the connection "
                                      "and try again."};
inline constexpr BiText kOtherValueStored{"飞控对%1回应了另一个值：它存入的与发送的不同。",
                                          "The controller answered %1 with another value: it "
                                          "stored something other than was sent."};
inline constexpr BiText kNotConfirmedLineLost{"串口未打开：飞控未确认%1。",
                                              "COM Not Opened: the controller did not confirm %1."};
inline constexpr BiText kVersionCaption = captions::kFirmwareVersion;
inline constexpr BiText kFirmwareHint{"<-请先点击左侧按扭选择升级文件(*.bin),再点右侧按扭开始升级!",
                                      "<-Please select FW file(*.bin),then click [Upgrade]!"};
inline constexpr BiText kFirmwareHintAfterToggle{
    "<-请先点击左侧按扭选择升级文件(*.bin),再点右侧按扭开始升级!",
    "<-Please select FW file(*.bin),then click [upgrade]!"};
// The close question while a restore runs.
inline constexpr BiText kRestoreCloseQuestion{
    "参数正在恢复，现在关闭将中断恢复！\r\r你确定要关闭本程序吗？",
    "The parameters are being restored: closing now breaks the restore off!\r\r"
    "Are you sure to close the Window？"};
// What a window closed (or ended) mid-way tells on stderr.
inline constexpr BiText kUploadBrokenOff{
    "固件升级被中断：飞控停在引导程序中，只有部分固件。请重新启动本程序并再次升级。",
    "The firmware upgrade was broken off: the controller waits in its boot loader with part of "
    "the firmware; start Vexa and upgrade again."};
inline constexpr BiText kRestoreBrokenOff{
    "参数恢复被中断：%2 个参数中已发出 %1 个，其后的参数没有写入。请重新恢复该文件。",
    "The restore was broken off after %1 of %2 parameters went out; those after them were not "
    "written: restore the file again."};
inline constexpr BiText kCloseQuestion{"你确定要关闭本程序吗？",
                                       "Are you sure to close the Window？"};
inline constexpr BiText kCloseCaption{"瑞翎航模提示：", "Velmora Mentioned："};
inline constexpr BiText kCalibrationDone{"校准完成！", "Calibrate OK !"};
inline constexpr BiText kCalibrationCaption{"瑞翎航模提示:", "Velmora Mentioned:"};
inline constexpr BiText kWindowTitle{
    "瑞翎航模调参工具Ｖ" VEXA_VERSION "  (ruiling-rc.taobao.com)----打造专业的DIY世界!",
    "Pellar Tools V" VEXA_VERSION " (Pellar Net Store:www.velmora-rc.com)"};
// The title the window starts with; it ends in a full-width exclamation mark, the toggle's
// Chinese title in a plain one.
inline const char* const kStartTitle =
    "瑞翎航模调参工具Ｖ" VEXA_VERSION "  (ruiling-rc.taobao.com)----打造专业的DIY世界！";

inline constexpr BiText kPortHint{
    "提示：请首先将星鹞飞控连接电脑的USB接口，再从右侧列表框中选择您即将使用的串口：\r\r"
    "1.选择后，系统将在列表框右侧提示您串口是否成功打开。\r\r"
    "2.若串口成功打开，而飞控数据仍无法读取时，说明该串口已被另一设备占用!此时，请重新选择串口! "
    "\r\r"
    "3.每选择一次串口，将重新读取飞控中的各项数据一次!",
    "Tip: first connect the Pellar controller to the computer's USB port, then choose the port "
    "you will use from the list on the right:\r\r"
    "1. Once chosen, the box to the right of the list tells whether the port opened.\r\r"
    "2. If the port opened but the controller's data cannot be read, another device holds the "
    "port: choose the port again!\r\r"
    "3. Each time a port is chosen, every value of the controller is read again!"};

}  // namespace texts
