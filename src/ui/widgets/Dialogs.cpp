#include "ui/widgets/Dialogs.h"

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

Dialogs::Answer DesktopDialogs::question(QWidget *parent, const QString &title, const QString &text,
                                         bool withIcon) {
    QMessageBox box(withIcon ? QMessageBox::Information : QMessageBox::NoIcon, title, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

QStringList DesktopDialogs::openFileNames(QWidget *parent, const QString &title,
                                          const QStringList &filters) {
    return QFileDialog::getOpenFileNames(parent, title, QString(),
                                         filters.join(QStringLiteral(";;")), nullptr);
}

} // namespace kolva
