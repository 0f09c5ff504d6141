#include "runjournalformat.h"

#include <algorithm>

namespace journalformat {

namespace {

bool needsCodeEscape(const QString &text, qsizetype i)
{
    const char16_t c = text.at(i).unicode();
    if (c < 0x20 || c == 0x7F)
        return true;
    // A surrogate is fine only as half of a pair; a lone one has no UTF-8 form and would
    // come back as U+FFFD.
    if (QChar::isHighSurrogate(c))
        return i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate();
    if (QChar::isLowSurrogate(c))
        return i == 0 || !text.at(i - 1).isHighSurrogate();
    return false;
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

} // namespace

QString escapeField(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case u'\\': out += u"\\\\"; continue;
        case u'\t': out += u"\\t"; continue;
        case u'\n': out += u"\\n"; continue;
        case u'\r': out += u"\\r"; continue;
        default: break;
        }
        if (needsCodeEscape(text, i))
            out += QStringLiteral("\\u") + QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0');
        else
            out += c;
    }
    return out;
}

std::optional<QString> unescapeField(const QString &field)
{
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field.at(i) != u'\\') {
            out += field.at(i);
            continue;
        }
        if (++i >= field.size())
            return std::nullopt;
        switch (field.at(i).unicode()) {
        case u'\\': out += u'\\'; break;
        case u't': out += u'\t'; break;
        case u'n': out += u'\n'; break;
        case u'r': out += u'\r'; break;
        case u'u': {
            const QString hex = field.mid(i + 1, 4);
            if (hex.size() != 4 || !std::all_of(hex.begin(), hex.end(), isHexDigit))
                return std::nullopt;
            out += QChar(hex.toUShort(nullptr, 16));
            i += 4;
            break;
        }
        default: return std::nullopt;
        }
    }
    return out;
}

QString timeField(const QDateTime &when)
{
    // Qt writes a local time without its offset; fixing the offset first makes it show.
    return when.toOffsetFromUtc(when.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QByteArray line(const QDateTime &when, const QString &word, const QStringList &fields)
{
    QString text = timeField(when) + u'\t' + word;
    for (const QString &field : fields)
        text += u'\t' + escapeField(field);
    return text.toUtf8() + '\n';
}

std::optional<Line> parseLine(const QString &text)
{
    const QStringList parts = text.split(u'\t');
    if (parts.size() < 2)
        return std::nullopt;
    Line out;
    out.when = QDateTime::fromString(parts.at(0), Qt::ISODateWithMs);
    if (!out.when.isValid())
        return std::nullopt;
    out.word = parts.at(1);
    for (qsizetype i = 2; i < parts.size(); ++i) {
        const auto field = unescapeField(parts.at(i));
        if (!field)
            return std::nullopt;
        out.fields += *field;
    }
    return out;
}

} // namespace journalformat
