#include "ChainEnd.h"

#include "BiText.h"
#include "ParameterRestore.h"

namespace {

constexpr BiText kCalibrationStep{"电池校准第%1步（共4步）",
                                  "step %1 of 4 of the battery calibration"};
constexpr BiText kAxisCount{"机架轴数", "the frame's axis count"};
constexpr BiText kSpan{"机架%1轴距最大值", "the frame's largest %1 span"};
constexpr BiText kMotorCoordinate{"机架电机%1的%2坐标", "the %2 position of motor %1"};
constexpr BiText kDeclination{"本地磁偏角", "the magnetic declination"};
constexpr BiText kDirections{"螺旋桨方向", "the propeller directions"};
constexpr BiText kReferenceSet{"参考数据的选择", "the choice of reference set"};
constexpr BiText kReverseMask{"通道反向设置（%1）", "the channel reverse mask (%1)"};

QString FrameValueName(char letter, bool english) {
    if (letter == 'k') return kAxisCount.In(english);
    if (letter == 'l' || letter == 'm') return kSpan.In(english).arg(letter == 'l' ? "X" : "Y");
    const int index = letter - 'n';  // n, o: motor 1 X, Y; ... x, y: motor 6 X, Y
    return kMotorCoordinate.In(english).arg(index / 2 + 1).arg(index % 2 == 0 ? "X" : "Y");
}

}  // namespace

QString ChainStepName(const ChainEnd& end, bool english) {
    switch (end.chain) {
        case Chain::Restore:
            return RestoreLinkName(end.letter, english);
        case Chain::Calibration:
            return kCalibrationStep.In(english).arg(end.letter - '0' + 1);
        case Chain::FrameSave:
            return FrameValueName(end.letter, english);
        case Chain::Declination:
            return kDeclination.In(english);
        case Chain::Directions:
            return kDirections.In(english);
        case Chain::ReverseReread:
            return kReverseMask.In(english).arg(QLatin1Char(end.letter));
        case Chain::ReferenceSet:
            return kReferenceSet.In(english);
        case Chain::ReadBack:
        case Chain::FrameRead:
        case Chain::ChosenRead:
        case Chain::LiveDisplay:
        case Chain::AwaitedEcho:
        case Chain::Upload:
            break;
    }
    return QString(QLatin1Char(end.letter));
}
