#include "runjournalformat.h"

#include "common/error.h"
#include "common/errornumbers.h"

#include <QDir>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <climits>

namespace journalformat {

namespace {

bool needsCodeEscape(const QString &text, qsizetype i)
{
    const char16_t c = text.at(i).unicode();
    if (c < 0x20 || c == 0x7F)
        return true;
    // A surrogate is fine only as half of a pair; a lone one has no UTF-8 form and would
    // come back as U+FFFD.
    if (QChar::isHighSurrogate(c))
        return i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate();
    if (QChar::isLowSurrogate(c))
        return i == 0 || !text.at(i - 1).isHighSurrogate();
    return false;
}

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

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

} // namespace

QString escapeField(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case u'\\': out += u"\\\\"; continue;
        case u'\t': out += u"\\t"; continue;
        case u'\n': out += u"\\n"; continue;
        case u'\r': out += u"\\r"; continue;
        default: break;
        }
        if (needsCodeEscape(text, i))
            out += QStringLiteral("\\u") + QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0');
        else
            out += c;
    }
    return out;
}

std::optional<QString> unescapeField(const QString &field)
{
    if (!field.contains(u'\\'))
        return field; // most fields: shared, not copied character by character
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field.at(i) != u'\\') {
            out += field.at(i);
            continue;
        }
        if (++i >= field.size())
            return std::nullopt;
        switch (field.at(i).unicode()) {
        case u'\\': out += u'\\'; break;
        case u't': out += u'\t'; break;
        case u'n': out += u'\n'; break;
        case u'r': out += u'\r'; break;
        case u'u': {
            const QString hex = field.mid(i + 1, 4);
            if (hex.size() != 4 || !std::all_of(hex.begin(), hex.end(), isHexDigit))
                return std::nullopt;
            out += QChar(hex.toUShort(nullptr, 16));
            i += 4;
            break;
        }
        default: return std::nullopt;
        }
    }
    return out;
}

