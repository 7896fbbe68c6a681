#pragma once
// Everything the windows ask of the desktop besides their own widgets:
// message boxes, the file dialogs and handing a web page or a file to the
// default opener. Windows talk to this interface only, so tests answer the
// dialogs themselves.

#include <QString>
#include <QStringList>
#include <QUrl>

class QWidget;

namespace kolva {

class Dialogs {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~Dialogs() = default;
    // Information box (information icon, one OK button), modal to parent.
    virtual void information(QWidget *parent, const QString &title, const QString &text) = 0;
    // An existing file to open; "" when cancelled. filter in Qt form,
    // e.g. "SkinSharp Skin File (*.she)".
    virtual QString openFileName(QWidget *parent, const QString &title, const QString &filter) = 0;
    // A web page or a local file with the desktop's default handler.
    virtual bool openUrl(const QUrl &url) = 0;
    // A Yes/No/Cancel question without icon, modal to parent; the close box
    // answers Cancel. withIcon shows the information icon.
    virtual Answer question(QWidget *parent, const QString &title, const QString &text,
                            bool withIcon = false) = 0;
    // Existing files to open, in the order the dialog gives them; empty when
    // cancelled. filters in Qt form, one per entry; the first is selected.
    virtual QStringList openFileNames(QWidget *parent, const QString &title,
                                      const QStringList &filters) = 0;
};

// The real desktop: QMessageBox, QFileDialog, QDesktopServices.
class DesktopDialogs final : public Dialogs {
public:
    void information(QWidget *parent, const QString &title, const QString &text) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &filter) override;
    bool openUrl(const QUrl &url) override;
    Answer question(QWidget *parent, const QString &title, const QString &text,
                    bool withIcon) override;
    QStringList openFileNames(QWidget *parent, const QString &title,
                              const QStringList &filters) override;
};

} // namespace kolva
