#pragma once

#include <QString>

// Reads and writes one INI file in the private-profile manner: "[SECTION]" lines open a
// section, "key=value" lines hold settings, section and key names match without regard to
// case, and a write touches only the one line it sets (or adds one line, or one section).
//
// Reading never fails: a missing file, section or key, an unreadable file or a line that is
// not a setting all read as an empty value. Writing reports a failure with a QuilloError,
// so a setting that was not stored is never taken for stored.
class INIHandling
{
public:
    INIHandling() = default;
    INIHandling(const QString &folder, const QString &fileName)
    {
        setINIPath(folder);
        setINIFile(fileName);
    }

    // The folder; a separator is appended when it does not end with one.
    void setINIPath(const QString &FilePath);
    // The file name, kept as given.
    void setINIFile(const QString &FileName) { m_file = FileName; }
    // INIPath followed directly by INIFile.
    QString fullPath() const { return m_path + m_file; }

    // The value, trimmed, without surrounding quotes, at most kMaxValueLength characters;
    // empty for anything missing and on any error.
    QString GetKey(const QString &strApplication, const QString &strKey) const;
    // Sets the value, creating the file, the section or the key as needed. A key that exists
    // is updated in place; a new key goes after the last line of its section; a new section
    // goes at the end of the file. Throws QuilloError when the file cannot be read back in
    // full or cannot be written, and for names or values that would break the line format.
    void SetKey(const QString &strApplication, const QString &strKey, const QString &strValue);
    // Removes every section of that name with its lines, as a private-profile write with no
    // key does; the rest of the file stays byte for byte. Nothing to remove is no error;
    // failures throw as SetKey's do.
    void DeleteSection(const QString &strApplication);

    // The private-profile read buffer holds 255 characters and its terminator.
    static constexpr int kMaxValueLength = 255;
    // A settings file larger than this is not a settings file: reads look only at its start,
    // writes refuse rather than drop the rest.
    static constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

private:
    QString m_path;
    QString m_file;
};
