#include "ui/dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace ondrix {

void QtDialogs::message(QWidget* parent, const QString& text, const QString& title,
                        MessageIcon icon) {
    // The texts are joined with CR LF as on Windows; Qt wants bare LF.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(
        icon == MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::Information, title,
        shown, QMessageBox::Ok, parent);
    // Messages name files and addresses from outside: never markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

std::optional<QString> QtDialogs::openFile(QWidget* parent, const OpenFileRequest& request) {
    QFileDialog dialog(parent, QStringLiteral("Open"));
    // A desktop's own dialog applies its own letter-case rules to the
    // patterns; Qt's honours the case-insensitive filter below.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(request.nameFilters);
    // A filter reads as its description ("Wave Files (*.wav)"); the pattern
    // Qt matches with ("*wav") stays out of sight.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    // Windows patterns match regardless of letter case.
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    if (!request.fileName.isEmpty() && QFileInfo(request.fileName).isAbsolute()) {
        dialog.setDirectory(QFileInfo(request.fileName).absolutePath());
        dialog.selectFile(request.fileName);
    } else {
        dialog.setDirectory(request.initialDir);
        if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

}  // namespace ondrix
