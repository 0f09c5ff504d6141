#include "stopkeywords.h"

namespace {

bool isPadding(QChar c)
{
    return c.isSpace() || c.isPunct();
}

QString folded(const QString &word)
{
    return word.trimmed().toCaseFolded();
}

} // namespace

QStringList StopKeywords::standardWords()
{
    return {QStringLiteral("STOP"), QStringLiteral("UNSUBSCRIBE"), QStringLiteral("CANCEL"),
            QStringLiteral("END"),  QStringLiteral("QUIT"),        QStringLiteral("STOPALL")};
}

StopKeywords::StopKeywords(const QStringList &extraWords)
{
    for (const QString &word : standardWords() + extraWords) {
        const QString key = folded(word);
        if (!key.isEmpty() && !m_words.contains(key))
            m_words.append(key);
    }
}

bool StopKeywords::isStopRequest(const QString &text) const
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isPadding(text[begin]))
        ++begin;
    while (end > begin && isPadding(text[end - 1]))
        --end;
    return begin < end && m_words.contains(text.mid(begin, end - begin).toCaseFolded());
}
