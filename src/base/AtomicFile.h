#pragma once
// Writing a whole file in full or not at all. The bytes go to a temporary file
// beside the target, are flushed to disk and renamed over the target in one
// step: readers see the old file or the new one, never a half-written one, and
// a failed write (full disk, no permission) leaves the old file untouched.
// Temporary files left by a write that was killed are removed by a later
// write of the same file once they are ten minutes old.

#include <QByteArray>
#include <QString>

namespace kolva {

// Replaces the file at `path` with `bytes`. The new file keeps the old one's
// permissions (a first write gets 0666 less the umask). A link is followed:
// its target is replaced, the link stays. Returns false when any step fails
// (also a short write or a file that does not hold every byte afterwards), with
// the reason in Chinese in *reason, e.g. "写入失败（No space left on device）";
// no temporary file is left behind. Blocks for the disk flush: call it from the
// thread that owns the file, for files of a few megabytes at most.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *reason = nullptr);

// Renames `from` to `to` only when nothing is at `to`: an existing file is
// never replaced. Returns false with the reason in Chinese in *reason (for a
// taken name: "目标已存在（File exists）").
bool renameWithoutReplacing(const QString &from, const QString &to, QString *reason = nullptr);

} // namespace kolva
