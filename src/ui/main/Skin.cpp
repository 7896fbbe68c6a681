#include "ui/main/Skin.h"

#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

namespace kolva {

namespace {

// Largest skin file read; style sheets are a few kilobytes.
constexpr qint64 kMaxSkinBytes = 1 << 20;

bool isDeclarationBlock(const QString &block) {
    static const QRegularExpression property(QStringLiteral("^-?[A-Za-z][A-Za-z0-9-]*$"));
    const QStringList declarations = block.split(QLatin1Char(';'));
    for (const QString &raw : declarations) {
        const QString declaration = raw.trimmed();
        if (declaration.isEmpty())
            continue;
        const qsizetype colon = declaration.indexOf(QLatin1Char(':'));
        if (colon <= 0)
            return false;
        if (!property.match(declaration.left(colon).trimmed()).hasMatch())
            return false;
        if (declaration.mid(colon + 1).trimmed().isEmpty())
            return false;
    }
    return true;
}

} // namespace

bool Skin::isUsableStyleSheet(const QString &text) {
    if (text.trimmed().isEmpty() || text.contains(QChar(0)) || text.contains(QChar(0xFFFD)))
        return false;
    // Strip comments and strings so that braces and semicolons inside them
    // do not count; an unclosed one makes the sheet unusable.
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('/') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('*')) {
            const qsizetype end = text.indexOf(QLatin1String("*/"), i + 2);
            if (end < 0)
                return false;
            i = end + 1;
            plain += QLatin1Char(' ');
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const qsizetype end = text.indexOf(c, i + 1);
            if (end < 0)
                return false;
            i = end;
            plain += QLatin1String("x");
        } else {
            plain += c;
        }
    }
    qsizetype pos = 0;
    int rules = 0;
    while (pos < plain.size()) {
        const qsizetype open = plain.indexOf(QLatin1Char('{'), pos);
        if (open < 0)
            return plain.mid(pos).trimmed().isEmpty() && rules > 0;
        const QString selectors = plain.mid(pos, open - pos).trimmed();
        if (selectors.isEmpty() || selectors.contains(QLatin1Char('}')) ||
            selectors.contains(QLatin1Char(';')))
            return false;
        const qsizetype close = plain.indexOf(QLatin1Char('}'), open + 1);
        if (close < 0)
            return false;
        const QString block = plain.mid(open + 1, close - open - 1);
        if (block.contains(QLatin1Char('{')) || !isDeclarationBlock(block))
            return false;
        ++rules;
        pos = close + 1;
    }
    return rules > 0;
}

bool Skin::apply(QApplication &app, const QString &filePath) {
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxSkinBytes)
        return false;
    const QByteArray bytes = file.readAll();
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError() || !isUsableStyleSheet(text))
        return false;
    app.setStyleSheet(text);
    return true;
}

} // namespace kolva
