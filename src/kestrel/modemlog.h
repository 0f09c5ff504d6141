#pragma once

#include <QString>

// Kestrel.log in the log folder. Level 0 writes nothing, 1 errors, 2 errors and status
// including the AT dialogue. Logging never disturbs the modem work: a missing folder or a
// failed write loses the line silently.
class ModemLog
{
public:
    static constexpr const char *kFileName = "Kestrel.log";

    // Accepts "C:\app\logs\" style folders as the application hands them over.
    void setFolder(const QString &folder);
    QString folder() const { return m_folder; }
    QString filePath() const;
    void setLevel(int level) { m_level = level; }
    int level() const { return m_level; }

    void error(const QString &text);
    void status(const QString &text);
    bool wantsStatus() const { return m_level >= 2 && !m_folder.isEmpty(); }
    // keepBackup: the old contents move to Kestrel.log.bak first.
    void clear(bool keepBackup);

private:
    void write(const char *kind, const QString &text);

    QString m_folder;
    int m_level = 0;
};
