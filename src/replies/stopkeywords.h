#pragma once

#include <QString>
#include <QStringList>

// Which replies ask to stop. A reply is a stop request when its whole text, once trimmed of
// whitespace and of the punctuation around it, is one stop word: " stop. " and "Stop!" are,
// "please don't stop", "STOPPED" and "stop it" are not, because a sentence that merely holds
// the word may say the opposite. Words compare case-insensitively (by Unicode case folding,
// so "arrêt" matches "ARRÊT").
class StopKeywords
{
public:
    // The words every list holds, those carriers and the industry's opt-out rules know.
    static QStringList standardWords();

    // extraWords: the words of the recipients' language, as [REPLIES] StopWords lists them;
    // blank entries are ignored.
    explicit StopKeywords(const QStringList &extraWords = {});

    bool isStopRequest(const QString &text) const;

private:
    QStringList m_words; // case-folded
};
