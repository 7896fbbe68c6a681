#include "ui/main/Dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

namespace kolva {

void DesktopDialogs::information(QWidget *parent, const QString &title, const QString &text) {
    QMessageBox::information(parent, title, text);
}

QString DesktopDialogs::openFileName(QWidget *parent, const QString &title, const QString &filter) {
    return QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

bool DesktopDialogs::openUrl(const QUrl &url) {
    return QDesktopServices::openUrl(url);
}

} // namespace kolva
