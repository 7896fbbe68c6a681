#include "model/TaskFile.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <algorithm>

#include "base/AtomicFile.h"
#include "model/NumberText.h"
#include "model/PlayDays.h"
#include "model/TaskFileErrors.h"
#include "model/XmlText.h"

namespace kolva {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString boolText(bool b) {
    return b ? QStringLiteral("True") : QStringLiteral("False");
}

void appendTask(QString &out, const Task &t) {
    out += kCrLf;
    out += QLatin1String("\t<Task Enabled=\"") + boolText(t.Enabled);
    out += QLatin1String("\" Title=\"") +
           xmlAttributeText(t.Title.isEmpty() ? QStringLiteral("任务") : t.Title);
    out += QLatin1String("\" Volume=\"") + QString::number(t.Volume);
    out += QLatin1String("\" StartTime=\"") + xmlAttributeText(t.StartTime);
    out += QLatin1String("\" Duration=\"") + xmlAttributeText(t.Duration);
    out += QLatin1String("\" StopTime=\"") + xmlAttributeText(t.StopTime);
    out += QLatin1String("\" PowerOff=\"") + boolText(t.PowerOff);
    // Play days are written only when set, so a list that never uses them
    // stays byte for byte as before.
    if ((t.Days & kEveryDay) != kEveryDay)
        out += QLatin1String("\" Days=\"") + daysText(t.Days);
    if (t.Holidays)
        out += QLatin1String("\" Holidays=\"True");
    if (t.CatchUp != kDefaultCatchUp)
        out += QLatin1String("\" CatchUp=\"") + catchUpText(t.CatchUp);
    // The output device comes last of the added attributes, only when set.
    if (!t.Device.isEmpty())
        out += QLatin1String("\" Device=\"") + xmlAttributeText(t.Device);
    out += QLatin1String("\">");
    for (const Region &r : t.Regions) {
        out += kCrLf;
        out += QLatin1String("\t\t<Region Title=\"") +
               xmlAttributeText(r.Title.isEmpty() ? QStringLiteral("区间") : r.Title);
        out += QLatin1String("\" Volume=\"") + QString::number(r.Volume);
        out += QLatin1String("\" Sort=\"") + QString::number(r.Sort);
        out += QLatin1String("\" Repeat=\"") + QString::number(r.Repeat);
        out +=
            QLatin1String("\" Duration=\"") + xmlAttributeText(r.Duration) + QLatin1String("\">");
        for (const Song &s : r.Songs) {
            out += kCrLf;
            out += QLatin1String("\t\t\t<Song Repeat=\"") + QString::number(s.Repeat);
            out += QLatin1String("\" StartTime=\"") + xmlAttributeText(s.StartTime);
            out += QLatin1String("\" Duration=\"") + xmlAttributeText(s.Duration);
            out += QLatin1String("\" SongFile=\"") + xmlAttributeText(s.SongFile) +
                   QLatin1String("\"/>");
        }
        out += kCrLf;
        out += QLatin1String("\t\t</Region>");
    }
    out += kCrLf;
    out += QLatin1String("\t</Task>");
}

int32_t numberOr(const QXmlStreamAttributes &a, QLatin1String name, int32_t whenEmpty) {
    const QStringView v = a.value(name);
    return v.isEmpty() ? whenEmpty : readNumber(v);
}

QString text(const QXmlStreamAttributes &a, QLatin1String name) {
    return a.value(name).toString();
}

// Skips the current element with everything inside it.
void skipElement(QXmlStreamReader &xml) {
    xml.skipCurrentElement();
}

Song readSong(const QXmlStreamAttributes &a) {
    Song s;
    s.Repeat = numberOr(a, QLatin1String("Repeat"), 0);
    s.StartTime = text(a, QLatin1String("StartTime"));
    s.Duration = text(a, QLatin1String("Duration"));
    s.SongFile = text(a, QLatin1String("SongFile"));
    return s;
}

Region readRegionAttributes(const QXmlStreamAttributes &a) {
    Region r;
    r.Title = text(a, QLatin1String("Title"));
    r.Volume = numberOr(a, QLatin1String("Volume"), -1);
    r.Sort = numberOr(a, QLatin1String("Sort"), 0);
    r.Repeat = numberOr(a, QLatin1String("Repeat"), 0);
    r.Duration = text(a, QLatin1String("Duration"));
    return r;
}

Task readTaskAttributes(const QXmlStreamAttributes &a) {
    Task t;
    t.Enabled = a.value(QLatin1String("Enabled")).toString().toLower() != QLatin1String("false");
    t.Title = text(a, QLatin1String("Title"));
    t.Volume = numberOr(a, QLatin1String("Volume"), -1);
    t.StartTime = text(a, QLatin1String("StartTime"));
    t.Duration = text(a, QLatin1String("Duration"));
    t.StopTime = text(a, QLatin1String("StopTime"));
    t.PowerOff = a.value(QLatin1String("PowerOff")).toString().toLower() == QLatin1String("true");
    t.Days = readDays(a.value(QLatin1String("Days")));
    t.Holidays = a.value(QLatin1String("Holidays")).toString().toLower() == QLatin1String("true");
    t.CatchUp = readCatchUp(a.value(QLatin1String("CatchUp")));
    t.Device = text(a, QLatin1String("Device"));
    return t;
}

} // namespace

