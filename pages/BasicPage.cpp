#include "BasicPage.h"

#include <QPushButton>

#include "BiText.h"
#include "ControlLookup.h"
#include "ParameterCaptions.h"
#include "Prompter.h"
#include "ResourceIds.h"
#include "ui_BasicPage.h"

namespace {

struct Gain {
    char letter;
    int labelId;
    int sliderId;
    int boxId;
    BiText caption;
    const char* hintWord;  // the parameter as the hint names it
    const char* description;
    const char* englishHelp;  // the description's first sentence, for the English tooltip
};

// In label order 1000 to 1009.
constexpr Gain kGains[] = {
    {'C', IDC_BASIC_LABEL_MAIN_STAB, IDC_BASIC_SLIDER_MAIN_STAB, IDC_BASIC_EDIT_MAIN_STAB,
     captions::kMainStability, "主稳定度",
     "主稳定度主要是让飞行器抵抗突变的外力，暂时的稳定保持在某一个姿态。\r\r如果从头开始调主稳定"
     "度，需要将平衡度，方向，高度等参数都归零。\r\r主稳定度可以从小到大慢慢增加，直到飞控出现轻"
     "微的抖动，然后再往小调一点。",
     "Main stability mainly lets the aircraft resist sudden outside forces and hold an attitude "
     "for a moment."},
    {'D', IDC_BASIC_LABEL_AUX_STAB, IDC_BASIC_SLIDER_AUX_STAB, IDC_BASIC_EDIT_AUX_STAB,
     captions::kAuxStability, "辅助稳定度",
     "其主要作用是更精确地让飞行器长时间保持在某一个姿态。\r\r在主稳定度大致确定后，就可以尝试加"
     "大辅助稳定了，直到飞行器\r\r出现轻微的慢速摇摆趋势。然后再往回调一点",
     "Auxiliary stability mainly keeps the aircraft in an attitude more precisely for a long "
     "time."},
    {'E', IDC_BASIC_LABEL_DYN_STAB, IDC_BASIC_SLIDER_DYN_STAB, IDC_BASIC_EDIT_DYN_STAB,
     captions::kDynamicStability, "动态稳定度",
     "动态稳定的作用主要是抑制飞行器瞬时抖动，减缓主稳定度\r\r和辅助稳定度调整过程中引起的抖动。"
     "前面2项调试过程中或者调出一个\r\r大致值后，就可以尝试加大动态稳定度。这个值太大会引起飞机的"
     "高频\r\r抖动，如果调到0还是有高频抖动，请将飞控板本身的现场参数对应\r\r的动态稳定减小，小飞"
     "机可以调到0。",
     "Dynamic stability mainly damps the aircraft's momentary shaking, and the shaking that tuning "
     "main and auxiliary stability brings."},
    {'F', IDC_BASIC_LABEL_MAIN_BAL, IDC_BASIC_SLIDER_MAIN_BAL, IDC_BASIC_EDIT_MAIN_BAL,
     captions::kMainBalance, "主平衡度",
     "主平衡度的主要作用是直接快速的让飞行器回复水平状态，\r\r此项只有在初级模式（自稳模式）下有"
     "效。调试时先将遥控器的模式开关打\r\r到初级模式，然后逐渐增大平衡度，直到飞机出现振荡趋势，再"
     "往回调一点。",
     "Main balance mainly brings the aircraft back to level directly and quickly; it works only in "
     "the basic (self-levelling) mode."},
    {'G', IDC_BASIC_LABEL_AUX_BAL, IDC_BASIC_SLIDER_AUX_BAL, IDC_BASIC_EDIT_AUX_BAL,
     captions::kAuxBalance, "辅助平衡度",
     "辅助平衡的主要作用是更精确的修正飞机达到精确水平位置。\r\r在主平衡调试到一个大概值后，就可"
     "以尝试加大辅助平衡，直到效果\r\r满意而又不振荡为止。",
     "Auxiliary balance mainly corrects the aircraft more precisely to an exact level position."},
    {'Y', IDC_BASIC_LABEL_YAW_STAB, IDC_BASIC_SLIDER_YAW_STAB, IDC_BASIC_EDIT_YAW_STAB,
     captions::kYawStability, "方向稳定度",
     "方向稳定度是抑制飞行器的自旋，使方向保持相对的稳定。也是\r\r从小到大逐步调整。直到用手水平"
     "转动飞行器有比较明显的桨速变化。",
     "Yaw stability damps the aircraft's spinning and keeps its heading relatively steady."},
    {'Z', IDC_BASIC_LABEL_YAW_LOCK, IDC_BASIC_SLIDER_YAW_LOCK, IDC_BASIC_EDIT_YAW_LOCK,
     captions::kYawLock, "方向锁定度",
     "方向锁定的主要作用是让飞行器方向保持现有的指向俗称锁头。\r\r此项也是从小到大调整，直到飞行"
     "器方向不自旋为止。",
     "Yaw lock mainly keeps the aircraft pointing where it points now (heading lock)."},
    {'R', IDC_BASIC_LABEL_HEIGHT_LOCK, IDC_BASIC_SLIDER_HEIGHT_LOCK, IDC_BASIC_EDIT_HEIGHT_LOCK,
     captions::kHeightLock, "高度锁定度",
     "如果选择了气压计和超声波，高度锁定就需要设置，一般选50～80\r\r比较合适，越大反应越快，但是"
     "太灵敏了就容易上下抖动。",
     "With the barometer and ultrasonic sensor selected, height lock must be set; 50 to 80 usually "
     "suits: larger reacts faster, but too sensitive bobs up and down."},
    {'T', IDC_BASIC_LABEL_AUX_HEIGHT, IDC_BASIC_SLIDER_AUX_HEIGHT, IDC_BASIC_EDIT_AUX_HEIGHT,
     captions::kAuxHeight, "辅助高度锁定",
     "辅助高度的作用主要是消除高度锁定过程中的上下振荡，如果高度锁定时\r\r有上下振荡的现象，可以"
     "适当加大此值。注意任何参数都有一个合适的范围。",
     "Auxiliary height mainly removes the up-and-down oscillation while the height is locked; "
     "raise it a little if the aircraft bobs."},
    {'`', IDC_BASIC_LABEL_HEIGHT_STAB, IDC_BASIC_SLIDER_HEIGHT_STAB, IDC_BASIC_EDIT_HEIGHT_STAB,
     captions::kHeightStability, "高度稳定",
     "如果地形起伏，杂物影响测距，高度稳定就需要设置，一般选50～80\r\r比较合适，越大反应越快，但"
     "是太灵敏了就容易上下抖动。",
     "Over uneven ground or clutter that disturbs the range finder, height stability must be set; "
     "50 to 80 usually suits: larger reacts faster, but too sensitive bobs up and down."},
};

QString HintText(const Gain& gain, bool english) {
    if (english)
        return QStringLiteral(
                   "Tip: drag the slider to the value you want (the box to the right of the "
                   "slider shows it), or move it with the arrow keys, or type the value into the "
                   "box and press Enter.\r\rWhen you release the mouse, the keys rest or you "
                   "press Enter, the value is set in the controller!\r\rDescription: ") +
               QString::fromUtf8(gain.englishHelp);
    return QStringLiteral(
               "提示：请拖动滑块到相应数值处(具体数值可参见滑条右侧的显示框)。\r\r当您释放鼠标时，"
               "系统会将此时的数据设置为相应的") +
           QString::fromUtf8(gain.hintWord) + QStringLiteral("值!\r\r描述：") +
           QString::fromUtf8(gain.description);
}

}  // namespace

