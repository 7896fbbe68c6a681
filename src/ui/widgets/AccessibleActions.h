#pragma once
// What an assistive technology asks of a control through the accessibility
// bus (a screen reader's "activate", AT-SPI DoAction) is answered at once:
// the work runs after the reply, in the next turn of the event loop. A
// button's work may open a modal dialog (a message box, the file dialog, the
// song dialog), and the caller would wait for its reply (25 s on AT-SPI)
// until the dialog closed.
//
// Every push button, tool button, check box and radio button of the program
// gets this behaviour from one accessible interface (installed for the whole
// process by installAccessibleButtons); the press and toggle actions are the
// user's click, so what a click does (and announces) is what the action does.
// The detail view's rows use runAfterReply for their press action.
//
// Thread: UI thread.

#include <QObject>
#include <functional>

namespace kolva {

// Runs work on the UI thread once the current call has returned, unless
// context is gone by then.
void runAfterReply(QObject *context, std::function<void()> work);

// The buttons' accessible interface, for every button made from now on (and
// every one whose interface was not asked for yet). Calling it again does
// nothing.
void installAccessibleButtons();

} // namespace kolva
