#include "FrameDlg.h"

#include "ui_FrameDlg.h"

CFrameDlg::CFrameDlg(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CFrameDlg>()) {
    m_ui->setupUi(this);
}

CFrameDlg::~CFrameDlg() = default;