CBasicPage::CBasicPage(IPageHost& host, QWidget* parent)
    : CSliderPage(host, CachePolicy::OnSend, parent),
      m_ui(std::make_unique<Ui::CBasicPage>()) {
    m_ui->setupUi(this);
    SetGroupTitle(m_ui->groupBasic, {"基础参数设置", "Basic Setup"});
    setProperty("dialogTemplate", IDD_BASIC_PAGE);

    std::vector<LabelText> labels;
    for (int i = 0; i < int(std::size(kGains)); ++i) {
        const Gain& gain = kGains[i];
        AddParameter(gain.letter, gain.sliderId, gain.boxId);
        AddHelp(gain.letter, gain.labelId,
                ParameterTooltips::FirstSentence(QString::fromUtf8(gain.description)),
                QString::fromUtf8(gain.englishHelp));
        labels.push_back({gain.labelId, gain.caption});
        auto* button = FindControlAs<QPushButton>(this, gain.labelId);
        connect(button, &QPushButton::clicked, this, [this, i] { ShowHint(i); });
    }
    SetLabelTexts(std::move(labels));
}

CBasicPage::~CBasicPage() = default;

// The answer is ignored.
void CBasicPage::ShowHint(int labelIndex) {
    const bool english = Host().IsEnglish();
    Host().GetPrompter().Message({texts::kHintCaption.In(english),
                                  HintText(kGains[labelIndex], english), PromptButtons::OkCancel,
                                  PromptIcon::None, PromptAnswer::Ok});
}
