#include "messagelog.h"

#include "common/datafolder.h"
#include "common/ansitext.h"
#include "common/error.h"

#include <QFile>
#include <QLocale>
#include <QStringList>

namespace {

const QString kFileName = QStringLiteral("message.log");
const QString kLineEnd = QStringLiteral("\r\n");

} // namespace

MessageLog::MessageLog(const QString &dataFolder)
    : m_folder(logsFolder(dataFolder))
{
}

QString MessageLog::filePath() const
{
    return m_folder + kFileName;
}

int smsCountOfReport(const QString &sendReport)
{
    // An empty report still stands for the one message that was sent.
    return sendReport.contains(QLatin1Char(',')) ? int(sendReport.count(QLatin1Char(','))) + 1 : 1;
}

QString messageLogDateTime(const QDateTime &when)
{
    const QLocale locale = QLocale::system();
    QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    // Many locales' short date has a two-digit year; a log outlives a century's doubt.
    if (!dateFormat.contains(QStringLiteral("yyyy")))
        dateFormat.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    // The long time format carries the time zone name; the log keeps local time without it.
    timeFormat.remove(QLatin1Char('t'));
    timeFormat = timeFormat.trimmed();
    return locale.toString(when.date(), dateFormat) + QLatin1Char(' ') + locale.toString(when.time(), timeFormat);
}

void MessageLog::StatusLog(const QString &strStatus)
{
    if (m_level < 1)
        return;
    appendLine(strStatus);
}

namespace {

QString byModem(const QString &modem)
{
    return modem.isEmpty() ? QString() : QStringLiteral("; modem ") + modem;
}

} // namespace

void MessageLog::ErrorMsgLog(const QString &Dest, const QString &modem)
{
    if (m_level < 1)
        return;
    appendLine(QStringLiteral("Message FAILED [") + Dest + QLatin1Char(']') + byModem(modem));
}

void MessageLog::SentMsgLog(const QString &Dest, const QString &SendReport, const QString &modem)
{
    if (m_level < 2 || Dest.trimmed().isEmpty())
        return;
    appendLine(QStringLiteral("Message Sent [") + Dest + QStringLiteral("]; ")
               + QString::number(smsCountOfReport(SendReport)) + QStringLiteral(" SMS") + byModem(modem));
}

void MessageLog::SkippedMsgLog(const QString &Dest)
{
    if (m_level < 2)
        return;
    appendLine(QStringLiteral("Skipped (opt-out) [") + Dest + QLatin1Char(']'));
}

void MessageLog::appendLine(const QString &text)
{
    const QByteArray bytes =
        encodeAnsiText(messageLogDateTime(QDateTime::currentDateTime()) + QStringLiteral(": ") + text + kLineEnd);
    QFile file(filePath());
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Append);
    if (written)
        written = file.write(bytes) == bytes.size();
    if (written)
        written = file.flush();
    file.close();
    // A log that cannot be written must not disturb the run: it falls silent instead.
    if (!written)
        m_level = 0;
}

void MessageLog::Clear(qint16 KeepLines)
{
    QFile file(filePath());
    if (KeepLines == 0) {
        // Opening for writing creates the file empty or empties it.
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.close();
        return;
    }
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    file.close();
    if (bytes.isEmpty())
        return;
    const QStringList pieces = decodeAnsiText(bytes).split(kLineEnd);
    const qsizetype first = std::max<qsizetype>(0, (pieces.size() - 1) - KeepLines);
    QString kept;
    for (qsizetype i = first; i < pieces.size(); ++i)
        kept += pieces.at(i) + kLineEnd;
    const QByteArray out = encodeAnsiText(kept);
    // Keep the old contents unless the whole new text can be written.
    try {
        writeFileBytes(filePath(), out);
    } catch (...) {
        noteIgnoredError("trimming the message log");
    }
}
