#include "playback/AsxReader.h"

#include <QFile>
#include <QXmlStreamReader>

#include "model/ClockTime.h"
#include "model/NumberText.h"

namespace kolva {

namespace {

QString attribute(const QXmlStreamAttributes &attributes, QLatin1StringView name) {
    for (const QXmlStreamAttribute &a : attributes) {
        if (a.name().compare(name, Qt::CaseInsensitive) == 0)
            return a.value().toString();
    }
    return QString();
}

// Plays of an entry inside a REPEAT block with the given COUNT text.
int playsForCount(const QString &countText) {
    const int count = readNumber(countText);
    if (count >= AsxReader::endlessRepeatCount)
        return -1;
    return count < 0 ? 1 : count + 1;
}

} // namespace

double AsxReader::clockSeconds(const QString &raw) {
    const QString text = raw.trimmed();
    if (text.isEmpty())
        return -1;
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    const QString whole = dot < 0 ? text : text.left(dot);
    double fraction = 0;
    if (dot >= 0) {
        const QStringView digits = QStringView(text).mid(dot + 1);
        if (!isDigits(digits) || digits.size() > 9)
            return -1;
        double scale = 0.1;
        for (QChar c : digits) {
            fraction += (c.unicode() - u'0') * scale;
            scale /= 10;
        }
    }
    const QStringList parts = whole.split(QLatin1Char(':'));
    if (parts.size() == 3) {
        // The stored form: read by the one clock-time reader.
        const int second = secondOfDay(whole);
        return second < 0 ? -1 : second + fraction;
    }
    // Shorter forms other ASX writers use: "MM:SS" and "SS".
    if (parts.size() > 3)
        return -1;
    double seconds = 0;
    for (const QString &part : parts) {
        if (part.isEmpty() || part.size() > 6 || !isDigits(part))
            return -1;
        seconds = seconds * 60 + part.toInt();
    }
    return seconds + fraction;
}

Playlist AsxReader::parse(const QByteArray &data, bool *ok) {
    Playlist playlist;
    QXmlStreamReader xml(data);
    QStringList open;         // lower-case names of the open elements
    QVector<int> repeatPlays; // plays of each open REPEAT block, innermost last
    PlaylistEntry entry;
    bool inEntry = false;
    bool entryHasRef = false;
    QString title;

    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QString name = xml.name().toString().toLower();
            const QString parent = open.isEmpty() ? QString() : open.last();
            if (open.size() >= maxDepth) {
                xml.raiseError(QStringLiteral("nested too deeply"));
                break;
            }
            if (open.isEmpty() && name != QLatin1String("asx")) {
                xml.raiseError(QStringLiteral("not an ASX document"));
                break;
            }
            const QXmlStreamAttributes attrs = xml.attributes();
            if (name == QLatin1String("param")) {
                const QString n = attribute(attrs, QLatin1StringView("name"));
                const QString v = attribute(attrs, QLatin1StringView("value"));
                if (parent == QLatin1String("asx")) {
                    playlist.paramNames.append(n);
                    playlist.paramValues.append(v);
                } else if (inEntry && parent == QLatin1String("entry")) {
                    entry.paramNames.append(n);
                    entry.paramValues.append(v);
                }
            } else if (name == QLatin1String("repeat")) {
                repeatPlays.append(playsForCount(attribute(attrs, QLatin1StringView("count"))));
            } else if (name == QLatin1String("entry") && !inEntry) {
                entry = PlaylistEntry();
                entry.plays = repeatPlays.isEmpty() ? 1 : repeatPlays.last();
                inEntry = true;
                entryHasRef = false;
            } else if (inEntry && parent == QLatin1String("entry")) {
                if (name == QLatin1String("starttime")) {
                    const double s = clockSeconds(attribute(attrs, QLatin1StringView("value")));
                    entry.startSeconds = s > 0 ? s : 0;
                } else if (name == QLatin1String("duration")) {
                    // A zero or unreadable length means "to the end": a clip
                    // of nothing repeated endlessly would only spin.
                    const double s = clockSeconds(attribute(attrs, QLatin1StringView("value")));
                    entry.durationSeconds = s > 0 ? s : -1;
                } else if (name == QLatin1String("ref") && !entryHasRef) {
                    // Further Ref elements are fallbacks of other players.
                    entry.ref = attribute(attrs, QLatin1StringView("href"));
                    entryHasRef = true;
                }
            }
            open.append(name);
        } else if (token == QXmlStreamReader::EndElement) {
            const QString name = open.isEmpty() ? QString() : open.takeLast();
            if (name == QLatin1String("entry") && inEntry && !open.contains(name)) {
                inEntry = false;
                if (playlist.entries.size() < maxEntries)
                    playlist.entries.append(entry);
            } else if (name == QLatin1String("repeat") && !repeatPlays.isEmpty()) {
                repeatPlays.removeLast();
            }
        } else if (token == QXmlStreamReader::Characters && open.size() == 2 &&
                   open.last() == QLatin1String("title")) {
            if (title.size() < 4096)
                title += xml.text().left(4096);
        }
    }

    // Unclosed elements at the end raise PrematureEndOfDocumentError.
    const bool good = !xml.hasError();
    if (!good) {
        playlist.entries.clear();
        playlist.paramNames.clear();
        playlist.paramValues.clear();
    } else {
        playlist.name = title.trimmed();
    }
    if (ok)
        *ok = good;
    return playlist;
}

Playlist AsxReader::readFile(const QString &filePath, bool *ok) {
    QFile file(filePath);
    if (filePath.isEmpty() || !file.open(QIODevice::ReadOnly) || file.size() > maxFileBytes) {
        if (ok)
            *ok = false;
        return Playlist();
    }
    return parse(file.read(maxFileBytes + 1), ok);
}

namespace {
PlaylistPtr named(Playlist &&read, const QString &name, quint64 id) {
    auto playlist = std::make_shared<Playlist>(std::move(read));
    playlist->name = name;
    playlist->id = id;
    return playlist;
}
} // namespace

PlaylistPtr AsxReader::readPlaylist(const QString &name, const QString &filePath, quint64 id) {
    return named(readFile(filePath), name, id);
}

PlaylistPtr AsxReader::parsePlaylist(const QString &name, const QByteArray &data, quint64 id) {
    return named(parse(data), name, id);
}

} // namespace kolva
