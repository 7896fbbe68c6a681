#pragma once
// Everything the main window asks of the desktop besides its own widgets:
// message boxes, the file dialog and handing a web page or a file to the
// default opener. The window talks to this interface only, so tests answer
// the dialogs themselves.

#include <QString>
#include <QUrl>

class QWidget;

namespace kolva {

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Information box (information icon, one OK button), modal to parent.
    virtual void information(QWidget *parent, const QString &title, const QString &text) = 0;
    // An existing file to open; "" when cancelled. filter in Qt form,
    // e.g. "SkinSharp Skin File (*.she)".
    virtual QString openFileName(QWidget *parent, const QString &title, const QString &filter) = 0;
    // A web page or a local file with the desktop's default handler.
    virtual bool openUrl(const QUrl &url) = 0;
};

// The real desktop: QMessageBox, QFileDialog, QDesktopServices.
class DesktopDialogs final : public Dialogs {
public:
    void information(QWidget *parent, const QString &title, const QString &text) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &filter) override;
    bool openUrl(const QUrl &url) override;
};

} // namespace kolva
