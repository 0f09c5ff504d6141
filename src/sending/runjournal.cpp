#include "runjournal.h"

#include "common/error.h"
#include "common/errornumbers.h"
#include "runjournalformat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <fcntl.h>
#include <unistd.h>

using journalformat::completeLines;
using journalformat::failLine;
using journalformat::journalError;
using journalformat::lastCompleteLine;
using journalformat::wordOf;

namespace {

[[noreturn]] void failIo(const QString &what, const QString &path)
{
    const int error = errno;
    throw journalError(QStringLiteral("%1 %2: %3").arg(what, QDir::toNativeSeparators(path),
                                                       QString::fromLocal8Bit(std::strerror(error))));
}

// The whole buffer or an error: a short write (a full disk) would otherwise leave a torn
// record that looks like a crash.
void writeAll(int fd, const QByteArray &bytes, const QString &path)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t done = ::write(fd, data, size_t(left));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            failIo(QStringLiteral("Cannot write the run journal"), path);
        }
        data += done;
        left -= done;
    }
    if (::fsync(fd) != 0)
        failIo(QStringLiteral("Cannot write the run journal"), path);
}

// A new file's name lives in its folder; without this a power cut can lose the whole file
// even though its contents were synced. Some file systems refuse it, which costs nothing.
void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