QString timeField(const QDateTime &when)
{
    // Qt writes a local time without its offset; fixing the offset first makes it show.
    return when.toOffsetFromUtc(when.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QByteArray line(const QString &time, const QString &word, const QStringList &fields)
{
    QString text = time + u'\t' + word;
    for (const QString &field : fields)
        text += u'\t' + escapeField(field);
    return text.toUtf8() + '\n';
}

std::optional<Line> parseLine(const QString &text)
{
    const QStringList parts = text.split(u'\t');
    if (parts.size() < 2)
        return std::nullopt;
    Line out;
    out.when = QDateTime::fromString(parts.at(0), Qt::ISODateWithMs);
    if (!out.when.isValid())
        return std::nullopt;
    out.word = parts.at(1);
    for (qsizetype i = 2; i < parts.size(); ++i) {
        const auto field = unescapeField(parts.at(i));
        if (!field)
            return std::nullopt;
        out.fields += *field;
    }
    return out;
}

QuilloError journalError(const QString &description, qint32 number)
{
    return QuilloError(number, description, QStringLiteral("Run journal"));
}

[[noreturn]] void failLine(const QString &path, int lineNo, const QString &what)
{
    throw journalError(QStringLiteral("The run journal %1, line %2: %3")
                           .arg(QDir::toNativeSeparators(path)).arg(lineNo).arg(what));
}

QList<QByteArray> completeLines(const QByteArray &data)
{
    QList<QByteArray> lines = data.split('\n');
    lines.removeLast();
    return lines;
}

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

std::optional<RunEnd> endKindOf(const QString &word)
{
    for (const EndWord &e : kEndWords)
        if (word == e.word)
            return e.kind;
    return std::nullopt;
}

namespace {

// Reads one journal record by record, checking each against what came before.
class JournalReader
{
public:
    explicit JournalReader(QString path) : m_path(std::move(path)) { m_state.path = m_path; }

    RunJournalState read(const QByteArray &data)
    {
        const QList<QByteArray> lines = completeLines(data);
        for (const QByteArray &bytes : lines) {
            ++m_lineNo;
            QStringDecoder utf8(QStringConverter::Utf8);
            const QString text = utf8(bytes);
            if (utf8.hasError())
                fail(QStringLiteral("not UTF-8 text"));
            const auto record = parseLine(text);
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

    // A sending record: its own fields, then the modem's port in a run with several modems.
    QString modemOf(const journalformat::Line &r, int count) const
    {
        if (r.fields.size() != count + 1)
            need(r, count);
        return r.fields.size() > count ? r.fields.at(count) : QString();
    }

    static QString fromModem(const QString &modem)
    {
        return modem.isEmpty() ? QString() : QStringLiteral(" from ") + modem;
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

    void outcome(int pos, const QString &modem)
    {
        const int waiting = m_handed.value(modem, -1);
        if (waiting >= 0 && waiting != pos)
            fail(QStringLiteral("an outcome for position %1 while position %2 waits for its own%3")
                     .arg(pos).arg(waiting).arg(fromModem(modem)));
        m_handed.remove(modem);
    }

    void take(const journalformat::Line &r)
    {
        RunJournalStart &start = m_state.start;
        if (m_lineNo == 1) {
            if (r.word != u"journal" || r.fields != QStringList{kVersion})
                fail(QStringLiteral("not a run journal of version %1").arg(kVersion));
            return;
        }
        if (m_state.ended && r.word != u"delivery")
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
        } else if (r.word == u"fields" && header) {
            if (r.fields.size() < 3 || r.fields.size() % 2 == 0)
                fail(QStringLiteral("\"fields\" takes a position and pairs of name and value"));
            whole(r.fields.at(0), int(start.numbers.size()) - 1, int(start.numbers.size()) - 1);
            start.fields.resize(start.numbers.size());
            for (qsizetype i = 1; i + 1 < r.fields.size(); i += 2)
                start.fields.last().append({r.fields.at(i), r.fields.at(i + 1)});
        } else if (r.word == u"begin" && header) {
            need(r, 1);
            whole(r.fields.at(0), int(start.numbers.size()), int(start.numbers.size()));
            m_state.positions.resize(start.numbers.size());
            if (!start.fields.isEmpty())
                start.fields.resize(start.numbers.size());
            m_begun = true;
        } else if (r.word == u"handed") {
            const QString modem = modemOf(r, 2);
            const int pos = position(r);
            if (const int waiting = m_handed.value(modem, -1); waiting >= 0)
                fail(QStringLiteral("position %1 handed while position %2 waits for its outcome%3")
                         .arg(pos).arg(waiting).arg(fromModem(modem)));
            m_handed.insert(modem, pos);
            m_state.positions[pos] = {RunOutcome::Uncertain, {}, 0, {}, modem};
        } else if (r.word == u"sent") {
            const QString modem = modemOf(r, 3);
            const int pos = position(r);
            outcome(pos, modem);
            m_state.positions[pos] = {RunOutcome::Sent, r.fields.at(2), 0, {}, modem};
        } else if (r.word == u"failed") {
            const QString modem = modemOf(r, 4);
            const int pos = position(r);
            outcome(pos, modem);
            m_state.positions[pos] = {RunOutcome::Failed, {}, whole(r.fields.at(2), INT_MIN, INT_MAX), r.fields.at(3), modem};
        } else if (r.word == u"skipped") {
            need(r, 3);
            const int pos = position(r);
            // Passed over while other numbers are at modems, but never one of those.
            for (auto waiting = m_handed.cbegin(); waiting != m_handed.cend(); ++waiting) {
                if (waiting.value() == pos)
                    fail(QStringLiteral("position %1 skipped while it waits for its outcome%2")
                             .arg(pos).arg(fromModem(waiting.key())));
            }
            m_state.positions[pos] = {RunOutcome::Skipped};
        } else if (r.word == u"delivery" && !header) {
            need(r, 5);
            const int pos = position(r);
            RunPosition &p = m_state.positions[pos];
            if (p.outcome != RunOutcome::Sent)
                fail(QStringLiteral("a delivery report for position %1, which was not sent").arg(pos));
            const std::optional<gsm::DeliveryStatus> status = gsm::statusNamed(r.fields.at(3));
            if (!status)
                fail(QStringLiteral("\"%1\" is not a delivery status").arg(r.fields.at(3)));
            p.partDeliveries.insert(r.fields.at(2), *status);
            if (*status == gsm::DeliveryStatus::Failed || *status == gsm::DeliveryStatus::Expired)
                p.deliveryReason = r.fields.at(4);
            p.deliveryTime = r.when;
        } else if (r.word == u"end") {
            need(r, 2);
            const std::optional<RunEnd> kind = endKindOf(r.fields.at(0));
            if (!kind)
                fail(QStringLiteral("\"%1\" is not a way a run ends").arg(r.fields.at(0)));
            m_state.ended = true;
            m_state.endKind = *kind;
            m_state.endDetail = r.fields.at(1);
        } else {
            fail(QStringLiteral("\"%1\" is not a record %2").arg(r.word, header ? QStringLiteral("before \"begin\"")
                                                                                  : QStringLiteral("after \"begin\"")));
        }
    }

    // A part's failure outweighs the others' delivery; a number is delivered once all are.
    static gsm::DeliveryStatus deliveryOf(const RunPosition &p)
    {
        using gsm::DeliveryStatus;
        const QList<DeliveryStatus> parts = p.partDeliveries.values();
        for (DeliveryStatus worst : {DeliveryStatus::Failed, DeliveryStatus::Expired})
            if (parts.contains(worst))
                return worst;
        // A modem's send report is its parts' references; a gateway's answer is text, and its
        // message has the one reference of its reports.
        QStringList refs = p.refs.split(u',', Qt::SkipEmptyParts);
        static const QRegularExpression kReference(QStringLiteral("^[0-9]+$"));
        if (!std::all_of(refs.begin(), refs.end(), [](const QString &ref) { return kReference.match(ref).hasMatch(); }))
            refs = p.partDeliveries.keys();
        const bool all = !refs.isEmpty() && std::all_of(refs.begin(), refs.end(), [&](const QString &ref) {
            return p.partDeliveries.value(ref, DeliveryStatus::Pending) == DeliveryStatus::Delivered;
        });
        return all ? DeliveryStatus::Delivered : DeliveryStatus::Pending;
    }

    void finish()
    {
        m_state.deliveryReports = std::any_of(m_state.start.options.begin(), m_state.start.options.end(),
                                              [](const auto &option) {
                                                  return option.first == kDeliveryReportsOption && option.second == u"1";
                                              });
        for (RunPosition &p : m_state.positions) {
            if (p.outcome == RunOutcome::Sent && (m_state.deliveryReports || !p.partDeliveries.isEmpty()))
                p.delivery = deliveryOf(p);
        }
        for (qsizetype pos = 0; pos < m_state.positions.size(); ++pos) {
            if (m_state.positions.at(pos).outcome == RunOutcome::Uncertain)
                m_state.uncertainPositions += int(pos);
        }
        m_state.uncertainPosition = m_state.uncertainPositions.value(0, -1);
        for (const RunPosition &p : m_state.positions) {
            m_state.sent += p.outcome == RunOutcome::Sent;
            m_state.failed += p.outcome == RunOutcome::Failed;
            m_state.notTried += p.outcome == RunOutcome::NotTried;
            m_state.skipped += p.outcome == RunOutcome::Skipped;
        }
    }

    QString m_path;
    RunJournalState m_state;
    int m_lineNo = 0;
    bool m_begun = false;
    QHash<QString, int> m_handed; // per modem, the position waiting for its outcome
};

} // namespace

RunJournalState parseJournal(const QByteArray &data, const QString &path)
{
    return JournalReader(path).read(data);
}

} // namespace journalformat

QString runEndWord(RunEnd kind)
{
    for (const journalformat::EndWord &e : journalformat::kEndWords)
        if (e.kind == kind)
            return QString::fromUtf16(e.word);
    return {};
}

QList<int> RunJournalState::notSentPositions(bool includeUncertain) const
{
    QList<int> out;
    for (qsizetype i = 0; i < positions.size(); ++i) {
        const RunOutcome o = positions.at(i).outcome;
        if (o == RunOutcome::Failed || o == RunOutcome::NotTried || (includeUncertain && o == RunOutcome::Uncertain))
            out += int(i);
    }
    return out;
}

QStringList RunJournalState::notSent(bool includeUncertain) const
{
    QStringList out;
    for (const int i : notSentPositions(includeUncertain))
        out += start.numbers.at(i);
    return out;
}
