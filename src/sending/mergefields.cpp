#include "mergefields.h"

#include "common/text.h"

namespace merge {
namespace {

// The placeholder whose "{" is at open: the index of its "}" and its name, or -1.
qsizetype closingBrace(const QString &text, qsizetype open, QString &name)
{
    for (qsizetype i = open + 1; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'{' || c == u'\r' || c == u'\n')
            return -1;
        if (c == u'}') {
            name = trimSpaces(text.mid(open + 1, i - open - 1));
            return name.isEmpty() ? -1 : i;
        }
    }
    return -1;
}

// Walks the text by the rules above: literal text to literal, each placeholder to
// placeholder.
template <typename Literal, typename Placeholder>
void walk(const QString &text, Literal literal, Placeholder placeholder)
{
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        const bool doubled = i + 1 < text.size() && text.at(i + 1) == c;
        if ((c == u'{' || c == u'}') && doubled) {
            literal(c);
            i += 2;
            continue;
        }
        QString name;
        const qsizetype close = c == u'{' ? closingBrace(text, i, name) : -1;
        if (close < 0) {
            literal(c);
            ++i;
            continue;
        }
        placeholder(name);
        i = close + 1;
    }
}

} // namespace

QStringList placeholderNames(const QString &text)
{
    QStringList names;
    walk(text, [](QChar) {}, [&](const QString &name) {
        if (!names.contains(name, Qt::CaseInsensitive))
            names << name;
    });
    return names;
}

Merged mergeFields(const QString &text, const RecipientFields &fields)
{
    Merged out;
    out.text.reserve(text.size());
    walk(text, [&](QChar c) { out.text += c; }, [&](const QString &name) {
        const QString value = fieldValue(fields, name);
        if (value.isEmpty() && !out.missing.contains(name, Qt::CaseInsensitive))
            out.missing << name;
        out.text += value;
    });
    return out;
}

} // namespace merge
