#include "typedcomparisons.h"

#include <QDate>
#include <QList>
#include <QRegularExpression>

namespace {

enum class Token { Space, Name, Quoted, String, Number, Operator, Other };

struct Piece
{
    Token token;
    qsizetype begin;
    qsizetype end;
};

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$' || c.unicode() >= 0x80;
}

// Splits SQL text into tokens, keeping each one's place in the text.
QList<Piece> tokenize(const QString &s)
{
    QList<Piece> pieces;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const qsizetype start = i;
        const QChar c = s.at(i);
        Token token = Token::Other;
        if (c.isSpace()) {
            while (i < n && s.at(i).isSpace())
                ++i;
            token = Token::Space;
        } else if (c == u'-' && i + 1 < n && s.at(i + 1) == u'-') {
            while (i < n && s.at(i) != u'\n')
                ++i;
            token = Token::Space;
        } else if (c == u'/' && i + 1 < n && s.at(i + 1) == u'*') {
            const qsizetype close = s.indexOf(QLatin1String("*/"), i + 2);
            i = close < 0 ? n : close + 2;
            token = Token::Space;
        } else if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
            const QChar close = c == u'[' ? u']' : c;
            ++i;
            while (i < n) {
                if (s.at(i) == close) {
                    // A doubled quote stands for one inside the text.
                    if (close != u']' && i + 1 < n && s.at(i + 1) == close) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            token = c == u'\'' ? Token::String : Token::Quoted;
        } else if (c.isDigit() || (c == u'.' && i + 1 < n && s.at(i + 1).isDigit())) {
            while (i < n && (s.at(i).isLetterOrNumber() || s.at(i) == u'.'
                             || ((s.at(i) == u'+' || s.at(i) == u'-') && (s.at(i - 1) == u'e' || s.at(i - 1) == u'E'))))
                ++i;
            token = Token::Number;
        } else if (isNameChar(c)) {
            while (i < n && isNameChar(s.at(i)))
                ++i;
            token = Token::Name;
        } else {
            static const char *const kTwo[] = {"<=", ">=", "<>", "!=", "==", "||", "<<", ">>"};
            i += 1;
            for (const char *two : kTwo)
                if (s.mid(start, 2) == QLatin1String(two)) {
                    i = start + 2;
                    break;
                }
            token = Token::Operator;
        }
        if (token != Token::Space)
            pieces.append({token, start, i});
    }
    return pieces;
}

QString textOf(const QString &s, const Piece &p)
{
    return s.mid(p.begin, p.end - p.begin);
}

// The comparison operators, as the function takes them.
QString comparison(const QString &op)
{
    if (op == u'=' || op == QLatin1String("=="))
        return QStringLiteral("=");
    if (op == QLatin1String("<>") || op == QLatin1String("!="))
        return QStringLiteral("<>");
    if (op == u'<' || op == u'>' || op == QLatin1String("<=") || op == QLatin1String(">="))
        return op;
    return {};
}

QString mirrored(const QString &op)
{
    if (op == u'<')
        return QStringLiteral(">");
    if (op == u'>')
        return QStringLiteral("<");
    if (op == QLatin1String("<="))
        return QStringLiteral(">=");
    if (op == QLatin1String(">="))
        return QStringLiteral("<=");
    return op;
}

// Tokens that bind tighter than a comparison, or continue an operand: next to one of
// these the column or the constant is part of a larger expression, left as written.
bool bindsTighter(const QString &s, const Piece &p)
{
    if (p.token == Token::Operator) {
        const QString op = textOf(s, p);
        return !comparison(op).isEmpty() || op == u'.' || op == u'+' || op == u'-' || op == u'*' || op == u'/'
            || op == u'%' || op == QLatin1String("||") || op == u'&' || op == u'|' || op == QLatin1String("<<")
            || op == QLatin1String(">>") || op == u'~';
    }
    if (p.token == Token::Name) {
        const QString word = textOf(s, p).toUpper();
        return word == QLatin1String("COLLATE") || word == QLatin1String("ESCAPE") || word == QLatin1String("BETWEEN");
    }
    return false;
}

QString unquotedName(const QString &name)
{
    if (name.size() >= 2 && (name.front() == u'[' || name.front() == u'"' || name.front() == u'`'))
        return name.mid(1, name.size() - 2);
    return name;
}

QString stringValue(const QString &literal)
{
    return literal.mid(1, literal.size() - 2).replace(QLatin1String("''"), QLatin1String("'"));
}

bool fits(DbColumnKind kind, const QString &s, const QList<Piece> &pieces, qsizetype first, qsizetype last)
{
    QString constant;
    for (qsizetype i = first; i <= last; ++i)
        constant += pieces[i].token == Token::String ? stringValue(textOf(s, pieces[i])) : textOf(s, pieces[i]);
    if (kind == DbColumnKind::Number)
        return TypedComparisons::parseNumber(constant).has_value();
    return pieces[last].token == Token::String && TypedComparisons::parseDate(constant).has_value();
}

} // namespace

