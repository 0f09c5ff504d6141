#include "inihandling.h"

#include "common/ansitext.h"
#include "common/error.h"
#include "common/errornumbers.h"
#include "common/paths.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <optional>

namespace {

// The run-time error for an argument the call cannot use.

const QByteArray kLineEnd = QByteArrayLiteral("\r\n");

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

QString decodeName(QByteArrayView bytes)
{
    return decodeAnsiText(trimmed(bytes).toByteArray());
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// One line of the file as byte offsets: its text, then its terminator (LF or CR LF, or none
// for a last line without one). Lines are kept as bytes so that a write leaves every line
// it does not set exactly as it was, whatever its encoding.
struct Line
{
    qsizetype start = 0;
    qsizetype contentEnd = 0;
    qsizetype end = 0;
};

QList<Line> splitLines(const QByteArray &bytes)
{
    QList<Line> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', start);
        Line line;
        line.start = start;
        line.end = newline < 0 ? bytes.size() : newline + 1;
        line.contentEnd = newline < 0 ? bytes.size() : newline;
        if (line.contentEnd > start && bytes[line.contentEnd - 1] == '\r')
            --line.contentEnd;
        lines.append(line);
        start = line.end;
    }
    return lines;
}

// Where a section and a key sit in the file.
struct Location
{
    qsizetype keyLine = -1;     // the line holding the key, -1 when absent
    qsizetype sectionEnd = -1;  // last non-blank line of the first matching section, -1 when absent
    QByteArray keyAsWritten;    // the key's own spelling in the file
    QByteArrayView value;       // the raw value after the "="
};

Location locate(const QByteArray &bytes, const QList<Line> &lines, const QString &section, const QString &key)
{
    Location found;
    bool inMatchingSection = false;
    bool inFirstMatchingSection = false;
    bool seenMatchingSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArrayView content =
            trimmed(QByteArrayView(bytes).sliced(lines[i].start, lines[i].contentEnd - lines[i].start));
        if (content.isEmpty())
            continue;
        if (content.front() == '[') {
            const qsizetype close = content.indexOf(']');
            if (close < 0)
                continue; // not a section header; ignored like any other stray line
            inMatchingSection = sameName(decodeName(content.sliced(1, close - 1)), section);
            inFirstMatchingSection = inMatchingSection && !seenMatchingSection;
            if (inMatchingSection && !seenMatchingSection) {
                seenMatchingSection = true;
                found.sectionEnd = i;
            }
            continue;
        }
        if (inFirstMatchingSection)
            found.sectionEnd = i;
        // A duplicated section or key: the first one in the file is the one that counts.
        if (!inMatchingSection || found.keyLine >= 0 || content.front() == ';')
            continue;
        const qsizetype equals = content.indexOf('=');
        if (equals <= 0)
            continue;
        const QByteArrayView name = trimmed(content.first(equals));
        if (sameName(decodeAnsiText(name.toByteArray()), key)) {
            found.keyLine = i;
            found.keyAsWritten = name.toByteArray();
            found.value = content.sliced(equals + 1);
        }
    }
    return found;
}

// The section a header line opens, or nothing for any other line.
std::optional<QString> sectionOf(QByteArrayView content)
{
    if (content.isEmpty() || content.front() != '[')
        return std::nullopt;
    const qsizetype close = content.indexOf(']');
    if (close < 0)
        return std::nullopt;
    return decodeName(content.sliced(1, close - 1));
}

// The whole file for a write, or empty when there is none yet.
QByteArray readForUpdate(const QString &path)
{
    const QFileInfo existing(path);
    if (!existing.exists())
        return {};
    // Everything already in the file must survive the write, so a file that cannot be
    // read in full is not rewritten.
    if (!existing.isFile())
        throw QuilloError(ErrorNumber::kFileIo, QStringLiteral("The settings file is not a plain file"), path);
    if (existing.size() > INIHandling::kMaxFileBytes)
        throw QuilloError(ErrorNumber::kFileIo, QStringLiteral("The settings file is too large to update"), path);
    return readFileBytes(path);
}

void requireUsableName(const QString &name, const char *what, QLatin1StringView forbidden)
{
    bool usable = !name.trimmed().isEmpty();
    for (const QChar c : forbidden)
        usable = usable && !name.contains(c);
    if (!usable)
        throw QuilloError(ErrorNumber::kInvalidArgument,
                          QStringLiteral("Invalid INI %1 name: \"%2\"").arg(QLatin1String(what), name));
}

} // namespace

void INIHandling::setINIPath(const QString &FilePath)
{
    m_path = AddBackslash(FilePath);
}

QString INIHandling::GetKey(const QString &strApplication, const QString &strKey) const
{
    // Only a plain file is read: a pipe or a terminal put in its place would block the reader.
    QFile file(fullPath());
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray bytes = file.read(kMaxFileBytes);
    if (file.error() != QFileDevice::NoError)
        return QString();

    const Location where = locate(bytes, splitLines(bytes), strApplication, strKey);
    if (where.keyLine < 0)
        return QString();
    QByteArrayView value = trimmed(where.value);
    // A value written in quotes reads without them, as the private-profile reader does.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return decodeAnsiText(value.toByteArray()).left(kMaxValueLength);
}

void INIHandling::SetKey(const QString &strApplication, const QString &strKey, const QString &strValue)
{
    // Line breaks would split the setting into lines the reader takes for other settings.
    requireUsableName(strApplication, "section", QLatin1StringView("]\r\n"));
    requireUsableName(strKey, "key", QLatin1StringView("=\r\n"));
    if (strValue.contains(QLatin1Char('\r')) || strValue.contains(QLatin1Char('\n')))
        throw QuilloError(ErrorNumber::kInvalidArgument, QStringLiteral("Invalid INI value for %1: line break").arg(strKey));

    const QString path = fullPath();
    const QByteArray bytes = readForUpdate(path);

    const QList<Line> lines = splitLines(bytes);
    const Location where = locate(bytes, lines, strApplication, strKey);
    const QByteArray value = encodeAnsiText(strValue);

    QByteArray updated;
    if (where.keyLine >= 0) {
        const Line &line = lines[where.keyLine];
        updated = bytes.first(line.start) + where.keyAsWritten + '=' + value + bytes.sliced(line.contentEnd);
    } else {
        QByteArray addition = encodeAnsiText(strKey) + '=' + value + kLineEnd;
        qsizetype insertAt = bytes.size();
        if (where.sectionEnd >= 0)
            insertAt = lines[where.sectionEnd].end;
        else
            addition.prepend(encodeAnsiText(QLatin1Char('[') + strApplication + QLatin1Char(']')) + kLineEnd);
        // The line before the addition may be a last line without a terminator.
        if (insertAt > 0 && bytes[insertAt - 1] != '\n')
            addition.prepend(kLineEnd);
        updated = bytes.first(insertAt) + addition + bytes.sliced(insertAt);
    }
    writeFileBytes(path, updated);
}

void INIHandling::DeleteSection(const QString &strApplication)
{
    requireUsableName(strApplication, "section", QLatin1StringView("]\r\n"));
    const QString path = fullPath();
    const QByteArray bytes = readForUpdate(path);
    QByteArray kept;
    bool dropping = false;
    for (const Line &line : splitLines(bytes)) {
        const auto section = sectionOf(trimmed(QByteArrayView(bytes).sliced(line.start, line.contentEnd - line.start)));
        if (section)
            dropping = sameName(*section, strApplication);
        if (!dropping)
            kept += bytes.sliced(line.start, line.end - line.start);
    }
    if (kept.size() != bytes.size())
        writeFileBytes(path, kept);
}
