#include "model/TaskFileErrors.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace kolva {

namespace {

// One fault of the reader: its text as Qt writes it ("%1", "%2" for the
// names it quotes) and ours, where %1 is the last name quoted.
struct Fault {
    const char *reader;
    const char16_t *chinese;
};

// Qt 6's texts (qxmlstream), grouped by kind.
const Fault kFaults[] = {
    // The file ends too soon.
    {"Premature end of document.", u"文件不完整，在这里意外结束"},
    // Bytes that are no text.
    {"Encountered incorrectly encoded content.",
     u"文字编码不正确（文件不是有效的 UTF-16 或 UTF-8 文本）"},
    {"%1 is an invalid encoding name.", u"编码名称 %1 无效"},
    {"Encoding %1 is unsupported", u"不支持编码 %1"},
    // Entities: the limit keeps a small file from growing without end.
    {"Entity expands to more characters than the entity expansion limit.",
     u"实体展开后的内容超过了限制（文件可能被恶意构造）"},
    {"Self-referencing entity detected.", u"实体引用了它自己"},
    {"Entity '%1' not declared.", u"实体 %1 没有声明（文字中的 & 要写成 &amp;）"},
    {"Invalid entity value.", u"实体的值无效"},
    {"Reference to unparsed entity '%1'.", u"引用了不可解析的实体 %1"},
    {"Reference to external entity '%1' in attribute value.", u"属性值中引用了外部实体 %1"},
    {"NDATA in parameter entity declaration.", u"参数实体的声明无效"},
    {"Recursive entity detected.", u"实体递归引用"},
    // Characters XML does not allow.
    {"Invalid XML character.", u"含有 XML 不允许的字符"},
    {"Invalid character reference.", u"字符引用无效"},
    {"Sequence ']]>' not allowed in content.", u"文字中不能出现 ]]>"},
    // The structure of the document.
    {"Opening and ending tag mismatch.", u"开始标签和结束标签不对应"},
    {"Extra content at end of document.", u"文档结束后还有多余的内容"},
    {"Start tag expected.", u"这里应该是一个元素的开始标签"},
    {"Attribute '%1' redefined.", u"属性 %1 重复出现"},
    {"Expected ';', but got '%1'.",
     u"实体引用没有以分号结束，这里是“%1”（文字中的 & 要写成 &amp;）"},
    {"Expected %1, but got '%2'.", u"这里不应出现“%1”"},
    {"Unexpected '%1'.", u"这里不应出现“%1”"},
    {"Expected character data.", u"这里应该是文字"},
    {"Invalid XML name.", u"名称无效"},
    {"Invalid document.", u"不是有效的 XML 文档"},
    // The declaration at the top, processing instructions, namespaces, DTD.
    {"Invalid XML version string.", u"XML 声明中的版本无效"},
    {"Unsupported XML version.", u"不支持这个 XML 版本"},
    {"The standalone pseudo attribute must appear after the encoding.", u"XML 声明不正确"},
    {"Invalid attribute in XML declaration.", u"XML 声明不正确"},
    {"Standalone accepts only yes or no.", u"XML 声明不正确"},
    {"XML declaration not at start of document.", u"XML 声明不在文件开头"},
    {"%1 is an invalid processing instruction name.", u"处理指令的名称 %1 无效"},
    {"Invalid processing instruction name.", u"处理指令的名称无效"},
    {"Illegal namespace declaration.", u"命名空间的声明无效"},
    {"Namespace prefix '%1' not declared", u"命名空间前缀 %1 没有声明"},
    {"Unexpected character '%1' in public id literal.", u"文档类型声明中有无效的字符 %1"},
};

// Matches the reader's text, as written or as Qt's translation has it.
bool matches(const QString &pattern, const QString &text, QString *name) {
    // The fixed parts literally, each quoted name as a group.
    static const QRegularExpression placeholder(QStringLiteral("%[12]"));
    QStringList parts = pattern.split(placeholder);
    for (QString &part : parts)
        part = QRegularExpression::escape(part);
    const QRegularExpression re(QLatin1Char('^') + parts.join(QLatin1String("(.*)")) +
                                    QLatin1Char('$'),
                                QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return false;
    *name = m.lastCapturedIndex() > 0 ? m.captured(m.lastCapturedIndex()) : QString();
    return true;
}

} // namespace

QString xmlErrorText(const QXmlStreamReader &xml) {
    const QString text = xml.errorString();
    for (const Fault &fault : kFaults) {
        QString name;
        const QString source = QString::fromLatin1(fault.reader);
        if (matches(source, text, &name) ||
            matches(QCoreApplication::translate("QXmlStream", fault.reader), text, &name)) {
            // A character nobody can see: the reader quotes nothing, or the
            // character itself, which is named by its code.
            const QString chinese = QString::fromUtf16(fault.chinese);
            if (name.isEmpty() && chinese.contains(QStringLiteral("“%1”")))
                return QStringLiteral("这里有 XML 不允许的字符");
            if (name.size() == 1 && !name.at(0).isPrint())
                return QStringLiteral("含有 XML 不允许的字符 U+%1")
                    .arg(QString::number(name.at(0).unicode(), 16)
                             .toUpper()
                             .rightJustified(4, u'0'));
            return chinese.contains(QLatin1String("%1")) ? chinese.arg(name) : chinese;
        }
    }
    switch (xml.error()) {
    case QXmlStreamReader::PrematureEndOfDocumentError:
        return QString::fromUtf16(kFaults[0].chinese);
    case QXmlStreamReader::NotWellFormedError:
        return QStringLiteral("不是格式正确的 XML");
    default:
        return QStringLiteral("无法解析");
    }
}

} // namespace kolva
