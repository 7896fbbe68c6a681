#pragma once
// The task list file: UTF-16LE with byte-order mark, CR LF between lines, tabs
// for nesting, root <Tasklist> with <Task>, <Region> and <Song> elements. The
// file is also edited by hand, so reading is lenient (any attribute order,
// other elements ignored) while writing is byte-exact.

#include <QByteArray>
#include <QString>

#include "model/Task.h"

namespace kolva {

// Reads the file into `list`. On success the list is replaced (ids renumbered
// from 0 in file order); when the file is missing, unreadable, not well-formed
// or too large, the list is left exactly as it was and false is returned, with
// the reason in *reason (the parser's, with line and column; "" for a file
// that does not exist, which is a normal first start).
bool loadTasks(const QString &path, TaskList &list, QString *reason = nullptr);

// Parses the bytes of a task file (the reader behind loadTasks).
bool parseTaskFile(const QByteArray &bytes, TaskList &list, QString *reason = nullptr);

// The whole document text (without the byte-order mark).
QString taskFileText(const TaskList &list);

// Writes the whole list. The new file is written beside the old one, flushed
// to disk and renamed over it, so a failed save never loses the previous
// file. Returns false with a Chinese message in *error on failure.
bool saveTasks(const QString &path, const TaskList &list, QString *error = nullptr);

// Writes the byte-order mark and the text's UTF-16LE bytes, atomically as
// saveTasks does.
bool writeUnicodeFile(const QString &path, const QString &text, QString *error = nullptr);

// Largest task file accepted (bytes); bigger files are refused unread.
inline constexpr qint64 kMaxTaskFileBytes = 256ll * 1024 * 1024;

} // namespace kolva
