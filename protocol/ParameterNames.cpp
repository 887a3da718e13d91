#include "ParameterNames.h"

#include "ProtocolState.h"

namespace {

void AppendGridNames(QStringList& names) {
    struct RowPattern {
        const char* prefix;     // up to and including "CH"
        const char* separator;  // between the channel digit and the position
    };
    static const RowPattern kRows[] = {
        {"自稳  CH", "  "}, {"3D特技 CH", " "}, {"定高  CH", "  "}, {"锁定航向CH", ""},
        {"无向CF CH", " "}, {"云台增稳CH", ""}, {"Z 轴跟随CH", ""}, {"松杆定点CH", ""},
        {"一键返航CH", ""}, {"自动降落CH", ""},
    };
    static const char* const kPositions[] = {"低", "中", "高"};
    for (const RowPattern& row : kRows)
        for (int channel = 5; channel <= 8; ++channel)
            for (const char* position : kPositions)
                names << QString::fromUtf8(row.prefix) + QString::number(channel) +
                             QString::fromUtf8(row.separator) + QString::fromUtf8(position);
}

}  // namespace

QStringList ParameterNames() {
    QStringList names;
    for (const char* name :
         {"多轴模式 选择", "电调 输出模式", "舵机 输出模式", "主  稳  定 度", "辅 助  稳定度",
          "动 态   稳 定", "主 平   衡 度", "辅 助   平 衡", "方 向   稳 定", "方 向   锁 定",
          "高 度   锁 定", "辅  助  高 度", "高  度 稳  定", "定点回中力 度", "定点抗风力 度",
          "定点动态阻 尼", "一键返航速 度", "云台 俯仰比例", "云台 横滚比例", "云台 Z 轴比例",
          "俯仰舵角限 制", "横滚舵角限 制", " Z 轴舵角限制", "俯仰舵机中 点", "横滚舵机中 点",
          " Z 轴舵机中点", "报警电压 设置"})
        names << QString::fromUtf8(name);
    for (int battery = 1; battery <= 4; ++battery)
        names << QStringLiteral("电 池 %1 电 压").arg(battery);
    for (const char* name : {"电         池", "接   收    机", "陀   螺    仪", "加 速 度   计",
                             "磁 传 感   器", "气    压   计", "超声波 传感器", "GPS 传  感 器"})
        names << QString::fromUtf8(name);
    for (int channel = 1; channel <= 8; ++channel)
        names << QStringLiteral("接收 CH%1 反向").arg(channel);
    for (int output = 1; output <= 8; ++output)
        names << QStringLiteral("输出M/S%1 反向").arg(output);
    AppendGridNames(names);
    for (const char* name : {"异形多轴轴 数", "X方向轴最大值", "Y方向轴最大值"})
        names << QString::fromUtf8(name);
    for (int motor = 1; motor <= 6; ++motor)
        names << QStringLiteral("%1号电机横坐标").arg(motor)
              << QStringLiteral("%1号电机纵坐标").arg(motor);
    names << QStringLiteral("本地 磁 偏 角");
    while (names.size() < ProtocolState::kCacheSlots) names << QString();
    return names;
}
