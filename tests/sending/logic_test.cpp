#include "common/error.h"
#include "sending/gsmcharcount.h"
#include "sending/messagefile.h"
#include "recipients/phonenumber.h"
#include "qstringprinter.h"
#include "recipients/recipientlist.h"
#include "sending/timeleft.h"

#include <gtest/gtest.h>

namespace {

TEST(PhoneNumber, GeneralNumericTestWithOptionalPlus)
{
    const std::pair<const char *, bool> cases[] = {
        {"9812345678", true}, {"+919812345678", true}, {" 9812345678 ", true}, {"-9812345678", true}, {"+-98", true},
        {"98123.5", true}, {"9,812,345,678", true}, {"9.8e9", true}, {"1E+5", true},
        // refused: stray letters, inner blanks, a lone or doubled sign, nothing at all
        {"98123x5678", false}, {"+91x", false}, {"+", false}, {"98123 45678", false}, {"+ 91 98", false}, {"", false},
        {"   ", false}, {"9812345678+", false}, {"0x1F", false}, {"1e", false}, {"98,", false}, {"98..1", false},
        // only blanks are trimmed: a pasted no-break space or line end would be sent
        {"9812345678\xC2\xA0", false}, {"\n+919812345678", false}, {"9812345679\t", false},
        {"\t+919812345678  ", false}};
    for (const auto &[text, valid] : cases)
        EXPECT_EQ(IsValidPhoneNumber(QString::fromUtf8(text), QLocale::c()), valid) << printable(QString::fromUtf8(text));
    // The decimal separator follows the locale.
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_TRUE(IsValidPhoneNumber(QStringLiteral("98,5"), german));
    EXPECT_TRUE(IsValidPhoneNumber(QStringLiteral("98.123.456"), german));
    EXPECT_FALSE(IsValidPhoneNumber(QStringLiteral("98,5,5"), german));
}

TEST(RecipientList, DuplicateTestAndKeysFollowEveryChange)
{
    RecipientList list;
    for (const char *n : {"9812345678", " 9812345678", "9812345678", "d", "e"})
        list.append(QLatin1String(n));
    EXPECT_TRUE(list.IsNumberInList(QStringLiteral(" 9812345678")));
    EXPECT_FALSE(list.IsNumberInList(QStringLiteral("9812345678 "))) << "no trimming";
    list.removeAt(0);
    EXPECT_TRUE(list.IsNumberInList(QStringLiteral("9812345678"))) << "one copy is still there";
    const quint64 keyOfD = list.entryKey(2);
    list.removeRange(1, 1);
    EXPECT_FALSE(list.IsNumberInList(QStringLiteral("9812345678")));
    EXPECT_EQ(list.entryKey(1), keyOfD);
    // Ranges are clipped to the list; single indices outside it remove nothing and read empty.
    list.removeRange(2, 100);
    list.removeRange(-3, 4);
    list.removeAt(5);
    list.removeAt(-1);
    EXPECT_EQ(list.entries(), QStringList{QStringLiteral("d")});
    EXPECT_EQ(list.entry(-1), QString());
    EXPECT_EQ(list.entryKey(1), 0u);
    list.clear();
    EXPECT_FALSE(list.IsNumberInList(QStringLiteral(" 9812345678")));
    EXPECT_EQ(list.entry(0), QString());
}

TEST(TimeLeft, EstimatesAndFormats)
{
    const struct
    {
        qint64 elapsedMs;
        qint16 done, total;
        const char *shown;
    } cases[] = {
        // 8 s per number before anything is measured, however long the list
        {0, 0, 10, "1m 20s"}, {999'000, 0, 5, "40s"}, {0, 0, 450, "1h 0m"}, {0, 0, 32767, "72h 48m"}, {0, 0, 0, "0s"},
        // measured: elapsed / done * left
        {90'000, 3, 5, "1m 0s"}, {90'000, 1, 2, "1m 30s"}, {150'000, 1, 2, "2m 30s"}, {7199'000, 1, 2, "1h 59m"},
        {3600'000, 1, 2, "1h 0m"}, {59'000, 1, 2, "59s"},
        // whole seconds elapsed, then halves to the even number
        {1'999, 1, 2, "1s"}, {5'000, 2, 3, "2s"}, {7'000, 2, 3, "4s"},
        // the last number: nothing left; a clock set back gives no negative time
        {120'000, 5, 5, "0s"}, {-60'000, 1, 2, "0s"}};
    const qint64 start = 5'000'000;
    for (const auto &c : cases)
        EXPECT_EQ(FormatTimeLeft(start, c.done, c.total, start + c.elapsedMs), QString::fromLatin1(c.shown))
            << c.elapsedMs << " ms, " << c.done << " of " << c.total;
}

TEST(GsmCharCount, ExtensionCharactersAndEuroCountTwice)
{
    // Outside the alphabet still counts one per code unit.
    const std::pair<const char16_t *, int> cases[] = {{u"a{}^\u20AC", 9}, {u"\f", 2},           {u"[~]|\\", 10},
                                                      {u"", 0},           {u"Hello world!", 12}, {u"\u00E9\u4E2D", 2},
                                                      {u"\U0001F600", 2}, {u"a\r\nb", 4}};
    for (const auto &[text, count] : cases)
        EXPECT_EQ(GsmCharCount(QString::fromUtf16(text), BuildGsmExtensionChars()), count) << printable(QString::fromUtf16(text));
}

TEST(MessageFile, OnlyFfFeMarksUtf16)
{
    EXPECT_EQ(decodeMessageFile(QByteArray("\xFF\xFE" "A\0B\0", 6)), QStringLiteral("AB"));
    // 0xFE 0xFF is no mark of ours: the bytes are Windows-1252 text.
    EXPECT_EQ(decodeMessageFile(QByteArray("\xFE\xFF" "AB", 4)), QString::fromUtf16(u"\u00FE\u00FFAB"));
    EXPECT_EQ(decodeMessageFile(QByteArray("\xFF", 1)), QString::fromUtf16(u"\u00FF"));
    EXPECT_EQ(decodeMessageFile(QByteArray()), QString());
    EXPECT_EQ(decodeMessageFile(QByteArray("\xFF\xFE", 2)), QString());
}

TEST(MessageFile, RefusesWhatWouldImportGarbled)
{
    const QByteArray refused[] = {
        QByteArray("\xFF\xFE" "A\0B", 5),             // odd byte count
        QByteArray("\xFF\xFE" "\x3D\xD8" "A\0", 6),   // high surrogate without its pair
        QByteArray("\xFF\xFE" "\x00\xDE", 4),         // low surrogate alone
        QByteArray("\xFE\xFF\0A\0B", 6),              // UTF-16 big-endian: NUL bytes as "ANSI"
        QByteArray("\x7F" "ELF\x02\x01\x01\0\0\0", 10) // a program
    };
    for (const QByteArray &bytes : refused)
        EXPECT_THROW(decodeMessageFile(bytes), QuilloError) << bytes.toHex().toStdString();
}

} // namespace
