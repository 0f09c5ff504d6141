// Personal messages: the merge rules, each recipient's alphabet and parts, and what the start
// question says a run will cost.
#include "qstringprinter.h"
#include "sending/mergefields.h"
#include "sending/runspeed.h"
#include "sending/runsummary.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const RecipientFields kAsha{{QStringLiteral("Name"), QStringLiteral("Asha")},
                            {QStringLiteral("Fee"), QStringLiteral("1,200")},
                            {QStringLiteral("Due"), QString()}};

TEST(MergeRules, TextForAsha)
{
    const struct
    {
        const char *text;
        const char *merged;
        QStringList missing;
    } cases[] = {
        {"Dear {Name}, your fee of {Fee} is due", "Dear Asha, your fee of 1,200 is due", {}},
        {"{NAME}/{ name }/{nAmE}", "Asha/Asha/Asha", {}},              // any case, blanks around
        {"{{Name}} costs {{1}}", "{Name} costs {1}", {}},              // doubled braces are literal
        {"{{{Name}}}", "{Asha}", {}},                                  // a brace around a value
        {"a } b { c", "a } b { c", {}},                                // lone braces stay
        {"{} and { }", "{} and { }", {}},                              // empty or blank names stay
        {"{Name\r\n} x", "{Name\r\n} x", {}},                        // no closing brace on the line
        {"{a{Name}", "{aAsha", {}},                                    // a brace inside starts again
        {"by {Due}!", "by !", {QStringLiteral("Due")}},                // an empty value is missing
        {"{Town} {town}", " ", {QStringLiteral("Town")}},              // unknown column, missing once
        {"नमस्ते {Name} ✓", "नमस्ते Asha ✓", {}},
    };
    for (const auto &c : cases) {
        const merge::Merged merged = merge::mergeFields(QString::fromUtf8(c.text), kAsha);
        EXPECT_EQ(printable(merged.text), printable(QString::fromUtf8(c.merged))) << c.text;
        EXPECT_EQ(merged.missing, c.missing) << c.text;
    }
}

TEST(MergeRules, PlaceholderNamesOnceInOrderFirstSpelling)
{
    EXPECT_EQ(merge::placeholderNames(QStringLiteral("{Fee} {name} {{x}} {NAME} {Fee}")),
              (QStringList{QStringLiteral("Fee"), QStringLiteral("name")}));
    EXPECT_FALSE(merge::hasPlaceholders(QStringLiteral("{{not}} one {} here }} { x")));
}

// --- each recipient's text, alphabet and parts -----------------------------------------

ComposedMessage textMessage(const QString &text, int encoding = 0)
{
    return {text, QString(), false, false, encoding};
}

RecipientFields named(const QString &name)
{
    return {{QStringLiteral("Name"), name}};
}

TEST(RunPlan, EachRecipientGetsItsAlphabetAndParts)
{
    const QString text = QStringLiteral("Dear {Name} ") + QString(150, u'x');
    const QString long156 = QString(156, u'a') + QStringLiteral("{Name}");
    const struct
    {
        const char *name;
        QString text, value, longMessage;
        int encoding, parts;
        bool cutShort;
        const char *described;
    } cases[] = {
        {"158 septets", text, "Al", "Concatenate", 0, 1, false, "GSM 7-bit, 1 part"},
        {"é is in the GSM alphabet: 160", text, "José", "Concatenate", 0, 1, false, "GSM 7-bit, 1 part"},
        {"Ł is not: 162 units in parts of 67", text, "Łukasz", "Concatenate", 2, 3, false, "UCS2 (for Ł), 3 parts"},
        {"the escapes of €[] count twice: 162", long156, "€[]", "Concatenate", 0, 2, false, "GSM 7-bit, 2 parts"},
        {"truncated", long156, "€[]", "Truncate", 0, 1, true, "GSM 7-bit, 1 part, cut short"},
    };
    for (const auto &c : cases) {
        const RunPlan plan = planRun(textMessage(c.text), {QStringLiteral("1")}, {named(c.value)}, c.longMessage);
        ASSERT_TRUE(plan.personal) << c.name;
        EXPECT_EQ(plan.messages[0].encoding, c.encoding) << c.name;
        EXPECT_EQ(plan.messages[0].parts, c.parts) << c.name;
        EXPECT_EQ(plan.totalParts, c.parts) << c.name;
        EXPECT_EQ(plan.messages[0].cutShort, c.cutShort) << c.name;
        EXPECT_EQ(sendingDescription(plan.messages[0]), c.described) << c.name;
        if (c.cutShort)
            EXPECT_TRUE(runSummaryText(plan, {}, 0).endsWith(
                "Cut short to one SMS, as long messages are truncated: 1 of 1 recipients: 1"));
    }
    // Without columns the text goes as typed: braces are plain text and a character outside
    // the alphabet stays in GSM (sent as "?").
    const RunPlan plain = planRun(textMessage(QStringLiteral("{Name} Ł {{")), {QStringLiteral("1"), QStringLiteral("2")},
                                  {{}, {}}, QStringLiteral("Truncate"));
    EXPECT_FALSE(plain.personal);
    EXPECT_EQ(plain.messages[1].text, QStringLiteral("{Name} Ł {{"));
    EXPECT_EQ(plain.messages[1].number, QStringLiteral("2"));
    EXPECT_EQ(plain.messages[1].encoding, 0);
    EXPECT_EQ(plain.totalParts, 2);
    EXPECT_TRUE(missingValuesText(plain).isEmpty());
}

