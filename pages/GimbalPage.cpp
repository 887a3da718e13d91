#include "GimbalPage.h"

#include "ParameterCaptions.h"
#include "ResourceIds.h"
#include "ui_GimbalPage.h"

CGimbalPage::CGimbalPage(IPageHost& host, QWidget* parent)
    : CSliderPage(host, CachePolicy::OnSend, parent), m_ui(std::make_unique<Ui::CGimbalPage>()) {
    m_ui->setupUi(this);
    SetGroupTitle(m_ui->groupGimbal, {"云台参数设置", "Gimbal Setup"});
    setProperty("dialogTemplate", IDD_GIMBAL_PAGE);

    AddParameter('K', IDC_GIMBAL_SLIDER_PITCH_SCALE, IDC_GIMBAL_EDIT_PITCH_SCALE, 0, 100);
    AddParameter('J', IDC_GIMBAL_SLIDER_ROLL_SCALE, IDC_GIMBAL_EDIT_ROLL_SCALE, 0, 100);
    AddParameter('%', IDC_GIMBAL_SLIDER_Z_SCALE, IDC_GIMBAL_EDIT_Z_SCALE, 0, 100);
    AddParameter('&', IDC_GIMBAL_SLIDER_PITCH_MID, IDC_GIMBAL_EDIT_PITCH_MID);
    AddParameter('^', IDC_GIMBAL_SLIDER_ROLL_MID, IDC_GIMBAL_EDIT_ROLL_MID);
    AddParameter('(', IDC_GIMBAL_SLIDER_Z_MID, IDC_GIMBAL_EDIT_Z_MID);
    AddParameter('_', IDC_GIMBAL_SLIDER_PITCH_LIMIT, IDC_GIMBAL_EDIT_PITCH_LIMIT);
    AddParameter(')', IDC_GIMBAL_SLIDER_ROLL_LIMIT, IDC_GIMBAL_EDIT_ROLL_LIMIT);
    AddParameter('+', IDC_GIMBAL_SLIDER_Z_LIMIT, IDC_GIMBAL_EDIT_Z_LIMIT);
    // The label buttons have no action of their own on this page.
    const std::vector<LabelText> labels = {
        {IDC_GIMBAL_LABEL_PITCH_SCALE, captions::kPitchScale},
        {IDC_GIMBAL_LABEL_ROLL_SCALE, captions::kRollScale},
        {IDC_GIMBAL_LABEL_Z_SCALE, captions::kZScale},
        {IDC_GIMBAL_LABEL_PITCH_MID, captions::kPitchMid},
        {IDC_GIMBAL_LABEL_ROLL_MID, captions::kRollMid},
        {IDC_GIMBAL_LABEL_Z_MID, captions::kZMid},
        {IDC_GIMBAL_LABEL_PITCH_LIMIT, captions::kPitchLimit},
        {IDC_GIMBAL_LABEL_ROLL_LIMIT, captions::kRollLimit},
        {IDC_GIMBAL_LABEL_Z_LIMIT, captions::kZLimit},
    };
    // In the order of the sliders above.
    const char letters[] = {'K', 'J', '%', '&', '^', '(', '_', ')', '+'};
    for (std::size_t i = 0; i < labels.size(); ++i)
        AddCaptionHelp(letters[i], labels[i].id, labels[i].text);
    SetLabelTexts(labels);
}

CGimbalPage::~CGimbalPage() = default;
