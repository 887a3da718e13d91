#include "FrameDlg.h"

#include "ResourceIds.h"

CFrameDlg* g_pFrameDlg = nullptr;

CFrameDlg::CFrameDlg(QWidget* parent) : QDialog(parent) {
    g_pFrameDlg = this;
    setProperty("dialogTemplate", IDD_FRAME_DIALOG);
    setWindowTitle(QStringLiteral(
        "瑞翎航模提示：请在本对话框中输入您机架的相关参数（注意各参数的说明），并按[保存]按扭！"));
}

CFrameDlg::~CFrameDlg() {
    if (g_pFrameDlg == this) g_pFrameDlg = nullptr;
}
