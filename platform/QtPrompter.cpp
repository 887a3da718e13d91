#include "QtPrompter.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

QMessageBox::Icon ToQtIcon(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::Information: return QMessageBox::Information;
        case PromptIcon::Warning: return QMessageBox::Warning;
        case PromptIcon::Question: return QMessageBox::Question;
        case PromptIcon::Stop: return QMessageBox::Critical;
        case PromptIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton ToQtButton(PromptAnswer answer) {
    switch (answer) {
        case PromptAnswer::Ok: return QMessageBox::Ok;
        case PromptAnswer::Cancel: return QMessageBox::Cancel;
        case PromptAnswer::Yes: return QMessageBox::Yes;
        case PromptAnswer::No: return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

}  // namespace

PromptAnswer QtPrompter::Message(const PromptMessage& message) {
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    if (message.buttons == PromptButtons::OkCancel) buttons = QMessageBox::Ok | QMessageBox::Cancel;
    if (message.buttons == PromptButtons::YesNo) buttons = QMessageBox::Yes | QMessageBox::No;
    QString text = message.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(ToQtIcon(message.icon), message.caption, text, buttons, m_owner);
    box.setDefaultButton(ToQtButton(message.defaultAnswer));
    switch (box.exec()) {
        case QMessageBox::Ok: return PromptAnswer::Ok;
        case QMessageBox::Yes: return PromptAnswer::Yes;
        case QMessageBox::No: return PromptAnswer::No;
        default: return message.buttons == PromptButtons::YesNo ? PromptAnswer::No : PromptAnswer::Cancel;
    }
}

QString QtPrompter::ToQtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) entries << parts[i];
    return entries.join(QStringLiteral(";;"));
}

std::optional<QString> QtPrompter::OpenFile(const FileRequest& request) {
    QFileDialog dialog(m_owner, QString(), QString(), ToQtFilter(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QString(request.defaultExtension).remove(QStringLiteral("*.")).remove(QLatin1Char('.')));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> QtPrompter::SaveFile(const FileRequest& request) {
    QFileDialog dialog(m_owner, QString(), QString(), ToQtFilter(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QString(request.defaultExtension).remove(QLatin1Char('.')));
    if (!request.defaultName.isEmpty()) dialog.selectFile(request.defaultName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
}
