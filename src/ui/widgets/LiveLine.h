#pragma once
// A line of text a screen reader reads out whenever it changes, without the
// user moving there (a live region): the main window's error line. On the
// accessibility bus it is a notification whose name is its text; each new
// text shows it anew, which is when screen readers speak notifications.
//
// Thread: UI thread.

#include <QLabel>

namespace kolva {

class LiveLine : public QLabel {
    Q_OBJECT
public:
    explicit LiveLine(QWidget *parent = nullptr);

    // Shows text and has it read out, also when it is the text shown.
    void say(const QString &text);
};

} // namespace kolva
