#pragma once
// Why a song file cannot be played, in the words the error line and the play
// history (跳过文件) use. Qt Core only: both players and the tests share it.

#include <QString>

namespace kolva {

// "" for a readable regular file (a link to one counts); otherwise
// "文件不存在" (also a dangling link), "文件不可读" or "不是普通文件" (a
// folder, a FIFO, a device). Never opens the file: a FIFO would block. It
// does look the file up, which a hung network share can hold for long: the
// player calls it on a worker thread, never on the UI thread.
QString mediaFileProblem(const QString &path);

// A file that opened but does not play: "无法播放：" and the decoder's reason.
QString notPlayableReason(const QString &why);

} // namespace kolva
