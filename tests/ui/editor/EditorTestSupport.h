#pragma once
// Helpers of the editor control tests: answering the modal song dialog and
// typing into a control.

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <functional>

#include "support/SongRecord.h"
#include "ui/editor/SongDialog.h"

namespace kolva::test {

inline SongDialog *shownSongDialog() {
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<SongDialog *>(widget); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

// Runs act on the song dialog once its modal loop runs. Whatever act leaves
// open is cancelled, so a failing test never hangs; `opened` tells whether it
// was shown at all.
inline void whenSongDialogOpens(std::function<void(SongDialog &)> act, bool *opened = nullptr) {
    QTimer::singleShot(0, [act, opened] {
        SongDialog *dialog = shownSongDialog();
        if (opened)
            *opened = dialog != nullptr;
        if (!dialog)
            return;
        act(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
}

inline void typeKey(QWidget *widget, Qt::Key key, const QString &text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

} // namespace kolva::test
