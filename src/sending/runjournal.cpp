#include "runjournal.h"

#include "common/error.h"
#include "common/errornumbers.h"
#include "runjournalformat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QString kSource = QStringLiteral("Run journal");
const QString kFormatVersion = QStringLiteral("1");

struct EndWord
{
    RunEnd kind;
    const char16_t *word;
};
constexpr std::array<EndWord, 10> kEndWords{{
    {RunEnd::Completed, u"completed"},
    {RunEnd::Aborted, u"aborted"},
    {RunEnd::ConnectionFailure, u"connection-failure"},
    {RunEnd::LowSignal, u"low-signal"},
    {RunEnd::ContentTooLong, u"too-long"},
    {RunEnd::Error, u"error"},
    {RunEnd::Interrupted, u"interrupted"},
    {RunEnd::Dismissed, u"dismissed"},
    {RunEnd::Restored, u"restored"},
    {RunEnd::Resumed, u"resumed"},
}};

[[noreturn]] void failIo(const QString &what, const QString &path)
{
    throw QuilloError(ErrorNumber::kFileIo,
                      QStringLiteral("%1 %2: %3").arg(what, QDir::toNativeSeparators(path),
                                                       QString::fromLocal8Bit(std::strerror(errno))),
                      kSource);
}

[[noreturn]] void failLine(const QString &path, int lineNo, const QString &what)
{
    throw QuilloError(ErrorNumber::kFileIo,
                      QStringLiteral("The run journal %1, line %2: %3")
                          .arg(QDir::toNativeSeparators(path)).arg(lineNo).arg(what),
                      kSource);
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
        throw QuilloError(ErrorNumber::kFileIo,
                          QStringLiteral("Cannot read the run journal %1: %2")
                              .arg(QDir::toNativeSeparators(path), file.errorString()),
                          kSource);
    return file.readAll();
}

// The complete lines of a journal; what follows the last LF is a record the program was
// writing when it died, never acknowledged to the run, so it is dropped.
QList<QByteArray> completeLines(const QByteArray &data)
{
    QList<QByteArray> lines = data.split('\n');
    lines.removeLast();
    return lines;
}

// The last line ended by LF; nothing when data holds none whole. startsLine: data begins
// where a line begins, as a whole file does and a window on its tail may not.
std::optional<QByteArray> lastCompleteLine(const QByteArray &data, bool startsLine)
{
    const qsizetype stop = data.lastIndexOf('\n');
    if (stop < 0)
        return std::nullopt;
    const qsizetype start = stop == 0 ? 0 : data.lastIndexOf('\n', stop - 1) + 1;
    if (start == 0 && !startsLine)
        return std::nullopt;
    return data.mid(start, stop - start);
}

QString wordOf(const QByteArray &line)
{
    const qsizetype start = line.indexOf('\t') + 1;
    const qsizetype stop = line.indexOf('\t', start);
    return start == 0 ? QString() : QString::fromUtf8(line.mid(start, stop < 0 ? -1 : stop - start));
}

} // namespace

QString runEndWord(RunEnd kind)
{
    for (const EndWord &e : kEndWords)
        if (e.kind == kind)
            return QString::fromUtf16(e.word);
    return {};
}

// ---- writing