int32_t readCatchUp(QStringView text) {
    if (text.trimmed().isEmpty())
        return kDefaultCatchUp;
    if (text.trimmed().compare(QLatin1String("Window"), Qt::CaseInsensitive) == 0)
        return kCatchUpWindow;
    return std::clamp(readNumber(text), 0, kMaxCatchUpMinutes);
}

QString catchUpText(int32_t catchUp) {
    return catchUp == kCatchUpWindow ? QStringLiteral("Window") : QString::number(catchUp);
}

bool parseTaskFile(const QByteArray &bytes, TaskList &list, QString *reason) {
    QXmlStreamReader xml(bytes);
    xml.setNamespaceProcessing(false);
    xml.setEntityExpansionLimit(1024); // no "billion laughs" from a DTD
    TaskList result;
    bool rootSeen = false;
    while (!xml.atEnd()) {
        xml.readNext();
        // Only the root comes here: its content is consumed below, and a
        // second top-level element is an error of the reader.
        if (!xml.isStartElement())
            continue;
        rootSeen = true;
        if (xml.name() != QLatin1String("Tasklist")) {
            skipElement(xml);
            continue;
        }
        while (xml.readNextStartElement()) {
            if (xml.name() != QLatin1String("Task")) {
                skipElement(xml);
                continue;
            }
            Task t = readTaskAttributes(xml.attributes());
            t.TaskID = int32_t(result.size());
            while (xml.readNextStartElement()) {
                if (xml.name() != QLatin1String("Region")) {
                    skipElement(xml);
                    continue;
                }
                Region r = readRegionAttributes(xml.attributes());
                r.RegionID = int32_t(t.Regions.size());
                r.ParentTaskID = t.TaskID;
                while (xml.readNextStartElement()) {
                    if (xml.name() == QLatin1String("Song")) {
                        Song s = readSong(xml.attributes());
                        s.ParentTaskID = t.TaskID;
                        s.ParentRegionID = r.RegionID;
                        s.SongID = int32_t(r.Songs.size());
                        r.Songs.append(std::move(s));
                    }
                    skipElement(xml);
                }
                t.Regions.append(std::move(r));
            }
            result.append(std::move(t));
        }
    }
    // The whole document must be well-formed, as the original DOM load demanded.
    while (!xml.atEnd() && !xml.hasError())
        xml.readNext();
    if (xml.hasError() || !rootSeen) {
        if (reason) {
            *reason = !xml.hasError() ? QStringLiteral("文件中没有任何元素")
                                      : QStringLiteral("第 %1 行第 %2 列：%3")
                                            .arg(xml.lineNumber())
                                            .arg(xml.columnNumber())
                                            .arg(xmlErrorText(xml));
        }
        return false;
    }
    list = std::move(result);
    return true;
}

