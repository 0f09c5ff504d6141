#pragma once

#include <QString>
#include <QStringList>

// The [REPLIES] keys of the settings file (SettingsStore::loadReplies).
struct ReplySettings
{
    QStringList stopWords;    // StopWords: the recipients' language's words, comma-separated
    QString stopConfirmation; // StopConfirmation: sent once to whoever asks to stop; empty: none
};
