#include "runsummary.h"

#include "mergefields.h"
#include "runspeed.h"
#include "sendingrunvalues.h"
#include "timeleft.h"

#include "kestrel/gsmalphabet.h"
#include "kestrel/messagesplitter.h"

namespace {

QString charactersOutsideGsm(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A surrogate pair is one character, and never in the GSM alphabet.
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, length);
        if (!gsm::isRepresentable(character) && !out.contains(character))
            out += character;
        i += length - 1;
    }
    return out;
}

void measure(PersonalMessage &m, bool wapPush, gsm::LongMode mode)
{
    m.notGsm = charactersOutsideGsm(m.text);
    if (wapPush)
        return; // one push per number; its length is checked when the run starts
    const gsm::Coding coding = m.encoding == 2 ? gsm::Coding::Ucs2 : gsm::Coding::Gsm7;
    const int length = coding == gsm::Coding::Gsm7 ? gsm::septetLength(m.text) : int(m.text.size());
    const int single = coding == gsm::Coding::Gsm7 ? gsm::kSeptetsPerSms : gsm::kUcs2UnitsPerSms;
    m.cutShort = mode == gsm::LongMode::Truncate && length > single;
    m.parts = int(gsm::splitMessage(m.text, coding, mode, 0).size());
}

// The question's lines below the duration's: the same for every route.
QString summaryLines(const RunPlan &plan, const QString &duration)
{
    QStringList lines{
        QStringLiteral("Recipients: %1").arg(plan.messages.size()),
        QStringLiteral("SMS parts in all: %1").arg(plan.totalParts),
        QStringLiteral("Estimated duration: %1").arg(duration),
    };
    QStringList cutShort;
    for (const PersonalMessage &m : plan.messages) {
        if (m.cutShort)
            cutShort << m.number;
    }
    if (!cutShort.isEmpty())
        lines << QStringLiteral("Cut short to one SMS, as long messages are truncated: %1 of %2 recipients: %3")
                     .arg(QString::number(cutShort.size()), QString::number(plan.messages.size()),
                          numbersListed(cutShort));
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace

RunPlan planRun(const ComposedMessage &message, const QStringList &numbers, const QList<RecipientFields> &fields,
                const QString &longMessage)
{
    RunPlan plan;
    const auto mode = gsm::LongMode(runvalues::longMessageCode(longMessage).value_or(0));
    plan.personal = !message.wapPush
                    && std::any_of(fields.begin(), fields.end(), [](const RecipientFields &f) { return !f.isEmpty(); });
    plan.messages.reserve(numbers.size());
    if (!plan.personal) {
        PersonalMessage common;
        common.text = message.text;
        common.encoding = message.encoding;
        measure(common, message.wapPush, mode);
        for (const QString &number : numbers) {
            plan.messages << common;
            plan.messages.last().number = number;
        }
        plan.totalParts = common.parts * int(numbers.size());
        return plan;
    }

    const QStringList known = fieldNames(fields);
    for (const QString &name : merge::placeholderNames(message.text)) {
        if (!known.contains(name, Qt::CaseInsensitive))
            plan.unknownColumns << name;
    }
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        PersonalMessage m;
        m.number = numbers.at(i);
        merge::Merged merged = merge::mergeFields(message.text, fields.value(i));
        m.text = std::move(merged.text);
        m.missing = std::move(merged.missing);
        m.encoding = message.encoding == 2 || !gsm::isRepresentable(m.text) ? 2 : 0;
        measure(m, false, mode);
        plan.totalParts += m.parts;
        plan.messages << std::move(m);
    }
    return plan;
}

QString sendingDescription(const PersonalMessage &m)
{
    QString text = m.encoding == 2 ? QStringLiteral("UCS2") : QStringLiteral("GSM 7-bit");
    if (!m.notGsm.isEmpty())
        text += (m.encoding == 2 ? QStringLiteral(" (for ") : QStringLiteral(" (sent as ? : ")) + m.notGsm
                + QLatin1Char(')');
    text += m.parts == 1 ? QStringLiteral(", 1 part") : QStringLiteral(", %1 parts").arg(m.parts);
    if (m.cutShort)
        text += QStringLiteral(", cut short");
    return text;
}

QString numbersListed(const QStringList &numbers)
{
    QString text = numbers.mid(0, kListedNumbers).join(QStringLiteral(", "));
    if (numbers.size() > kListedNumbers)
        text += QStringLiteral(" and %1 more").arg(numbers.size() - kListedNumbers);
    return text;
}

