#pragma once
// The task list file: UTF-16LE with byte-order mark, CR LF between lines, tabs
// for nesting, root <Tasklist> with <Task>, <Region> and <Song> elements. The
// file is also edited by hand, so reading is lenient (any attribute order,
// other elements ignored) while writing is byte-exact.

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include "model/Task.h"

namespace kolva {

// Reads the file into `list`. On success the list is replaced (ids renumbered
// from 0 in file order); when the file is missing, unreadable, not well-formed
// or too large, the list is left exactly as it was and false is returned.
// *error then holds the Chinese message for the user, "任务列表文件无法读取："
// with the reason (the parser's, in Chinese, with line and column); it stays
// empty when the file is simply missing, as on a first start.
bool loadTasks(const QString &path, TaskList &list, QString *error = nullptr);

// Parses the bytes of a task file (the reader behind loadTasks). On failure
// *reason holds the parser's reason (xmlErrorText) with line and column.
bool parseTaskFile(const QByteArray &bytes, TaskList &list, QString *reason = nullptr);

// The prefix of every message about a task file that cannot be read.
inline constexpr char16_t kUnreadableTaskFilePrefix[] = u"任务列表文件无法读取：";

// The CatchUp attribute: "Window", or minutes read as any number of the
// file (leading number, rounded) and kept within 0..kMaxCatchUpMinutes;
// absent or empty is the default.
int32_t readCatchUp(QStringView text);
QString catchUpText(int32_t catchUp);

// The whole document text (without the byte-order mark).
QString taskFileText(const TaskList &list);

// Writes the whole list. The new file is written beside the old one, flushed
// to disk and renamed over it, so a failed save never loses the previous
// file. A readable previous file is kept first as "<path>.bak" (one
// generation, replaced atomically); one that cannot be read (perhaps a
// hand-written list with one stray "&") is moved aside by
// keepUnreadableTaskFile and its new path given in *keptAside (else emptied),
// so the caller can tell the user. Returns false with a Chinese message in
// *error on failure.
bool saveTasks(const QString &path, const TaskList &list, QString *error = nullptr,
               QString *keptAside = nullptr);

// Moves the file at `path` to "<path>.unreadable-YYYYMMDD-HHMMSS" (`now`),
// with "-2", "-3", ... appended while that name is taken: it is never deleted
// and never overwrites anything. Gives the new path in *keptPath.
bool keepUnreadableTaskFile(const QString &path, const QDateTime &now, QString *keptPath,
                            QString *error = nullptr);

// Writes the byte-order mark and the text's UTF-16LE bytes, atomically as
// saveTasks does.
bool writeUnicodeFile(const QString &path, const QString &text, QString *error = nullptr);

// Largest task file accepted (bytes); bigger files are refused unread.
inline constexpr qint64 kMaxTaskFileBytes = 256ll * 1024 * 1024;

} // namespace kolva
