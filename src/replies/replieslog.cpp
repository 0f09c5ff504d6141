#include "replieslog.h"

#include "common/error.h"
#include "common/errornumbers.h"
#include "sending/runjournal.h"
#include "sending/runjournalformat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

const QString kReply = QStringLiteral("reply");
const QString kStop = QStringLiteral("stop");

[[noreturn]] void fail(const QString &description)
{
    throw QuilloError(ErrorNumber::kFileIo, description, QStringLiteral("Replies log"));
}

} // namespace

RepliesLog::RepliesLog(QString path)
    : m_path(std::move(path))
{
}

void RepliesLog::append(const Reply &reply) const
{
    QFile file(m_path);
    const QByteArray line = journalformat::line(journalformat::timeField(reply.time), reply.stop ? kStop : kReply,
                                                {reply.modem, reply.sender, reply.text});
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(line) != line.size() || !file.flush())
        fail(QStringLiteral("The replies log %1 cannot be written: %2").arg(m_path, file.errorString()));
}

QList<Reply> RepliesLog::readNewestFirst() const
{
    QFile file(m_path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("The replies log %1 cannot be read: %2").arg(m_path, file.errorString()));
    QList<Reply> replies;
    int lineNo = 0;
    for (const QByteArray &raw : journalformat::completeLines(file.readAll())) {
        ++lineNo;
        const auto line = journalformat::parseLine(QString::fromUtf8(raw));
        if (!line || (line->word != kReply && line->word != kStop) || line->fields.size() != 3)
            fail(QStringLiteral("The replies log %1, line %2: not a reply").arg(m_path).arg(lineNo));
        replies.prepend({line->when, line->fields.at(0), line->fields.at(1), line->word == kStop, line->fields.at(2)});
    }
    return replies;
}

LastRuns::LastRuns(const QString &logsFolder, NumberNormaliser normaliser)
    : m_normaliser(std::move(normaliser))
{
    QFileInfoList journals = QDir(logsFolder).entryInfoList({QStringLiteral("run-*.journal")}, QDir::Files);
    // Oldest first, so newer runs overwrite; the name's second can hold several runs, so
    // the file's time breaks the tie.
    std::sort(journals.begin(), journals.end(), [](const QFileInfo &a, const QFileInfo &b) {
        return std::pair(a.fileName().left(19), a.lastModified()) < std::pair(b.fileName().left(19), b.lastModified());
    });
    for (const QFileInfo &journal : journals) {
        try {
            for (const QString &number : readRunJournal(journal.filePath()).start.numbers) {
                const QString key = m_normaliser.key(number);
                if (!key.isEmpty())
                    m_journalByKey.insert(key, journal.fileName());
            }
        } catch (const QuilloError &) {
        }
    }
}

QString LastRuns::of(const QString &number) const
{
    const QString key = m_normaliser.key(number);
    return key.isEmpty() ? QString() : m_journalByKey.value(key);
}
