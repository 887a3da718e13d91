#include "GimbalPage.h"

#include "ResourceIds.h"
#include "ui_GimbalPage.h"

CGimbalPage::CGimbalPage(IPageHost& host, QWidget* parent)
    : CSliderPage(host, CachePolicy::OnSend, SendExchange::MainWindow, parent),
      m_ui(std::make_unique<Ui::CGimbalPage>()) {
    m_ui->setupUi(this);
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
    SetLabelTexts({
        {IDC_GIMBAL_LABEL_PITCH_SCALE, "云台俯仰比例", "Gim Pitch Scale"},
        {IDC_GIMBAL_LABEL_ROLL_SCALE, "云台横滚比例", "Gim Roll Scale"},
        {IDC_GIMBAL_LABEL_Z_SCALE, "云台 Z轴比例", "Gim Z Axil Scale"},
        {IDC_GIMBAL_LABEL_PITCH_MID, "俯仰舵机中点", "Pitch Servo Mid"},
        {IDC_GIMBAL_LABEL_ROLL_MID, "横滚舵机中点", "Roll Servo Mid"},
        {IDC_GIMBAL_LABEL_Z_MID, "Z 轴舵机中点", "Z Axil Servo Mid"},
        {IDC_GIMBAL_LABEL_PITCH_LIMIT, "俯仰角度限制", "PitchAngularLimit"},
        {IDC_GIMBAL_LABEL_ROLL_LIMIT, "横滚角度限制", "RollAngularLimit"},
        {IDC_GIMBAL_LABEL_Z_LIMIT, "Z 轴角度限制", "Z AxilAngularLimit"},
    });
}

CGimbalPage::~CGimbalPage() = default;
