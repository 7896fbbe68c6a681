#include "model/XmlText.h"

namespace kolva {

QString xmlAttributeText(const QString &text) {
    QString out;
    out.reserve(text.size() + 8);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        switch (u) {
        case u'"':
            out += QLatin1String("&quot;");
            continue;
        case u'&':
            out += QLatin1String("&amp;");
            continue;
        case u'<':
            out += QLatin1String("&lt;");
            continue;
        case u'>':
            out += QLatin1String("&gt;");
            continue;
        case u'\t':
            out += QLatin1String("&#9;");
            continue;
        case u'\n':
            out += QLatin1String("&#10;");
            continue;
        case u'\r':
            out += QLatin1String("&#13;");
            continue;
        default:
            break;
        }
        if (u < 0x20 || u == 0xFFFE || u == 0xFFFF)
            continue;
        if (c.isHighSurrogate()) {
            if (i + 1 < n && text[i + 1].isLowSurrogate()) {
                out += c;
                out += text[++i];
            }
            continue;
        }
        if (c.isLowSurrogate())
            continue;
        out += c;
    }
    return out;
}

} // namespace kolva
