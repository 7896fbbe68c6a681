#include "model/TaskExchange.h"

#include "model/NumberText.h"

namespace kolva {

namespace {

const QString kField = QStringLiteral("|");
const QString kSongLine = QStringLiteral("@SONGLINE@");
const QString kSongInfo = QStringLiteral("@SONGINFO@");

QString boolWord(bool b) {
    return b ? QStringLiteral("True") : QStringLiteral("False");
}

// Reading stops at the first field that does not hold what it must.
struct Reader {
    QString error;

    bool fail(const QString &where) {
        if (error.isEmpty())
            error = where;
        return false;
    }
    // A whole number field: the text must be a number as a whole (blanks
    // around it allowed); its value is read the one lenient way.
    bool number(const QString &text, int32_t &out, const QString &where) {
        bool ok = false;
        text.trimmed().toDouble(&ok);
        if (!ok)
            return fail(where);
        out = readNumber(text);
        return true;
    }
    bool boolean(const QString &text, bool &out, const QString &where) {
        const QString t = text.trimmed();
        if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
            out = true;
            return true;
        }
        if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
            out = false;
            return true;
        }
        int32_t n = 0;
        if (!number(t, n, where))
            return false;
        out = n != 0;
        return true;
    }
    bool fields(const QStringList &parts, int count, const QString &where) {
        return parts.size() >= count || fail(where);
    }
};

} // namespace

QString taskExchangeText(const Task &task) {
    return QStringList{task.Title,
                       QString::number(task.Volume),
                       task.StartTime,
                       task.StopTime,
                       task.Duration,
                       QString::number(task.TaskID),
                       boolWord(task.Enabled),
                       boolWord(task.PowerOff)}
        .join(kField);
}

QStringList regionExchangeTexts(const Task &task) {
    QStringList out{QString::number(task.Regions.size())};
    for (const Region &r : task.Regions) {
        QStringList songs;
        for (const Song &s : r.Songs)
            songs << QStringList{QString::number(s.Repeat), s.StartTime, s.Duration, s.SongFile,
                                 QString::number(s.SongID)}
                         .join(kSongInfo);
        out << QStringList{r.Title,
                           QString::number(r.Volume),
                           QString::number(r.Sort),
                           QString::number(r.Repeat),
                           r.Duration,
                           QString::number(r.RegionID),
                           QString::number(r.Songs.size()),
                           songs.join(kSongLine)}
                   .join(kField);
    }
    return out;
}

std::optional<Task> readTaskExchange(const QString &taskText, const QStringList &regionTexts,
                                     QString *error) {
    Reader rd;
    Task task = newTask();
    auto done = [&](bool ok) -> std::optional<Task> {
        if (error)
            *error = ok ? QString() : rd.error;
        return ok ? std::optional<Task>(task) : std::nullopt;
    };
    const QString taskWhere = QStringLiteral("任务信息格式不正确");
    const QStringList t = taskText.split(kField);
    if (!rd.fields(t, 8, taskWhere) || !rd.number(t[1], task.Volume, taskWhere) ||
        !rd.number(t[5], task.TaskID, taskWhere) || !rd.boolean(t[6], task.Enabled, taskWhere) ||
        !rd.boolean(t[7], task.PowerOff, taskWhere))
        return done(false);
    task.Title = t[0];
    task.StartTime = t[2];
    task.StopTime = t[3];
    task.Duration = t[4];

    const int32_t regionCount = regionTexts.isEmpty() ? 0 : readNumber(regionTexts[0]);
    if (regionCount > 0 && regionTexts.size() <= regionCount) {
        rd.fail(QStringLiteral("区域数目与区域信息不符"));
        return done(false);
    }
    for (int j = 0; j < regionCount; ++j) {
        const QString where = QStringLiteral("第%1个区域的信息格式不正确").arg(j + 1);
        const QStringList f = regionTexts[j + 1].split(kField);
        Region region = newRegion();
        int32_t songCount = 0;
        if (!rd.fields(f, 8, where) || !rd.number(f[1], region.Volume, where) ||
            !rd.number(f[2], region.Sort, where) || !rd.number(f[3], region.Repeat, where) ||
            !rd.number(f[5], region.RegionID, where) || !rd.number(f[6], songCount, where))
            return done(false);
        region.Title = f[0];
        region.Duration = f[4];
        if (songCount > 0) {
            const QStringList entries = f.mid(7).join(kField).split(kSongLine);
            if (entries.size() < songCount) {
                rd.fail(where);
                return done(false);
            }
            for (int i = 0; i < songCount; ++i) {
                const QStringList s = entries[i].split(kSongInfo);
                Song song;
                if (!rd.fields(s, 5, where) || !rd.number(s[0], song.Repeat, where) ||
                    !rd.number(s[4], song.SongID, where))
                    return done(false);
                song.StartTime = s[1];
                song.Duration = s[2];
                song.SongFile = s[3];
                region.Songs.append(song);
            }
        }
        task.Regions.append(region);
    }
    return done(true);
}

} // namespace kolva
