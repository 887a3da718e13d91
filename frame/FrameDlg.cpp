#include "FrameDlg.h"

#include "ui_FrameDlg.h"

CFrameDlg* g_pFrameDlg = nullptr;

CFrameDlg::CFrameDlg(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CFrameDlg>()) {
    g_pFrameDlg = this;
    m_ui->setupUi(this);
}

CFrameDlg::~CFrameDlg() {
    if (g_pFrameDlg == this) g_pFrameDlg = nullptr;
}