QByteArray readWhole(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw journalError(QStringLiteral("Cannot read the run journal %1: %2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
    return file.readAll();
}

// The last complete line of a whole journal that is not a delivery record: delivery records
// may follow the run's end, so they never tell whether it ended.
std::optional<QByteArray> lastRunLine(const QByteArray &data)
{
    const QList<QByteArray> lines = completeLines(data);
    for (auto line = lines.crbegin(); line != lines.crend(); ++line)
        if (wordOf(*line) != u"delivery")
            return *line;
    return std::nullopt;
}

// Opens a journal to append one record after what is whole in it, dropping a torn last line
// (a record the program died while writing, never acknowledged). Only the last byte is read
// when the file ends whole, so appending stays cheap however long the journal is.
int openToAppend(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDWR | O_APPEND | O_CLOEXEC);
    if (fd < 0)
        failIo(QStringLiteral("Cannot write the run journal"), path);
    const off_t size = ::lseek(fd, 0, SEEK_END);
    char last = 0;
    if (size > 0 && ::pread(fd, &last, 1, size - 1) == 1 && last == '\n')
        return fd;
    ::close(fd);
    const QByteArray data = readWhole(path);
    const qsizetype complete = data.lastIndexOf('\n') + 1;
    if (complete == 0)
        failLine(path, 1, QStringLiteral("the file holds no complete record"));
    if (::truncate(name.constData(), complete) != 0)
        failIo(QStringLiteral("Cannot write the run journal"), path);
    return openToAppend(path);
}

void appendWhole(const QString &path, int fd, const QByteArray &line)
{
    try {
        writeAll(fd, line, path);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
}

} // namespace

// ---- writing

RunJournalWriter RunJournalWriter::create(const QString &logsFolder, const RunJournalStart &start,
                                          JournalClock clock)
{
    if (!clock)
        clock = [] { return QDateTime::currentDateTime(); };
    if (!QFileInfo(logsFolder).isDir())
        throw journalError(QStringLiteral("The logs folder %1 does not exist").arg(QDir::toNativeSeparators(logsFolder)),
                           ErrorNumber::kPathNotFound);
    const QDateTime now = clock();
    const QString stem = QStringLiteral("run-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString path;
    int fd = -1;
    // O_EXCL makes the name unique even against another instance of the program.
    for (int n = 1; fd < 0; ++n) {
        path = QDir(logsFolder).filePath(stem + (n > 1 ? QStringLiteral("-%1").arg(n) : QString()) + QStringLiteral(".journal"));
        fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST)
            failIo(QStringLiteral("Cannot create the run journal"), path);
    }

    using journalformat::line;
    const QString time = journalformat::timeField(now);
    QByteArray header = line(time, QStringLiteral("journal"), {journalformat::kVersion});
    if (!start.resumes.isEmpty())
        header += line(time, QStringLiteral("resumes"), {start.resumes});
    header += line(time, QStringLiteral("text"), {start.text});
    header += line(time, QStringLiteral("url"), {start.url});
    header += line(time, QStringLiteral("wap-push"), {QString::number(int(start.wapPush))});
    header += line(time, QStringLiteral("alert"), {QString::number(int(start.alert))});
    header += line(time, QStringLiteral("encoding"), {QString::number(start.encoding)});
    for (const auto &[key, value] : start.options)
        header += line(time, QStringLiteral("option"), {key, value});
    for (qsizetype i = 0; i < start.numbers.size(); ++i) {
        header += line(time, QStringLiteral("number"), {QString::number(i), start.numbers.at(i)});
        const RecipientFields columns = start.fields.value(i);
        if (columns.isEmpty())
            continue;
        QStringList fields{QString::number(i)};
        for (const auto &[name, value] : columns)
            fields << name << value;
        header += line(time, QStringLiteral("fields"), fields);
    }
    header += line(time, QStringLiteral("begin"), {QString::number(start.numbers.size())});
    try {
        writeAll(fd, header, path);
    } catch (...) {
        // Nothing was sent yet, and a start cut short is a journal nobody could read.
        ::close(fd);
        ::unlink(QFile::encodeName(path).constData());
        throw;
    }
    syncFolder(logsFolder);
    return RunJournalWriter(path, fd, start.numbers, std::move(clock));
}

RunJournalWriter::RunJournalWriter(QString path, int fd, QStringList numbers, JournalClock clock)
    : m_path(std::move(path)), m_fd(fd), m_numbers(std::move(numbers)), m_clock(std::move(clock))
{
}

RunJournalWriter::RunJournalWriter(RunJournalWriter &&other) noexcept
    : m_path(std::move(other.m_path)), m_fd(std::exchange(other.m_fd, -1)),
      m_numbers(std::move(other.m_numbers)), m_clock(std::move(other.m_clock)), m_handed(other.m_handed),
      m_holdOutcomes(other.m_holdOutcomes), m_heldOutcomes(std::move(other.m_heldOutcomes))
{
}

RunJournalWriter::~RunJournalWriter()
{
    if (m_fd < 0)
        return;
    try {
        writeHeldOutcomes();
    } catch (...) {
        // The numbers stay uncertain in the journal, which is what it can still say.
    }
    if (m_fd >= 0)
        ::close(m_fd);
}

QString RunJournalWriter::numberAt(int pos) const
{
    if (pos < 0 || pos >= m_numbers.size())
        throw journalError(QStringLiteral("Position %1 is outside the run's %2 numbers").arg(pos).arg(m_numbers.size()),
                           ErrorNumber::kInternal);
    return m_numbers.at(pos);
}

void RunJournalWriter::append(const QString &word, QStringList fields, const QString &modem)
{
    if (!modem.isEmpty())
        fields += modem;
    write(journalformat::line(journalformat::timeField(m_clock()), word, fields));
}

void RunJournalWriter::throwIfEnded() const
{
    if (m_fd < 0)
        throw journalError(QStringLiteral("The run journal %1 has already ended").arg(QDir::toNativeSeparators(m_path)),
                           ErrorNumber::kInternal);
}

void RunJournalWriter::outcome(const QString &word, QStringList fields, const QString &modem)
{
    if (!m_holdOutcomes)
        return append(word, std::move(fields), modem);
    throwIfEnded();
    if (!modem.isEmpty())
        fields += modem;
    m_heldOutcomes += journalformat::line(journalformat::timeField(m_clock()), word, fields);
}

void RunJournalWriter::writeHeldOutcomes()
{
    if (!m_heldOutcomes.isEmpty())
        write({});
}

void RunJournalWriter::write(const QByteArray &lines)
{
    throwIfEnded();
    try {
        // Held outcomes go first: records of one number stay in the order they happened.
        writeAll(m_fd, std::exchange(m_heldOutcomes, {}) + lines, m_path);
    } catch (...) {
        // What reached the file is a torn last line, which readers skip; a record written
        // after it would join it and spoil the journal.
        ::close(std::exchange(m_fd, -1));
        throw;
    }
}

// The reader takes one number at each modem at a time; refusing anything else here keeps
// every journal this writer makes readable.
void RunJournalWriter::checkWaiting(int pos, bool handing, const QString &modem) const
{
    const int waiting = m_handed.value(modem, -1);
    if (waiting < 0 || (waiting == pos && !handing))
        return;
    throw journalError(QStringLiteral("Position %1 %2 while position %3 waits for its outcome%4")
                           .arg(pos).arg(handing ? QStringLiteral("handed") : QStringLiteral("has an outcome")).arg(waiting)
                           .arg(modem.isEmpty() ? QString() : QStringLiteral(" from ") + modem),
                       ErrorNumber::kInternal);
}

void RunJournalWriter::handed(int pos, const QString &modem)
{
    handed({{pos, modem}});
}

void RunJournalWriter::handed(const QList<std::pair<int, QString>> &numbers)
{
    const QHash<QString, int> before = m_handed;
    try {
        QList<QStringList> records;
        for (const auto &[pos, modem] : numbers) {
            checkWaiting(pos, true, modem);
            records.append({QString::number(pos), numberAt(pos)});
            if (!modem.isEmpty())
                records.last() += modem;
            m_handed.insert(modem, pos);
        }
        QByteArray lines;
        const QString time = journalformat::timeField(m_clock());
        for (const QStringList &fields : records)
            lines += journalformat::line(time, QStringLiteral("handed"), fields);
        write(lines);
    } catch (...) {
        m_handed = before;
        throw;
    }
}

void RunJournalWriter::sent(int pos, const QString &refs, const QString &modem)
{
    checkWaiting(pos, false, modem);
    outcome(QStringLiteral("sent"), {QString::number(pos), numberAt(pos), refs}, modem);
    m_handed.remove(modem);
}

void RunJournalWriter::failed(int pos, int errorNumber, const QString &errorText, const QString &modem)
{
    checkWaiting(pos, false, modem);
    outcome(QStringLiteral("failed"), {QString::number(pos), numberAt(pos), QString::number(errorNumber), errorText},
            modem);
    m_handed.remove(modem);
}

void RunJournalWriter::skipped(int pos)
{
    // A number at a modem is never passed over; in a run with several modems others wait meanwhile.
    for (auto waiting = m_handed.cbegin(); waiting != m_handed.cend(); ++waiting) {
        if (waiting.value() == pos)
            throw journalError(QStringLiteral("Position %1 skipped while it waits for its outcome").arg(pos),
                               ErrorNumber::kInternal);
    }
    append(QStringLiteral("skipped"), {QString::number(pos), numberAt(pos), QStringLiteral("opt-out")}, {});
}

void RunJournalWriter::end(RunEnd kind, const QString &detail)
{
    append(QStringLiteral("end"), {runEndWord(kind), detail}, {});
    ::close(std::exchange(m_fd, -1));
}

RunJournalState readRunJournal(const QString &path)
{
    return journalformat::parseJournal(readWhole(path), path);
}

// ---- the logs folder

namespace {

// Enough of a journal to list it without reading all its numbers: the start time and the
// journal it resumes from its first lines, the word of its last complete line.
struct JournalPeek
{
    QString name;
    QDateTime started;
    QString resumes;
    QString lastWord;
    QString endKind; // the end record's kind word, when the journal has ended
    int sameSecond = 1; // as RunJournalName has it
};

JournalPeek peek(const QString &folder, const QString &name)
{
    // Far more than the first two records and any sending record or end ever take.
    constexpr qint64 kWindow = 64 * 1024;
    JournalPeek out{name};
    out.sameSecond = parseRunJournalName(name).sameSecond;
    QFile file(QDir(folder).filePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return out;
    const QByteArray head = file.read(kWindow);
    const QList<QByteArray> first = completeLines(head);
    if (!first.isEmpty())
        out.started = QDateTime::fromString(QString::fromUtf8(first.at(0).left(first.at(0).indexOf('\t'))),
                                            Qt::ISODateWithMs);
    if (first.size() > 1 && wordOf(first.at(1)) == u"resumes") {
        if (const auto line = journalformat::parseLine(QString::fromUtf8(first.at(1))); line && line->fields.size() == 1)
            out.resumes = line->fields.at(0);
    }
    std::optional<QByteArray> last = lastCompleteLine(head, true);
    if (file.size() > head.size() && file.seek(file.size() - kWindow))
        last = lastCompleteLine(file.readAll(), false);
    if ((!last || wordOf(*last) == u"delivery") && file.seek(0))
        last = lastRunLine(file.readAll());
    out.lastWord = last ? wordOf(*last) : QString();
    if (out.lastWord == u"end") {
        if (const auto line = journalformat::parseLine(QString::fromUtf8(*last)); line && !line->fields.isEmpty())
            out.endKind = line->fields.at(0);
    }
    return out;
}

} // namespace

QString RunJournalStart::option(const QString &name) const
{
    for (const auto &[key, value] : options)
        if (key == name)
            return value;
    return {};
}

RunJournalName parseRunJournalName(const QString &fileName)
{
    const QStringList parts = QFileInfo(fileName).completeBaseName().split(u'-');
    RunJournalName out;
    if (parts.size() < 3 || parts.at(0) != u"run")
        return out;
    out.second = QDateTime::fromString(parts.at(1) + parts.at(2), QStringLiteral("yyyyMMddHHmmss"));
    if (parts.size() == 4)
        out.sameSecond = parts.at(3).toInt();
    return out;
}

QStringList unfinishedRunJournals(const QString &logsFolder, bool withInterrupted)
{
    QList<JournalPeek> journals;
    QStringList resumed;
    const QStringList names = QDir(logsFolder).entryList({QStringLiteral("run-*.journal")}, QDir::Files);
    for (const QString &name : names) {
        JournalPeek p = peek(logsFolder, name);
        if (!p.resumes.isEmpty())
            resumed += p.resumes;
        // A journal whose start never reached the disk whole belongs to a run that sent nothing.
        static const QStringList kSending{QStringLiteral("begin"), QStringLiteral("handed"),
                                          QStringLiteral("sent"), QStringLiteral("failed")};
        if (kSending.contains(p.lastWord) || (withInterrupted && p.endKind == runEndWord(RunEnd::Interrupted)))
            journals += std::move(p);
    }
    std::sort(journals.begin(), journals.end(), [](const JournalPeek &a, const JournalPeek &b) {
        return a.started != b.started ? a.started > b.started : a.sameSecond > b.sameSecond;
    });
    QStringList out;
    for (const JournalPeek &p : journals)
        if (!resumed.contains(p.name))
            out += QDir(logsFolder).filePath(p.name);
    return out;
}

QString runJournalResumedBy(const QString &path)
{
    const QFileInfo journal(path);
    const QString folder = journal.absolutePath();
    for (const QString &name : QDir(folder).entryList({QStringLiteral("run-*.journal")}, QDir::Files)) {
        if (name != journal.fileName() && peek(folder, name).resumes == journal.fileName())
            return name;
    }
    return {};
}

void closeRunJournal(const QString &path, RunEnd kind, const QString &detail, JournalClock clock)
{
    const QByteArray data = readWhole(path);
    if (const auto last = lastRunLine(data); last && wordOf(*last) == u"end")
        throw journalError(QStringLiteral("The run journal %1 has already ended").arg(QDir::toNativeSeparators(path)));
    const int fd = openToAppend(path);
    const QDateTime now = clock ? clock() : QDateTime::currentDateTime();
    appendWhole(path, fd, journalformat::line(journalformat::timeField(now), QStringLiteral("end"), {runEndWord(kind), detail}));
}

void appendDeliveryRecord(const QString &path, const DeliveryRecord &record, JournalClock clock)
{
    // The caller matched the report to a sent record of this journal (deliverytracker.h); the
    // reader refuses a delivery record for anything else.
    const int fd = openToAppend(path);
    const QDateTime now = clock ? clock() : QDateTime::currentDateTime();
    appendWhole(path, fd,
                journalformat::line(journalformat::timeField(now), QStringLiteral("delivery"),
                                    {QString::number(record.position), record.number, record.reference,
                                     gsm::statusName(record.status), record.reason}));
}