TEST(RunPlan, MissingValuesAndUnknownColumnsAreReportedWithTheNumbersCapped)
{
    QStringList numbers;
    QList<RecipientFields> fields;
    for (int i = 0; i < 12; ++i) {
        numbers << QString::number(9812345600 + i);
        fields << named(i < 2 ? QStringLiteral("N%1").arg(i) : QString());
    }
    const RunPlan plan = planRun(textMessage(QStringLiteral("Hi {name} {Town}")), numbers, fields,
                                 QStringLiteral("Truncate"));
    EXPECT_EQ(plan.unknownColumns, QStringList{QStringLiteral("Town")});
    EXPECT_EQ(missingValuesText(plan).toStdString(),
              "Some placeholders of the message have no value:\r\n"
              "{Town}: the list has no column of that name\r\n"
              "{name}: no value for 10 of 12 recipients: 9812345602, 9812345603, 9812345604, 9812345605, "
              "9812345606, 9812345607, 9812345608, 9812345609, 9812345610, 9812345611\r\n\r\n"
              "Send with these placeholders left empty?");
    EXPECT_EQ(numbersListed(numbers).toStdString(),
              "9812345600, 9812345601, 9812345602, 9812345603, 9812345604, 9812345605, 9812345606, 9812345607, "
              "9812345608, 9812345609 and 2 more");
}

// --- the cost of a run ----------------------------------------------------------------

TEST(RunCost, MedianDefaultAndDelay)
{
    EXPECT_EQ(runspeed::secondsPerPart({}), 3.0);
    EXPECT_EQ(runspeed::secondsPerPart({5.0, 1.0, 2.0}), 2.0);
    EXPECT_EQ(runspeed::secondsPerPart({4.0, 1.0, 2.0, 9.0}), 3.0);
    // 10 parts at 2.5 s and 9 delays of 1.5 s between them.
    EXPECT_EQ(runspeed::estimatedSeconds(10, 2.5, 1500), 39);
    EXPECT_EQ(runspeed::estimatedSeconds(1, 2.5, 1500), 3);
    EXPECT_EQ(runspeed::estimatedSeconds(0, 2.5, 1500), 0);

    RunPlan plan;
    plan.messages.resize(40);
    plan.totalParts = 80;
    EXPECT_EQ(runSummaryText(plan, {2.0, 2.5, 3.0}, 2000).toStdString(),
              "Recipients: 40\r\nSMS parts in all: 80\r\n"
              "Estimated duration: 5m 58s (2.5 s per part, the median of the last 3 runs, and the Send Delay of "
              "2 s between parts)");
}

TEST(RunCost, TheSpeedFileKeepsTheLastTenRunsWithoutTheDelay)
{
    QTemporaryDir logs;
    ASSERT_TRUE(logs.isValid());
    EXPECT_TRUE(runspeed::readMeasuredSpeeds(logs.path()).isEmpty());
    const QDateTime when = QDateTime::fromString(QStringLiteral("2026-01-05T10:04:31+05:30"), Qt::ISODate);
    // 4 parts in 10.5 s with 1 s between parts: 7.5 s of work, 1.875 s a part.
    runspeed::recordRunSpeed(logs.path(), 10500, 4, 1000, when);
    QFile file(runspeed::speedFile(logs.path()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), "2026-01-05T10:04:31+05:30\t1.875\t4\n");
    file.close();

    // Nothing measured, nothing recorded; lines that do not read are dropped; ten are kept.
    runspeed::recordRunSpeed(logs.path(), 0, 4, 0, when);
    runspeed::recordRunSpeed(logs.path(), 1000, 0, 0, when);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("garbage\n2026-01-05T10:00:00Z\tfast\t3\n");
    file.close();
    for (int run = 1; run <= 10; ++run)
        runspeed::recordRunSpeed(logs.path(), run * 1000, 1, 0, when);
    const QList<double> kept = runspeed::readMeasuredSpeeds(logs.path());
    EXPECT_EQ(kept, (QList<double>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(runspeed::secondsPerPart(kept), 5.5);
}

} // namespace