bool loadTasks(const QString &path, TaskList &list, QString *error) {
    auto fail = [&](const QString &reason) {
        if (error)
            *error = QString::fromUtf16(kUnreadableTaskFilePrefix) + reason + QStringLiteral("（") +
                     QFileInfo(path).absoluteFilePath() + QStringLiteral("）");
        return false;
    };
    if (error)
        error->clear();
    const QFileInfo info(path);
    if (!info.exists())
        return false; // a first start: nothing to say
    if (!info.isFile())
        return fail(QStringLiteral("不是普通文件"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    if (file.size() > kMaxTaskFileBytes)
        return fail(QStringLiteral("文件太大（超过 %1 MB）").arg(kMaxTaskFileBytes >> 20));
    const QByteArray bytes = file.read(kMaxTaskFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    if (bytes.size() > kMaxTaskFileBytes)
        return fail(QStringLiteral("文件太大（超过 %1 MB）").arg(kMaxTaskFileBytes >> 20));
    QString reason;
    if (!parseTaskFile(bytes, list, &reason))
        return fail(reason);
    return true;
}

QString taskFileText(const TaskList &list) {
    QString out;
    qsizetype songs = 0;
    for (const Task &t : list)
        for (const Region &r : t.Regions)
            songs += r.Songs.size();
    out.reserve(200 + list.size() * 200 + songs * 160);
    out += QLatin1String("<?xml version=\"1.0\"?>");
    out += kCrLf;
    out += QStringLiteral("<!--请以Unicode格式保存本文档-->");
    out += kCrLf;
    out += QLatin1String("<Tasklist>");
    for (const Task &t : list)
        appendTask(out, t);
    out += kCrLf;
    out += QLatin1String("</Tasklist>");
    return out;
}

bool writeUnicodeFile(const QString &path, const QString &text, QString *error) {
    QByteArray bytes;
    bytes.reserve(2 + text.size() * 2);
    bytes.append(char(0xFF));
    bytes.append(char(0xFE));
    for (QChar c : text) {
        const char16_t u = c.unicode();
        bytes.append(char(u & 0xFF));
        bytes.append(char(u >> 8));
    }

    QString reason;
    if (writeFileAtomically(path, bytes, &reason))
        return true;
    if (error) {
        *error = QStringLiteral("无法保存任务文件 %1：%2")
                     .arg(QFileInfo(path).absoluteFilePath(), reason);
    }
    return false;
}

bool keepUnreadableTaskFile(const QString &path, const QDateTime &now, QString *keptPath,
                            QString *error) {
    const QString base =
        path + QStringLiteral(".unreadable-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString reason;
    for (int n = 1; n <= 1000; ++n) {
        const QString target = n == 1 ? base : base + QLatin1Char('-') + QString::number(n);
        if (renameWithoutReplacing(path, target, &reason)) {
            if (keptPath)
                *keptPath = target;
            return true;
        }
        if (QFileInfo::exists(path) && QFileInfo(target).exists())
            continue; // the name is taken: try the next one
        break;
    }
    if (error) {
        *error = QStringLiteral("无法另存无法读取的任务列表文件 %1：%2")
                     .arg(QFileInfo(path).absoluteFilePath(), reason);
    }
    return false;
}

bool saveTasks(const QString &path, const TaskList &list, QString *error, QString *keptAside) {
    if (keptAside)
        keptAside->clear();
    if (QFileInfo(path).exists()) {
        QByteArray previous;
        QFile file(path);
        TaskList ignored;
        const bool good = QFileInfo(path).isFile() && QFileInfo(path).size() <= kMaxTaskFileBytes &&
                          file.open(QIODevice::ReadOnly) &&
                          (previous = file.readAll(), file.error() == QFileDevice::NoError) &&
                          parseTaskFile(previous, ignored);
        file.close();
        if (good) {
            QString reason;
            if (!writeFileAtomically(path + QStringLiteral(".bak"), previous, &reason)) {
                if (error) {
                    *error = QStringLiteral("无法保留上一版本的任务列表 %1：%2")
                                 .arg(QFileInfo(path + QStringLiteral(".bak")).absoluteFilePath(),
                                      reason);
                }
                return false;
            }
        } else if (!keepUnreadableTaskFile(path, QDateTime::currentDateTime(), keptAside, error)) {
            return false;
        }
    }
    return writeUnicodeFile(path, taskFileText(list), error);
}

} // namespace kolva
