#include "common/error.h"
#include "sending/gsmcharcount.h"
#include "sending/messagefile.h"
#include "recipients/phonenumber.h"
#include "qstringprinter.h"
#include "recipients/recipientlist.h"
#include "sending/timeleft.h"

#include <gtest/gtest.h>

namespace {

// --- IsValidPhoneNumber ------------------------------------------------------------------

struct NumberCase
{
    const char *text;
    bool valid;
};

void PrintTo(const NumberCase &c, std::ostream *out) { *out << printable(QString::fromUtf8(c.text)); }

class PhoneNumberTest : public testing::TestWithParam<NumberCase>
{
};

TEST_P(PhoneNumberTest, GeneralNumericTestWithOptionalPlus)
{
    const NumberCase &c = GetParam();
    EXPECT_EQ(IsValidPhoneNumber(QString::fromUtf8(c.text), QLocale::c()), c.valid) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, PhoneNumberTest,
    testing::Values(NumberCase{"9812345678", true}, NumberCase{"+919812345678", true},
                    NumberCase{" 9812345678 ", true},
                    NumberCase{"-9812345678", true}, NumberCase{"+-98", true}, NumberCase{"98123.5", true},
                    NumberCase{"9,812,345,678", true}, NumberCase{"9.8e9", true}, NumberCase{"1E+5", true},
                    // refused: stray letters, inner blanks, a lone or doubled sign, nothing at all
                    NumberCase{"98123x5678", false}, NumberCase{"+91x", false}, NumberCase{"+", false},
                    NumberCase{"98123 45678", false}, NumberCase{"+ 91 98", false}, NumberCase{"", false},
                    NumberCase{"   ", false}, NumberCase{"9812345678+", false}, NumberCase{"0x1F", false},
                    NumberCase{"1e", false}, NumberCase{"98,", false}, NumberCase{"98..1", false},
                    // only blanks are trimmed: a pasted no-break space or line end would be sent
                    NumberCase{"9812345678\xC2\xA0", false}, NumberCase{"\n+919812345678", false},
                    NumberCase{"9812345679\t", false}, NumberCase{"\t+919812345678  ", false}));

TEST(PhoneNumber, DecimalSeparatorFollowsTheLocale)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_TRUE(IsValidPhoneNumber(QStringLiteral("98,5"), german));
    EXPECT_TRUE(IsValidPhoneNumber(QStringLiteral("98.123.456"), german));
    EXPECT_FALSE(IsValidPhoneNumber(QStringLiteral("98,5,5"), german));
}

// --- RecipientList -----------------------------------------------------------------------

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

// --- FormatTimeLeft ----------------------------------------------------------------------

struct TimeCase
{
    qint64 elapsedMs;
    qint16 done;
    qint16 total;
    const char *shown;
};

void PrintTo(const TimeCase &c, std::ostream *out)
{
    *out << c.elapsedMs << " ms, " << c.done << " of " << c.total;
}

class TimeLeftTest : public testing::TestWithParam<TimeCase>
{
};

TEST_P(TimeLeftTest, EstimatesAndFormats)
{
    const TimeCase &c = GetParam();
    const qint64 start = 5'000'000;
    EXPECT_EQ(FormatTimeLeft(start, c.done, c.total, start + c.elapsedMs), QString::fromLatin1(c.shown))
        << c.elapsedMs << " ms, " << c.done << " of " << c.total;
}

INSTANTIATE_TEST_SUITE_P(
    Table, TimeLeftTest,
    testing::Values(
        // 8 s per number before anything is measured, however long the list
        TimeCase{0, 0, 10, "1m 20s"}, TimeCase{999'000, 0, 5, "40s"}, TimeCase{0, 0, 450, "1h 0m"},
        TimeCase{0, 0, 32767, "72h 48m"}, TimeCase{0, 0, 0, "0s"},
        // measured: elapsed / done * left
        TimeCase{90'000, 3, 5, "1m 0s"}, TimeCase{90'000, 1, 2, "1m 30s"}, TimeCase{150'000, 1, 2, "2m 30s"},
        TimeCase{7199'000, 1, 2, "1h 59m"}, TimeCase{3600'000, 1, 2, "1h 0m"}, TimeCase{59'000, 1, 2, "59s"},
        // whole seconds elapsed, then halves to the even number
        TimeCase{1'999, 1, 2, "1s"}, TimeCase{5'000, 2, 3, "2s"}, TimeCase{7'000, 2, 3, "4s"},
        // the last number: nothing left
        TimeCase{120'000, 5, 5, "0s"},
        // a clock set back gives no negative time
        TimeCase{-60'000, 1, 2, "0s"}));

// --- GsmCharCount ------------------------------------------------------------------------

struct CountCase
{
    const char16_t *text;
    int count;
};

void PrintTo(const CountCase &c, std::ostream *out) { *out << printable(QString::fromUtf16(c.text)); }

class GsmCountTest : public testing::TestWithParam<CountCase>
{
};

TEST_P(GsmCountTest, ExtensionCharactersAndEuroCountTwice)
{
    const QString text = QString::fromUtf16(GetParam().text);
    EXPECT_EQ(GsmCharCount(text, BuildGsmExtensionChars()), GetParam().count) << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Table, GsmCountTest,
                         testing::Values(CountCase{u"a{}^\u20AC", 9}, CountCase{u"\f", 2},
                                         CountCase{u"[~]|\\", 10}, CountCase{u"", 0},
                                         CountCase{u"Hello world!", 12},
                                         // outside the alphabet still counts one per code unit
                                         CountCase{u"\u00E9\u4E2D", 2}, CountCase{u"\U0001F600", 2},
                                         CountCase{u"a\r\nb", 4}));

// --- Message files -----------------------------------------------------------------------

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
