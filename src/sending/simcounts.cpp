#include "simcounts.h"

#include "common/ansitext.h"
#include "common/error.h"
#include "common/errornumbers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QByteArray kHeading = "# Quillo: the messages this SIM sent in the last day (time in ms since 1970 UTC, "
                            "SMS parts, number), for its caps\n";

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

[[noreturn]] void failWrite(const QString &path, const QString &why)
{
    throw QuilloError(ErrorNumber::kFileIo, QStringLiteral("Cannot write the SIM's counts %1: %2").arg(shown(path), why));
}

} // namespace

QString SimCounts::pathFor(const QString &dataFolder, const QString &sim)
{
    // An IMSI is digits; anything else a modem answers must not reach the file system as is.
    static const QRegularExpression kUnsafe(QStringLiteral("[^A-Za-z0-9_-]"));
    QString name = sim;
    name.replace(kUnsafe, QStringLiteral("_"));
    return QDir(dataFolder).filePath(QStringLiteral("pacing/%1.txt").arg(name));
}

void SimCounts::load(qint64 nowMs)
{
    m_records.clear();
    QFile file(m_path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly))
        throw QuilloError(ErrorNumber::kFileIo,
                          QStringLiteral("Cannot read the SIM's counts %1: %2").arg(shown(m_path), file.errorString()));
    QList<SentRecord> records;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> words = line.simplified().split(' ');
        bool timeOk = false, partsOk = false;
        SentRecord record;
        if (words.size() == 3) {
            record.atMs = words[0].toLongLong(&timeOk);
            record.parts = words[1].toInt(&partsOk);
            record.number = QString::fromUtf8(words[2]);
        }
        if (!timeOk || !partsOk || record.atMs <= 0 || record.parts < 1
            || (!records.isEmpty() && record.atMs < records.last().atMs))
            throw QuilloError(ErrorNumber::kTypeMismatch,
                              QStringLiteral("The SIM's counts %1 are damaged at line %2: \"%3\" is not a time, a "
                                             "number of SMS parts and a number, in the order sent. Correct the "
                                             "line, or delete the file to count the SIM afresh.")
                                  .arg(shown(m_path)).arg(i + 1).arg(QString::fromUtf8(line.left(80))));
        records << record;
    }
    m_records = std::move(records);
    dropOlderThanADay(nowMs);
}

void SimCounts::add(qint64 nowMs, int parts, const QString &number)
{
    m_records << SentRecord{nowMs, parts, number};
    dropOlderThanADay(nowMs);
    save();
}

void SimCounts::dropOlderThanADay(qint64 nowMs)
{
    qsizetype old = 0;
    while (old < m_records.size() && m_records[old].atMs <= nowMs - kDayMs)
        ++old;
    m_records.remove(0, old);
}

void SimCounts::save() const
{
    QByteArray bytes = kHeading;
    for (const SentRecord &r : m_records)
        bytes += QByteArray::number(r.atMs) + ' ' + QByteArray::number(r.parts) + ' ' + r.number.toUtf8() + '\n';

    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder))
        failWrite(m_path, QStringLiteral("the folder cannot be made"));
    try {
        // Synced before it replaces the old file: a power cut leaves one or the other whole.
        writeFileBytes(m_path, bytes);
    } catch (const QuilloError &error) {
        failWrite(m_path, error.description());
    }
}
