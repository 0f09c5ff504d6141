#include "simcounts.h"

#include "common/error.h"
#include "common/errornumbers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

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
    const QString temporary = m_path + QStringLiteral(".new");
    const QByteArray name = QFile::encodeName(temporary);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        failWrite(m_path, QString::fromLocal8Bit(std::strerror(errno)));
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t done = ::write(fd, data, size_t(left));
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0) {
            const int error = errno;
            ::close(fd);
            failWrite(m_path, QString::fromLocal8Bit(std::strerror(error)));
        }
        data += done;
        left -= done;
    }
    // Synced before the rename: otherwise a power cut could leave the new name on empty blocks.
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!synced)
        failWrite(m_path, QString::fromLocal8Bit(std::strerror(error)));
    if (std::rename(name.constData(), QFile::encodeName(m_path).constData()) != 0)
        failWrite(m_path, QString::fromLocal8Bit(std::strerror(errno)));
    const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}