RunJournalWriter RunJournalWriter::create(const QString &logsFolder, const RunJournalStart &start,
                                          JournalClock clock)
{
    if (!clock)
        clock = [] { return QDateTime::currentDateTime(); };
    if (!QFileInfo(logsFolder).isDir())
        throw QuilloError(ErrorNumber::kPathNotFound,
                          QStringLiteral("The logs folder %1 does not exist")
                              .arg(QDir::toNativeSeparators(logsFolder)),
                          kSource);
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
    QByteArray header = line(now, QStringLiteral("journal"), {kFormatVersion});
    if (!start.resumes.isEmpty())
        header += line(now, QStringLiteral("resumes"), {start.resumes});
    header += line(now, QStringLiteral("text"), {start.text});
    header += line(now, QStringLiteral("url"), {start.url});
    header += line(now, QStringLiteral("wap-push"), {QString::number(int(start.wapPush))});
    header += line(now, QStringLiteral("alert"), {QString::number(int(start.alert))});
    header += line(now, QStringLiteral("encoding"), {QString::number(start.encoding)});
    for (const auto &[key, value] : start.options)
        header += line(now, QStringLiteral("option"), {key, value});
    for (qsizetype i = 0; i < start.numbers.size(); ++i)
        header += line(now, QStringLiteral("number"), {QString::number(i), start.numbers.at(i)});
    header += line(now, QStringLiteral("begin"), {QString::number(start.numbers.size())});
    try {
        writeAll(fd, header, path);
    } catch (...) {
        // A half-written start would be listed as an interrupted run that never sent anything.
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
      m_numbers(std::move(other.m_numbers)), m_clock(std::move(other.m_clock))
{
}

RunJournalWriter::~RunJournalWriter()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString RunJournalWriter::numberAt(int pos) const
{
    if (pos < 0 || pos >= m_numbers.size())
        throw QuilloError(ErrorNumber::kInternal,
                          QStringLiteral("Position %1 is outside the run's %2 numbers").arg(pos).arg(m_numbers.size()),
                          kSource);
    return m_numbers.at(pos);
}

void RunJournalWriter::append(const QString &word, const QStringList &fields)
{
    if (m_fd < 0)
        throw QuilloError(ErrorNumber::kInternal,
                          QStringLiteral("The run journal %1 has already ended").arg(QDir::toNativeSeparators(m_path)),
                          kSource);
    writeAll(m_fd, journalformat::line(m_clock(), word, fields), m_path);
}

void RunJournalWriter::handed(int pos)
{
    append(QStringLiteral("handed"), {QString::number(pos), numberAt(pos)});
}

void RunJournalWriter::sent(int pos, const QString &refs)
{
    append(QStringLiteral("sent"), {QString::number(pos), numberAt(pos), refs});
}

void RunJournalWriter::failed(int pos, int errorNumber, const QString &errorText)
{
    append(QStringLiteral("failed"), {QString::number(pos), numberAt(pos), QString::number(errorNumber), errorText});
}

void RunJournalWriter::end(RunEnd kind, const QString &detail)
{
    append(QStringLiteral("end"), {runEndWord(kind), detail});
    ::close(std::exchange(m_fd, -1));
}

// ---- reading

namespace {

// Reads one journal record by record, checking each against what came before.
class JournalReader
{
public:
    explicit JournalReader(QString path) : m_path(std::move(path)) { m_state.path = m_path; }

    RunJournalState read()
    {
        const QList<QByteArray> lines = completeLines(readWhole(m_path));
        for (const QByteArray &bytes : lines) {
            ++m_lineNo;
            QStringDecoder utf8(QStringConverter::Utf8);
            const QString text = utf8(bytes);
            if (utf8.hasError())
                fail(QStringLiteral("not UTF-8 text"));
            const auto record = journalformat::parseLine(text);
            if (!record)
                fail(QStringLiteral("not a journal record (time, TAB, word, fields with valid escapes)"));
            take(*record);
        }
        if (lines.isEmpty())
            failLine(m_path, 1, QStringLiteral("the file holds no complete record"));
        if (!m_begun && !m_state.ended)
            fail(QStringLiteral("the list of numbers stops before its \"begin\" record"));
        finish();
        return m_state;
    }

private:
    [[noreturn]] void fail(const QString &what) const { failLine(m_path, m_lineNo, what); }

    void need(const journalformat::Line &r, int count) const
    {
        if (r.fields.size() != count)
            fail(QStringLiteral("\"%1\" takes %2 fields, not %3").arg(r.word).arg(count).arg(r.fields.size()));
    }

    int whole(const QString &field, int min, int max) const
    {
        bool ok = false;
        const int value = field.toInt(&ok);
        if (!ok || value < min || value > max || field != QString::number(value))
            fail(QStringLiteral("\"%1\" is not a whole number from %2 to %3").arg(field).arg(min).arg(max));
        return value;
    }

    // The position a sending record names, checked against the number it carries.
    int position(const journalformat::Line &r) const
    {
        if (!m_begun)
            fail(QStringLiteral("\"%1\" before the \"begin\" record").arg(r.word));
        const int pos = whole(r.fields.at(0), 0, int(m_state.start.numbers.size()) - 1);
        if (r.fields.at(1) != m_state.start.numbers.at(pos))
            fail(QStringLiteral("number %1 is not the run's number %2 at position %3")
                     .arg(r.fields.at(1), m_state.start.numbers.at(pos)).arg(pos));
        return pos;
    }

    void outcome(int pos)
    {
        if (m_handed >= 0 && m_handed != pos)
            fail(QStringLiteral("an outcome for position %1 while position %2 waits for its own").arg(pos).arg(m_handed));
        m_handed = -1;
    }

    void take(const journalformat::Line &r)
    {
        RunJournalStart &start = m_state.start;
        if (m_lineNo == 1) {
            if (r.word != u"journal" || r.fields != QStringList{kFormatVersion})
                fail(QStringLiteral("not a run journal of version %1").arg(kFormatVersion));
            return;
        }
        if (m_state.ended)
            fail(QStringLiteral("a record after the end record"));
        const bool header = !m_begun;
        if (r.word == u"resumes" && header) {
            need(r, 1);
            start.resumes = r.fields.at(0);
        } else if (r.word == u"text" && header) {
            need(r, 1);
            start.text = r.fields.at(0);
        } else if (r.word == u"url" && header) {
            need(r, 1);
            start.url = r.fields.at(0);
        } else if (r.word == u"wap-push" && header) {
            need(r, 1);
            start.wapPush = whole(r.fields.at(0), 0, 1);
        } else if (r.word == u"alert" && header) {
            need(r, 1);
            start.alert = whole(r.fields.at(0), 0, 1);
        } else if (r.word == u"encoding" && header) {
            need(r, 1);
            start.encoding = whole(r.fields.at(0), 0, 2);
        } else if (r.word == u"option" && header) {
            need(r, 2);
            start.options.append({r.fields.at(0), r.fields.at(1)});
        } else if (r.word == u"number" && header) {
            need(r, 2);
            whole(r.fields.at(0), int(start.numbers.size()), int(start.numbers.size()));
            start.numbers.append(r.fields.at(1));
        } else if (r.word == u"begin" && header) {
            need(r, 1);
            whole(r.fields.at(0), int(start.numbers.size()), int(start.numbers.size()));
            m_state.positions.resize(start.numbers.size());
            m_begun = true;
        } else if (r.word == u"handed") {
            need(r, 2);
            const int pos = position(r);
            if (m_handed >= 0)
                fail(QStringLiteral("position %1 handed while position %2 waits for its outcome").arg(pos).arg(m_handed));
            m_handed = pos;
            m_state.positions[pos] = {RunOutcome::Uncertain};
        } else if (r.word == u"sent") {
            need(r, 3);
            const int pos = position(r);
            outcome(pos);
            m_state.positions[pos] = {RunOutcome::Sent, r.fields.at(2)};
        } else if (r.word == u"failed") {
            need(r, 4);
            const int pos = position(r);
            outcome(pos);
            m_state.positions[pos] = {RunOutcome::Failed, {}, whole(r.fields.at(2), INT_MIN, INT_MAX), r.fields.at(3)};
        } else if (r.word == u"end") {
            need(r, 2);
            const auto known = std::find_if(kEndWords.begin(), kEndWords.end(),
                                            [&](const EndWord &e) { return r.fields.at(0) == e.word; });
            if (known == kEndWords.end())
                fail(QStringLiteral("\"%1\" is not a way a run ends").arg(r.fields.at(0)));
            m_state.ended = true;
            m_state.endKind = known->kind;
            m_state.endDetail = r.fields.at(1);
        } else {
            fail(QStringLiteral("\"%1\" is not a record %2").arg(r.word, header ? QStringLiteral("before \"begin\"")
                                                                                  : QStringLiteral("after \"begin\"")));
        }
    }

    void finish()
    {
        m_state.uncertainPosition = m_handed;
        for (const RunPosition &p : m_state.positions) {
            m_state.sent += p.outcome == RunOutcome::Sent;
            m_state.failed += p.outcome == RunOutcome::Failed;
            m_state.notTried += p.outcome == RunOutcome::NotTried;
        }
    }

    QString m_path;
    RunJournalState m_state;
    int m_lineNo = 0;
    bool m_begun = false;
    int m_handed = -1;
};

} // namespace

QStringList RunJournalState::notSent(bool includeUncertain) const
{
    QStringList out;
    for (qsizetype i = 0; i < positions.size(); ++i) {
        const RunOutcome o = positions.at(i).outcome;
        if (o == RunOutcome::Failed || o == RunOutcome::NotTried || (includeUncertain && o == RunOutcome::Uncertain))
            out += start.numbers.at(i);
    }
    return out;
}

RunJournalState readRunJournal(const QString &path)
{
    return JournalReader(path).read();
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
    int sameSecond = 1; // the -n of run-YYYYMMDD-HHMMSS-n.journal
};

JournalPeek peek(const QString &folder, const QString &name)
{
    // Far more than the first two records and any sending record or end ever take.
    constexpr qint64 kWindow = 64 * 1024;
    JournalPeek out{name};
    const QStringList dashes = QFileInfo(name).completeBaseName().split(u'-');
    if (dashes.size() == 4)
        out.sameSecond = dashes.at(3).toInt();
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
    if (!last && file.seek(0))
        last = lastCompleteLine(file.readAll(), true);
    out.lastWord = last ? wordOf(*last) : QString();
    return out;
}

} // namespace

QStringList unfinishedRunJournals(const QString &logsFolder)
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
        if (kSending.contains(p.lastWord))
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

void closeRunJournal(const QString &path, RunEnd kind, const QString &detail, JournalClock clock)
{
    const QByteArray data = readWhole(path);
    const qsizetype complete = data.lastIndexOf('\n') + 1;
    if (complete == 0)
        failLine(path, 1, QStringLiteral("the file holds no complete record"));
    if (wordOf(*lastCompleteLine(data, true)) == u"end")
        throw QuilloError(ErrorNumber::kFileIo,
                          QStringLiteral("The run journal %1 has already ended").arg(QDir::toNativeSeparators(path)),
                          kSource);
    const QByteArray name = QFile::encodeName(path);
    if (complete < data.size() && ::truncate(name.constData(), complete) != 0)
        failIo(QStringLiteral("Cannot write the run journal"), path);
    const int fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0)
        failIo(QStringLiteral("Cannot write the run journal"), path);
    const QDateTime now = clock ? clock() : QDateTime::currentDateTime();
    try {
        writeAll(fd, journalformat::line(now, QStringLiteral("end"), {runEndWord(kind), detail}), path);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
}