std::optional<double> TypedComparisons::parseNumber(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^ *[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)? *$"));
    if (!number.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

std::optional<qint64> TypedComparisons::parseDate(const QString &text)
{
    static const QRegularExpression iso(
        QStringLiteral("^ *(\\d{4})[-/](\\d{1,2})[-/](\\d{1,2})(?:[ T](\\d{1,2}):(\\d{2})(?::(\\d{2})(?:\\.\\d+)?)?)? *$"));
    static const QRegularExpression us(
        QStringLiteral("^ *(\\d{1,2})/(\\d{1,2})/(\\d{4})(?: (\\d{1,2}):(\\d{2})(?::(\\d{2}))?)? *$"));
    static const QRegularExpression timeOnly(QStringLiteral("^ *(\\d{1,2}):(\\d{2})(?::(\\d{2}))? *$"));
    int year = 1, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    QRegularExpressionMatch m = iso.match(text);
    if (m.hasMatch()) {
        year = m.captured(1).toInt(), month = m.captured(2).toInt(), day = m.captured(3).toInt();
        hour = m.captured(4).toInt(), minute = m.captured(5).toInt(), second = m.captured(6).toInt();
    } else if ((m = us.match(text)).hasMatch()) {
        month = m.captured(1).toInt(), day = m.captured(2).toInt(), year = m.captured(3).toInt();
        hour = m.captured(4).toInt(), minute = m.captured(5).toInt(), second = m.captured(6).toInt();
    } else if ((m = timeOnly.match(text)).hasMatch()) {
        // A time alone is that time on day 0 (1899-12-30), as a spreadsheet keeps it.
        year = 1899, month = 12, day = 30;
        hour = m.captured(1).toInt(), minute = m.captured(2).toInt(), second = m.captured(3).toInt();
    } else {
        return std::nullopt;
    }
    const QDate date(year, month, day);
    if (!date.isValid() || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return (date.toJulianDay() - QDate(1, 1, 1).toJulianDay()) * 86400 + hour * 3600 + minute * 60 + second;
}

TypedComparisons::Rewritten TypedComparisons::rewrite(const QString &s, const QHash<QString, DbColumnKind> &columnKinds)
{
    const QList<Piece> pieces = tokenize(s);
    auto kindOf = [&](const Piece &p, DbColumnKind *kind) {
        if (p.token != Token::Name && p.token != Token::Quoted)
            return false;
        const auto found = columnKinds.find(unquotedName(textOf(s, p)).toCaseFolded());
        if (found == columnKinds.end() || (*found != DbColumnKind::Number && *found != DbColumnKind::Date))
            return false;
        *kind = *found;
        return true;
    };
    // A constant: a text, a number, or a signed number. Returns its last piece, or -1.
    auto constantAt = [&](qsizetype i) -> qsizetype {
        if (i >= pieces.size())
            return -1;
        if (pieces[i].token == Token::String || pieces[i].token == Token::Number)
            return i;
        const QString t = textOf(s, pieces[i]);
        if ((t == u'-' || t == u'+') && i + 1 < pieces.size() && pieces[i + 1].token == Token::Number)
            return i + 1;
        return -1;
    };

    Rewritten result;
    QString out;
    qsizetype copied = 0;
    for (qsizetype i = 0; i + 2 < pieces.size(); ++i) {
        DbColumnKind kind;
        qsizetype nameFirst = i, nameLast = i, constFirst, constLast, opAt;
        bool columnFirst;
        if (kindOf(pieces[i], &kind)) {
            // Column op constant; the column may be qualified (T.Age, [T$].[Age]).
            while (nameFirst >= 2 && textOf(s, pieces[nameFirst - 1]) == u'.'
                   && (pieces[nameFirst - 2].token == Token::Name || pieces[nameFirst - 2].token == Token::Quoted))
                nameFirst -= 2;
            opAt = i + 1;
            constFirst = i + 2;
            constLast = constantAt(constFirst);
            columnFirst = true;
        } else if ((pieces[i].token == Token::String || pieces[i].token == Token::Number)
                   && (constLast = i) + 2 < pieces.size() && kindOf(pieces[constLast + 2], &kind)) {
            // Constant op column (unsigned: a sign here may be a subtraction's).
            constFirst = i;
            opAt = constLast + 1;
            nameFirst = nameLast = constLast + 2;
            columnFirst = false;
        } else {
            continue;
        }
        if (constLast < 0 || pieces[opAt].token != Token::Operator)
            continue;
        const QString op = comparison(textOf(s, pieces[opAt]));
        const qsizetype first = std::min(nameFirst, constFirst), last = std::max(nameLast, constLast);
        if (op.isEmpty() || pieces[first].begin < copied || (first > 0 && bindsTighter(s, pieces[first - 1]))
            || (last + 1 < pieces.size() && bindsTighter(s, pieces[last + 1])))
            continue;
        const QString column = s.mid(pieces[nameFirst].begin, pieces[nameLast].end - pieces[nameFirst].begin);
        const QString constant = s.mid(pieces[constFirst].begin, pieces[constLast].end - pieces[constFirst].begin);
        if (!fits(kind, s, pieces, constFirst, constLast)) {
            result.mismatch = s.mid(pieces[first].begin, pieces[last].end - pieces[first].begin);
            return result;
        }
        out += s.mid(copied, pieces[first].begin - copied);
        out += QStringLiteral("%1(%2, '%3', %4, '%5')")
                   .arg(QLatin1String(kFunction), column, columnFirst ? op : mirrored(op), constant,
                        kind == DbColumnKind::Number ? QStringLiteral("n") : QStringLiteral("d"));
        copied = pieces[last].end;
        i = last;
    }
    out += s.mid(copied);
    result.statement = out;
    return result;
}
