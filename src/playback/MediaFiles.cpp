#include "playback/MediaFiles.h"

#include <QFileInfo>

namespace kolva {

QString mediaFileProblem(const QString &path) {
    const QFileInfo info(path); // follows links
    if (path.isEmpty() || !info.exists())
        return QStringLiteral("文件不存在");
    if (!info.isFile())
        return QStringLiteral("不是普通文件");
    if (!info.isReadable())
        return QStringLiteral("文件不可读");
    return QString();
}

QString notPlayableReason(const QString &why) {
    return QStringLiteral("无法播放：") + why;
}

} // namespace kolva