CapsBound capsBound(int parts, int recipients, const QList<PacingLimits> &pacing)
{
    const struct
    {
        int PacingLimits::*cap;
        int count;
        qint64 windowSeconds;
        const char *name;
    } kinds[] = {
        {&PacingLimits::partsPerHour, parts, 3600, "SMS parts per hour"},
        {&PacingLimits::partsPerDay, parts, 86400, "SMS parts per day"},
        {&PacingLimits::recipientsPerDay, recipients, 86400, "recipients per day"},
    };
    CapsBound bound;
    for (const auto &kind : kinds) {
        qint64 all = 0;
        for (const PacingLimits &modem : pacing)
            all = modem.*kind.cap > 0 && all >= 0 ? all + modem.*kind.cap : -1;
        if (all <= 0)
            continue;
        // A full window's worth goes at once, then one more each time a window has passed.
        const qint64 seconds = (kind.count - 1) / all * kind.windowSeconds;
        if (seconds > bound.seconds)
            bound = {seconds, QStringLiteral("%1 %2").arg(all).arg(QLatin1String(kind.name))};
    }
    return bound;
}

QString runSummaryText(const RunPlan &plan, const QList<double> &measured, int sendDelayMs,
                       const QList<PacingLimits> &pacing)
{
    const double perPart = runspeed::secondsPerPart(measured);
    QString how = QStringLiteral("%1 s per part, ").arg(perPart, 0, 'f', 1);
    if (measured.isEmpty())
        how += QStringLiteral("until a run has been measured");
    else if (measured.size() == 1)
        how += QStringLiteral("as measured in the last run");
    else
        how += QStringLiteral("the median of the last %1 runs").arg(measured.size());
    if (sendDelayMs > 0)
        how += QStringLiteral(", and the Send Delay of %1 s between parts").arg(sendDelayMs / 1000.0);
    const qint64 seconds = runspeed::estimatedSeconds(plan.totalParts, perPart, sendDelayMs);
    QString duration = QStringLiteral("%1 (%2)").arg(formatDuration(seconds), how);
    const CapsBound caps = capsBound(plan.totalParts, int(plan.messages.size()), pacing);
    if (caps.seconds > seconds) {
        const qint64 days = caps.seconds / 86400;
        const QString least = days == 1 ? QStringLiteral("until tomorrow")
                              : days > 1 ? QStringLiteral("%1 days").arg(days)
                                         : formatDuration(caps.seconds);
        duration = QStringLiteral("at least %1, as the modems' caps allow %2 in all (without the caps: %3)")
                       .arg(least, caps.cap, duration);
    }
    return summaryLines(plan, duration);
}

QString gatewayRunSummaryText(const RunPlan &plan, int requestsAtOnce)
{
    return summaryLines(plan, QStringLiteral("as fast as the gateway takes them, %1 requests at once; a modem's "
                                             "speed does not apply")
                                  .arg(requestsAtOnce));
}


QString missingValuesText(const RunPlan &plan)
{
    QStringList names;
    QList<QStringList> whom;
    for (const PersonalMessage &m : plan.messages) {
        for (const QString &name : m.missing) {
            if (plan.unknownColumns.contains(name, Qt::CaseInsensitive))
                continue;
            qsizetype at = -1;
            for (qsizetype i = 0; i < names.size() && at < 0; ++i)
                at = names.at(i).compare(name, Qt::CaseInsensitive) == 0 ? i : -1;
            if (at < 0) {
                names << name;
                whom << QStringList();
                at = names.size() - 1;
            }
            whom[at] << m.number;
        }
    }
    QStringList lines;
    for (const QString &name : plan.unknownColumns)
        lines << QStringLiteral("{") + name + QStringLiteral("}: the list has no column of that name");
    for (qsizetype i = 0; i < names.size(); ++i)
        lines << QStringLiteral("{%1}: no value for %2 of %3 recipients: %4")
                     .arg(names.at(i), QString::number(whom.at(i).size()), QString::number(plan.messages.size()),
                          numbersListed(whom.at(i)));
    if (lines.isEmpty())
        return {};
    return QStringLiteral("Some placeholders of the message have no value:\r\n") + lines.join(QStringLiteral("\r\n"))
           + QStringLiteral("\r\n\r\nSend with these placeholders left empty?");
}
