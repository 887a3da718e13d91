#pragma once

#include "BiText.h"

// The parameter file core's own texts: why a file cannot be restored, and where a restore stopped.
namespace texts {

inline constexpr BiText kFileTooLarge{"文件太大，不是参数文件（参数文件不超过64KB）。",
                                      "The file is too large for a parameter file (over 64 KB)."};
inline constexpr BiText kLineMissing{"第%1行缺失：文件在此之前结束，参数文件共有196行。",
                                     "Line %1 is missing: the file ends before it; a parameter "
                                     "file has 196 lines."};
inline constexpr BiText kNotPortLine{"第1行不是串口行（应为“当 前 串口COM”加串口号）。",
                                     "Line 1 is not the port line (“当 前 串口COM” and the port "
                                     "number)."};
inline constexpr BiText kWrongEncoding{
    "第1行起：文件被保存成了UTF-8编码，参数文件必须是GBK编码"
    "（请用原来导出的文件，或在编辑器中以GBK编码重新保存）。",
    "Line 1 on: the file was saved in the wrong encoding "
    "(UTF-8); a parameter file must be GBK. Use the file as "
    "exported, or save it again as GBK in the editor."};
inline constexpr BiText kWrongLabel{"第%1行的名称不对，应为“%2”（13个字节，空格也不能改动）。",
                                    "Line %1: the label should be “%2” (13 bytes, spaces "
                                    "included)."};
inline constexpr BiText kNotANumber{"第%1行的数值“%2”不是数字。",
                                    "Line %1: the value “%2” is not a number."};
inline constexpr BiText kOutOfRange{"第%1行的数值%2超出范围（%3到%4）。",
                                    "Line %1: the value %2 is outside %3 to %4."};
inline constexpr BiText kExtraLine{"第%1行是多余的：参数文件只有196行。",
                                   "Line %1 is one too many: a parameter file has 196 lines."};

// How a message names the bulk-write link at which a restore stopped.
inline constexpr BiText kAnnouncementName{"恢复开始命令Sj0004", "the restore start command Sj0004"};
inline constexpr BiText kParameterName{"参数%1（文件第%2行“%3”）",
                                       "parameter %1 (line %2 of the file, “%3”)"};
inline constexpr BiText kFlagsName{"参数%1（文件第%2至%3行）",
                                   "parameter %1 (lines %2 to %3 of the file)"};

// The export's note on values the controller should not hold, and the backup's outcome.
inline constexpr BiText kHeldOutOfRange{"飞控中有超出范围的参数，文件中改写为可恢复的值：%1。",
                                        "The controller holds values outside their range; the "
                                        "file keeps values that can be restored: %1."};
inline constexpr BiText kHeldParameter{"%1（%2）为%3，文件中为%4",
                                       "%1 (%2) is %3, the file has %4"};
inline constexpr BiText kBackupWritten{"已备份飞控参数：%1", "Parameters backed up to %1"};
inline constexpr BiText kBackupNoReadBack{"没有完整读回的参数：未备份",
                                          "no complete read-back: no backup"};
inline constexpr BiText kBackupFailed{"备份没有写入 %1：%2",
                                      "The backup was not written to %1: %2"};

}  // namespace texts
