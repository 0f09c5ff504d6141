#pragma once

#include "common/comdetails.h"
#include "inihandling.h"
#include "replies/replysettings.h"

#include <QString>

// The program's settings file in the data folder, one typed field of ComDetails per key.
// Every read and write of that file goes through here, so its name, its sections and its
// keys are written down once. The bytes on disk follow INIHandling's rules: a key that
// exists is updated in place, a new one is added at the end of its section, and lines the
// program does not know are left alone.
//
// Loading never fails (a missing file or key loads as an empty text). Each save throws
// QuilloError on the first key it could not write; the keys before it stay written.
class SettingsStore
{
public:
    explicit SettingsStore(const QString &dataFolder);

    // Every key, trimmed of spaces; no defaults applied. The first modem's pacing comes from
    // [PACING]: MinPause, MaxPause, PartsPerHour, PartsPerDay, RecipientsPerDay.
    ComDetails load() const;
    // The keys Save Settings writes, COMM then SMS, then NUMBERS Country when it is set or
    // was stored before; the two log levels are left as stored.
    void saveSettings(const ComDetails &details);

    // The pool's modems after the first, from [Modem2], [Modem3] ... up to the first section
    // that is missing or has no port: Port, BaudRate, DataBits, StopBits, Parity and PIN each,
    // trimmed, and the pacing keys of [PACING]. With one modem there is no such section and
    // config.ini is what it always was.
    QList<ModemPort> loadMoreModems() const;
    // Writes those sections for modems, in order, and removes the ones after them.
    void saveMoreModems(const QList<ModemPort> &modems);
    // The first modem's pacing in [PACING]. A key is written only when it has a value or had
    // one, and no pacing removes the section, so pacing nobody set leaves the file as it was.
    void savePacing(const ModemPacing &pacing);

    enum class LogLevel { Modem, Message };
    // One log level, as a log frame's Apply stores it; nothing else is written.
    void saveLogLevel(LogLevel log, const QString &level);

    // [REPLIES] Listen (1 is on, anything else off), StopWords (split at commas, each trimmed,
    // blanks dropped) and StopConfirmation.
    ReplySettings loadReplies() const;
    // Writes only the keys whose value differs from what loads now, so saving what was shown
    // leaves the file byte for byte as it was, whoever wrote it and however it is spaced.
    void saveReplies(const ReplySettings &settings);

    QString filePath() const { return m_ini.fullPath(); }

private:
    INIHandling m_ini;
};
