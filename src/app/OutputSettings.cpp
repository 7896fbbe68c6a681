#include "app/OutputSettings.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>

#include "base/AtomicFile.h"

namespace kolva {

namespace {

constexpr qint64 kMaxBytes = 1 << 20; // a settings file is a few lines

bool isSectionHeader(const QString &trimmed) {
    return trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'));
}

bool isOutputHeader(const QString &trimmed) {
    return trimmed.compare(QLatin1String("[Output]"), Qt::CaseInsensitive) == 0;
}

QString oneLine(QString value) {
    value.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return value.trimmed();
}

// The file's text; false with the reason when it cannot be read as UTF-8.
bool readText(const QString &path, QString *text, QString *reason) {
    const QFileInfo info(path);
    if (!info.isFile()) {
        *reason = QStringLiteral("不是普通文件");
        return false;
    }
    if (info.size() > kMaxBytes) {
        *reason = QStringLiteral("文件太大");
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *reason = file.errorString();
        return false;
    }
    QStringDecoder decode(QStringDecoder::Utf8);
    *text = decode(bytes);
    if (decode.hasError()) {
        *reason = QStringLiteral("不是 UTF-8 文本");
        return false;
    }
    return true;
}

QStringList lines(const QString &text) {
    QStringList result = text.split(QLatin1Char('\n'));
    for (QString &line : result) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    while (!result.isEmpty() && result.last().isEmpty())
        result.removeLast();
    return result;
}

} // namespace

bool loadOutputSettings(const QString &path, OutputSettings *settings, QString *error) {
    *settings = OutputSettings{};
    if (error)
        error->clear();
    if (!QFileInfo::exists(path))
        return false;
    QString text;
    QString reason;
    if (!readText(path, &text, &reason)) {
        if (error)
            *error = QStringLiteral("无法读取声音输出设置 %1：%2，使用系统默认输出")
                         .arg(QFileInfo(path).absoluteFilePath(), reason);
        return false;
    }
    bool inOutput = false;
    for (const QString &line : lines(text)) {
        const QString t = line.trimmed();
        if (t.isEmpty() || t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('#')))
            continue;
        if (isSectionHeader(t)) {
            inOutput = isOutputHeader(t);
            continue;
        }
        const qsizetype eq = t.indexOf(QLatin1Char('='));
        if (!inOutput || eq < 0)
            continue;
        const QString key = t.left(eq).trimmed();
        const QString value = t.mid(eq + 1).trimmed();
        if (key == QLatin1String("Device"))
            settings->device = value;
        else if (key == QLatin1String("Description"))
            settings->description = value;
        else if (key == QLatin1String("FallBackToDefault"))
            settings->fallBackToDefault = value.toLower() != QLatin1String("false");
    }
    return true;
}

QString outputSettingsText(const QString &previous, const OutputSettings &settings) {
    const QStringList section = {
        QStringLiteral("[Output]"),
        QStringLiteral("Device=") + oneLine(settings.device),
        QStringLiteral("Description=") + oneLine(settings.description),
        QStringLiteral("FallBackToDefault=") +
            (settings.fallBackToDefault ? QStringLiteral("true") : QStringLiteral("false")),
    };
    QStringList out;
    bool written = false;
    bool skipping = false;
    for (const QString &line : lines(previous)) {
        const QString t = line.trimmed();
        if (isSectionHeader(t)) {
            skipping = isOutputHeader(t);
            if (skipping && !written) {
                out << section;
                written = true;
            }
            if (skipping)
                continue;
        }
        if (!skipping)
            out << line;
    }
    if (!written) {
        if (out.isEmpty())
            out << QStringLiteral("; KOLVA定时播放器的设置（UTF-8）");
        out << section;
    }
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

bool saveOutputSettings(const QString &path, const OutputSettings &settings, QString *error) {
    QString previous;
    QString reason;
    // An unreadable old file is replaced: the user has just chosen anew.
    if (QFileInfo::exists(path) && !readText(path, &previous, &reason))
        previous.clear();
    if (writeFileAtomically(path, outputSettingsText(previous, settings).toUtf8(), &reason))
        return true;
    if (error)
        *error = QStringLiteral("无法保存声音输出设置 %1：%2")
                     .arg(QFileInfo(path).absoluteFilePath(), reason);
    return false;
}

} // namespace kolva
