#include "kestrel/gsmalphabet.h"
#include "kestrel/messagesplitter.h"

#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

using gsm::Coding;
using gsm::LongMode;

namespace {

int units(const gsm::MessagePart &part, Coding coding)
{
    return coding == Coding::Gsm7 ? int(part.userData.size()) : int(part.userData.size() / 2);
}

QString joined(const QList<gsm::MessagePart> &parts)
{
    QString text;
    for (const gsm::MessagePart &p : parts)
        text += p.text;
    return text;
}

TEST(MessageSplitter, PartSizes)
{
    const QString emoji = QString::fromUtf16(u"😀");
    const struct
    {
        const char *name;
        QString text;
        Coding coding;
        LongMode mode;
        QList<int> partUnits; // septets or UCS2 units of each part
    } cases[] = {
        {"fits one SMS: no header in any mode", QString(160, u'a'), Coding::Gsm7, LongMode::Concatenate, {160}},
        {"one septet over: 153 + 8", QString(161, u'a'), Coding::Gsm7, LongMode::Concatenate, {153, 8}},
        {"three full concatenated parts", QString(459, u'a'), Coding::Gsm7, LongMode::Concatenate, {153, 153, 153}},
        {"escape pair moves whole to the next part", QString(152, u'a') + u'€' + QString(10, u'b'),
         Coding::Gsm7, LongMode::Concatenate, {152, 12}},
        {"extension counts two toward 160", QString(159, u'a') + u'€', Coding::Gsm7, LongMode::Concatenate, {153, 8}},
        {"UCS2 fits at 70", QString(70, u'ж'), Coding::Ucs2, LongMode::Concatenate, {70}},
        {"UCS2 71: 67 + 4", QString(71, u'ж'), Coding::Ucs2, LongMode::Concatenate, {67, 4}},
        {"surrogate pair kept whole", QString(66, u'ж') + emoji + QString(5, u'ж'), Coding::Ucs2, LongMode::Concatenate, {66, 7}},
        {"truncate keeps 160", QString(200, u'a'), Coding::Gsm7, LongMode::Truncate, {160}},
        {"truncate drops a split escape pair", QString(159, u'a') + u'€', Coding::Gsm7, LongMode::Truncate, {159}},
        {"truncate UCS2 keeps 70", QString(100, u'ж'), Coding::Ucs2, LongMode::Truncate, {70}},
        {"truncate drops a split surrogate pair", QString(69, u'ж') + emoji, Coding::Ucs2, LongMode::Truncate, {69}},
        {"split: separate SMS of 160", QString(330, u'a'), Coding::Gsm7, LongMode::Split, {160, 160, 10}},
        {"split UCS2: separate SMS of 70", QString(141, u'ж'), Coding::Ucs2, LongMode::Split, {70, 70, 1}},
    };
    for (const auto &c : cases) {
        const QList<gsm::MessagePart> parts = gsm::splitMessage(c.text, c.coding, c.mode, 7);
        QList<int> sizes;
        for (const gsm::MessagePart &p : parts)
            sizes.append(units(p, c.coding));
        EXPECT_EQ(sizes, c.partUnits) << c.name;
        if (c.mode != LongMode::Truncate)
            EXPECT_EQ(joined(parts), c.text) << c.name;
    }
}

TEST(MessageSplitter, ConcatenationHeaderNumbersTheParts)
{
    const QList<gsm::MessagePart> parts = gsm::splitMessage(QString(400, u'x'), Coding::Gsm7, LongMode::Concatenate, 0x1A5);
    ASSERT_EQ(parts.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(parts[i].header.toHex(), QByteArray("0003a503") + QByteArray::number(i + 1).rightJustified(2, '0'));
    // Split and truncated parts are plain SMS.
    for (const gsm::MessagePart &p : gsm::splitMessage(QString(400, u'x'), Coding::Gsm7, LongMode::Split, 1))
        EXPECT_TRUE(p.header.isEmpty());
}

// Every word arrives whole: rejoining the parts at spaces gives the text back. Around nine
// parts the prefix "(10/10) " is longer than "(9/9) ", which can add a part.
TEST(MessageSplitter, FormattedBreaksAtWordsAndNumbersParts)
{
    // Words of 13 letters fill a part with the prefix "(10/n) " to the last character.
    for (int length = 300; length <= 1700; length += 7) {
        const int word = length % 2 ? 8 : 13;
        const QString text = QString(length, u'a').replace(QRegularExpression(QStringLiteral("a{%1}").arg(word + 1)),
                                                           QString(word, u'a') + u' ');
        const QList<gsm::MessagePart> parts = gsm::splitMessage(text, Coding::Gsm7, LongMode::Formatted, 0);
        ASSERT_GT(parts.size(), 1) << length;
        QStringList rebuilt;
        for (int i = 0; i < parts.size(); ++i) {
            const QString prefix = QStringLiteral("(%1/%2) ").arg(i + 1).arg(parts.size());
            EXPECT_TRUE(parts[i].text.startsWith(prefix)) << length << parts[i].text.toStdString();
            EXPECT_LE(parts[i].userData.size(), 160) << length;
            EXPECT_FALSE(parts[i].text.endsWith(u' ')) << length;
            rebuilt << parts[i].text.mid(prefix.size());
        }
        EXPECT_EQ(rebuilt.join(u' '), text.trimmed()) << length;
    }
}

TEST(MessageSplitter, FormattedCutsAWordLongerThanAPartAndLeavesShortTextAlone)
{
    const QList<gsm::MessagePart> parts = gsm::splitMessage(QString(300, u'z'), Coding::Gsm7, LongMode::Formatted, 0);
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(parts[0].userData.size(), 160);
    EXPECT_EQ(parts[0].text.count(u'z') + parts[1].text.count(u'z'), 300);

    const auto one = gsm::splitMessage(QStringLiteral("Hello there"), Coding::Gsm7, LongMode::Formatted, 0);
    ASSERT_EQ(one.size(), 1);
    EXPECT_EQ(one[0].text, QStringLiteral("Hello there"));
}

} // namespace
