#pragma once

#include "common/text.h"

#include <QString>
#include <QStringList>

// The [REPLIES] keys of the settings file (SettingsStore::loadReplies).
struct ReplySettings
{
    QStringList stopWords;    // StopWords: the recipients' language's words, comma-separated
    QString stopConfirmation; // StopConfirmation: sent once to whoever asks to stop; empty: none
    bool listen = false;      // Listen=1: the modems take replies while connected; 0 or missing: they do not

    bool operator==(const ReplySettings &) const = default;
};

// The words of a comma-separated list, as StopWords and its box hold them: each trimmed of
// spaces, blanks dropped.
inline QStringList stopWordsFrom(const QString &commaSeparated)
{
    QStringList words;
    for (const QString &word : commaSeparated.split(u','))
        if (!trimSpaces(word).isEmpty())
            words += trimSpaces(word);
    return words;
}
