// Clean numbers through libphonenumber: each spelling of a number of India, the UK and the US
// becomes one international number, impossible ones are refused, and an import with a country
// takes one number once and names what it refused.
#include "recipients/importlist.h"
#include "common/ansitext.h"
#include "recipients/importtext.h"
#include "recipients/numbernormaliser.h"
#include "recipients/recipientlist.h"

#include "qstringprinter.h"
#include "scripteddialogs.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using Icon = Dialogs::Icon;

namespace {

TEST(NumberNormaliser, SpellingsOfOneNumberBecomeOneInternationalNumber)
{
    const std::tuple<const char *, const char *, const char *> spellings[] = { // country, typed, international
        // An Indian mobile as operators write it: bare, with the trunk 0, international.
        {"IN", "9812345678", "+919812345678"}, {"IN", "09812345678", "+919812345678"},
        {"IN", "+91 98123 45678", "+919812345678"}, {"IN", "0091 98123-45678", "+919812345678"},
        // A UK mobile in the range set aside for drama: possible, though never allocated.
        {"GB", "07700 900123", "+447700900123"}, {"GB", "+44 (0)7700 900123", "+447700900123"},
        {"US", "(201) 555-0123", "+12015550123"}, {"US", "1 201 555 0123", "+12015550123"},
        // Another country's number keeps its own code whatever the setting.
        {"US", "+91 98123 45678", "+919812345678"},
        // Refused: too short or too long for the plan, local only, not a number at all.
        {"IN", "12345", ""}, {"GB", "07700 900123 456789", ""}, {"US", "555-0123", ""}, {"IN", "Mobile", ""},
        {"GB", "+", ""},
    };
    for (const auto &[country, typed, international] : spellings)
        EXPECT_EQ(NumberNormaliser{QLatin1String(country)}.international(QString::fromUtf8(typed)),
                  QLatin1String(international))
            << country << " " << typed;
    EXPECT_EQ(NumberNormaliser().international(QStringLiteral("9812345678")), QString()) << "off: nothing is cleaned";
}

class CleanImport : public testing::Test
{
protected:
    void import(const QString &country, const QByteArray &content)
    {
        const QString path = dir.filePath(QStringLiteral("phones.txt"));
        writeFileBytes(path, content);
        RecipientListImport target(list, NumberNormaliser(country));
        importTextFile(dialogs, target, path, true);
        EXPECT_TRUE(dialogs.allConsumed());
    }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    RecipientList list;
};

const QString kDuplicates = QStringLiteral(
    "Multiple entries of same phone number were found in the text file and were filtered while importing.");

TEST_F(CleanImport, EachCountrysSpellingsImportAsOneNumberAndTheRefusedAreNamed)
{
    const struct { const char *country; QByteArray content; QStringList numbers; QString refused; } cases[] = {
        {"IN", "9812345678\r\n09812345678\r\n+91 98123 45678\r\n12345\r\n", {"+919812345678"},
         "1 entry is not a valid phone number for India (IN) and was not imported:\r\n12345"},
        {"GB", "07700 900123\r\n+44 7700 900123\r\nMobile\r\n07700 900124\r\n", {"+447700900123", "+447700900124"},
         "1 entry is not a valid phone number for United Kingdom (GB) and was not imported:\r\nMobile"},
        {"US", "(201) 555-0123\r\n+1 201-555-0123\r\n555-0123\r\n#1\r\n", {"+12015550123"},
         "2 entries are not valid phone numbers for United States (US) and were not imported:\r\n555-0123\r\n#1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.country);
        list.clear();
        dialogs.expectMessage(kDuplicates + QStringLiteral("\r\n\r\n") + c.refused, Icon::Information);
        import(QString::fromLatin1(c.country), c.content);
        EXPECT_EQ(list.entries(), c.numbers);
    }
}

TEST_F(CleanImport, WithoutACountryTheNumberTestAndExactDuplicatesHold)
{
    // Invalid entries are skipped silently, as ever: the box names none.
    dialogs.expectMessage(kDuplicates, Icon::Information);
    import({}, "9812345678\r\n09812345678\r\n+91 98123 45678\r\n12345\r\nMobile\r\n9812345678\r\n");
    EXPECT_EQ(list.entries(), (QStringList{"9812345678", "09812345678", "12345"}));
}

TEST_F(CleanImport, NumbersListedBeforeTheCountryWasSetAreFoundInAnySpelling)
{
    list.append(QStringLiteral("09812345678"));
    dialogs.expectMessage(kDuplicates, Icon::Information);
    import(QStringLiteral("IN"), "+91 98123 45678\r\n9812345679\r\n");
    EXPECT_EQ(list.entries(), (QStringList{"09812345678", "+919812345679"}));
}

TEST_F(CleanImport, NothingValidNamesAtMostTwentyRefusedEntries)
{
    QByteArray content;
    for (int i = 0; i < 25; ++i)
        content += QByteArray::number(100 + i) + "\r\n";
    dialogs.expectMessageStartingWith(
        QStringLiteral("Selected text file is empty or does not contain any valid phone numbers!\r\n\r\n"
                       "25 entries are not valid phone numbers for India (IN) and were not imported:\r\n100\r\n"),
        Icon::Exclamation);
    import(QStringLiteral("IN"), content);
    EXPECT_TRUE(list.entries().isEmpty());
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_TRUE(dialogs.shown().first().endsWith(QStringLiteral("\r\n119\r\n... and 5 more")))
        << dialogs.shown().first().toStdString();
}

} // namespace
