#pragma once
// The detail view's rows on the accessibility bus (AT-SPI): the content panel
// answers with one child per row, whose name is the row's caption, whose box
// is the row's box on screen, and which is a link with a press action for
// the title and the song rows (static text for the others).
//
// Thread: UI thread only.

class QAccessibleInterface;

namespace kolva {

class TaskRows;

// Teaches Qt's accessibility to ask us for TaskRows panels (once per process;
// Qt keeps the list of factories).
void installTaskRowsAccessibility();
// The interface of one row, for TaskRows to register and cache.
QAccessibleInterface *newAccessibleRow(TaskRows *rows, int index);

} // namespace kolva
