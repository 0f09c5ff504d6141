#include "statementtext.h"

#include <QList>

namespace {

enum class Kind { Name, Literal, Open, Close, Comma, Other };

struct Token
{
    Kind kind;
    QString text;
    qsizetype start = 0;
};

// Splits SQL into the tokens that matter here; quoted names and strings stay whole
// (an unclosed one runs to the end, and SQLite reports it).
QList<Token> tokenize(const QString &sql)
{
    QList<Token> tokens;
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        if (c == u'[' || c == u'"' || c == u'`' || c == u'\'') {
            const QChar close = c == u'[' ? u']' : c;
            ++i;
            while (i < sql.size()) {
                if (sql.at(i) == close) {
                    if (close != u']' && i + 1 < sql.size() && sql.at(i + 1) == close) {
                        i += 2; // a doubled quote stands for itself
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            tokens.append({c == u'\'' ? Kind::Literal : Kind::Name, sql.mid(start, i - start), start});
        } else if (c.isLetter() || c == u'_') {
            while (i < sql.size() && (sql.at(i).isLetterOrNumber() || sql.at(i) == u'_' || sql.at(i) == u'$'))
                ++i;
            tokens.append({Kind::Name, sql.mid(start, i - start), start});
        } else if (c.isDigit() || (c == u'.' && i + 1 < sql.size() && sql.at(i + 1).isDigit())) {
            while (i < sql.size() && (sql.at(i).isLetterOrNumber() || sql.at(i) == u'.'))
                ++i;
            tokens.append({Kind::Literal, sql.mid(start, i - start), start});
        } else {
            ++i;
            tokens.append({c == u'(' ? Kind::Open : c == u')' ? Kind::Close : c == u',' ? Kind::Comma : Kind::Other,
                           QString(c), start});
        }
    }
    return tokens;
}

bool isWord(const Token &t, const char *word)
{
    return t.kind == Kind::Name && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

// Words that may end an expression without being an alias.
bool isExpressionEnd(const Token &t)
{
    for (const char *w : {"NULL", "END", "TRUE", "FALSE", "CURRENT_DATE", "CURRENT_TIME", "CURRENT_TIMESTAMP"})
        if (isWord(t, w))
            return true;
    return false;
}

QString checkItem(const QList<Token> &item)
{
    if (item.size() < 2)
        return {};
    const Token &last = item.last();
    const Token &before = item.at(item.size() - 2);
    if (last.kind != Kind::Name || isWord(before, "AS") || isExpressionEnd(last))
        return {};
    const bool valueBefore = before.kind == Kind::Name || before.kind == Kind::Literal || before.kind == Kind::Close;
    if (!valueBefore)
        return {};
    QStringList parts;
    for (const Token &t : item)
        parts << t.text;
    return parts.join(u' ');
}

} // namespace

QString StatementText::implicitAlias(const QString &statement)
{
    const QList<Token> tokens = tokenize(statement);
    qsizetype i = 0;
    if (i >= tokens.size() || !isWord(tokens.at(i), "SELECT"))
        return {};
    ++i;
    if (i < tokens.size() && (isWord(tokens.at(i), "DISTINCT") || isWord(tokens.at(i), "ALL")))
        ++i;
    QList<Token> item;
    int depth = 0;
    for (; i < tokens.size(); ++i) {
        const Token &t = tokens.at(i);
        if (depth == 0 && (isWord(t, "FROM") || t.kind == Kind::Comma)) {
            const QString bad = checkItem(item);
            if (!bad.isEmpty())
                return bad;
            item.clear();
            if (isWord(t, "FROM"))
                return {};
            continue;
        }
        if (t.kind == Kind::Open)
            ++depth;
        else if (t.kind == Kind::Close)
            --depth;
        item.append(t);
    }
    return checkItem(item);
}

QString StatementText::matchNameCase(const QString &statement, const QStringList &names)
{
    QString out = statement;
    const QList<Token> tokens = tokenize(statement);
    // Back to front, so the positions of earlier tokens stay valid.
    for (auto it = tokens.crbegin(); it != tokens.crend(); ++it) {
        if (it->kind != Kind::Name)
            continue;
        const bool quoted = it->text.startsWith(u'[') || it->text.startsWith(u'"') || it->text.startsWith(u'`');
        const QString bare = quoted ? it->text.mid(1, it->text.size() - 2) : it->text;
        bool ascii = true;
        for (QChar c : bare)
            ascii = ascii && c.unicode() < 0x80;
        if (ascii)
            continue;
        for (const QString &name : names) {
            if (name != bare && name.compare(bare, Qt::CaseInsensitive) == 0) {
                // Brackets cannot hold a ']'; such a name goes in double quotes instead.
                QString quotedName = u'[' + name + u']';
                if (name.contains(u']'))
                    quotedName = u'"' + QString(name).replace(u'"', QLatin1String("\"\"")) + u'"';
                out.replace(it->start, it->text.size(), quotedName);
                break;
            }
        }
    }
    return out;
}
