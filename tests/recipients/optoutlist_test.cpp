// The opt-out file: what counts as a number, what is kept as written, how numbers compare
// with and without a country, and a file that cannot be read or written.
#include "recipients/optoutlist.h"
#include "common/ansitext.h"

#include "common/error.h"
#include "qstringprinter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class OptOutFile : public testing::Test
{
protected:
    QString path() const { return dir.filePath(OptOutList::fileName()); }
    void write(const QByteArray &bytes) const { writeFileBytes(path(), bytes); }
    QByteArray bytes() const { return QFile::exists(path()) ? readFileBytes(path()) : QByteArray("<missing>"); }
    OptOutList loaded(const QByteArray &content, const QString &country = {}) const
    {
        write(content);
        OptOutList list(path(), NumberNormaliser(country));
        list.load();
        return list;
    }

    QTemporaryDir dir;
};

TEST_F(OptOutFile, LinesThatAreNumbersCountAndTheOthersAreNamedOnce)
{
    const struct { const char *name; QByteArray content; QStringList numbers; QList<int> badLines; } cases[] = {
        {"CommentsBlanksAndBothLineEnds", "# stop list\r\n\r\n9812345601\n  +91 98123 45602  # asked 5 Jan\r\n",
         {"9812345601", "+91 98123 45602"}, {}},
        {"BracketsDotsAndDashes", "(201) 555-0123\r\n020.7946.0958\r\n", {"(201) 555-0123", "020.7946.0958"}, {}},
        {"ByteOrderMarkFirst", "\xEF\xBB\xBF" "9812345601\r\n", {"9812345601"}, {}},
        {"Garbage", "9812345601\r\ncall me\r\n98123x45602\r\n++919812345603\r\n+\r\n9812345604\r\n",
         {"9812345601", "9812345604"}, {2, 3, 4, 5}},
        // Bytes that are no UTF-8 read as Windows-1252 text, which is then no number.
        {"NotUtf8", "9812345601\r\n\xff\xfe\r\n", {"9812345601"}, {2}},
        {"LastLineWithoutItsEnd", "9812345601\r\n9812345602", {"9812345601", "9812345602"}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const OptOutList list = loaded(c.content);
        EXPECT_EQ(list.numbers(), c.numbers);
        EXPECT_EQ(list.badLines(), c.badLines);
        EXPECT_EQ(list.badLinesWarning().isEmpty(), c.badLines.isEmpty());
    }
}

TEST_F(OptOutFile, TheWarningNamesTheFileAndAtMostTenLines)
{
    EXPECT_EQ(loaded("9812345601\r\nAsha\r\n").badLinesWarning(),
              QStringLiteral("The opt-out list %1 has lines that are not phone numbers; they are left out:\r\nline 2")
                  .arg(QDir::toNativeSeparators(path())));
    QByteArray garbage;
    for (int i = 0; i < 13; ++i)
        garbage += "x\r\n";
    EXPECT_TRUE(loaded(garbage).badLinesWarning().endsWith(QStringLiteral("lines 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 and 3 more")));
}

TEST_F(OptOutFile, NumbersCompareByDigitsOrWithACountryByTheirInternationalForm)
{
    const struct { const char *country, *listed, *asked; bool contained; } cases[] = {
        {"", "98123 45601", "9812345601", true},
        {"", "+91 98123 45601", "919812345601", true},
        {"", "09812345601", "9812345601", false}, // without a country a trunk 0 is a digit like any other
        {"IN", "09812345601", "+919812345601", true},
        {"IN", "+91 98123 45601", "9812345601", true},
        {"GB", "07700 900123", "+44 7700 900123", true},
        {"US", "(201) 555-0123", "+12015550123", true},
        {"US", "(201) 555-0123", "+12015550124", false},
        {"IN", "12345", "12345", true}, // impossible numbers still compare by digits
        {"XX", "+91 (98123) 45601", "919812345601", true}, // an unknown country is none
        {"", "Asha", "Asha", false}, // a line that is no number matches nothing
    };
    for (const auto &c : cases) {
        const OptOutList list = loaded(QByteArray(c.listed) + "\r\n", QLatin1String(c.country));
        EXPECT_EQ(list.contains(QLatin1String(c.asked)), c.contained) << c.country << ": " << c.listed << " / " << c.asked;
    }
    EXPECT_FALSE(loaded("").contains(QStringLiteral("9812345601")));
}

TEST_F(OptOutFile, AddAndRemoveKeepEveryOtherLineAsWritten)
{
    OptOutList list = loaded("# stop list\r\n09812345601\r\nAsha\r\n+91 98123 45601 # again\r\n", QStringLiteral("IN"));
    EXPECT_EQ(list.add(QStringLiteral("9812345602")), OptOutList::Added::Added);
    EXPECT_EQ(list.add(QStringLiteral("+91 98123 45602")), OptOutList::Added::AlreadyListed);
    EXPECT_EQ(list.add(QStringLiteral("12345")), OptOutList::Added::NotANumber) << "impossible in India";
    EXPECT_EQ(list.add(QStringLiteral("98123 # 45603")), OptOutList::Added::NotANumber);
    EXPECT_EQ(list.add(QStringLiteral("Asha")), OptOutList::Added::NotANumber);
    EXPECT_EQ(list.remove(QStringLiteral("9812345601")), 2) << "both spellings go";
    EXPECT_EQ(list.remove(QStringLiteral("9812345601")), 0);
    list.save();
    EXPECT_EQ(bytes(), QByteArray("# stop list\r\nAsha\r\n+919812345602\r\n"));

    OptOutList plain(path());
    plain.load();
    EXPECT_EQ(plain.add(QStringLiteral(" 98123 45603 ")), OptOutList::Added::Added) << "kept as typed, trimmed";
    EXPECT_EQ(plain.numbers().last(), QStringLiteral("98123 45603"));
}

TEST_F(OptOutFile, AMissingFileIsEmptyAndFailuresNameTheFile)
{
    OptOutList list(path());
    list.load();
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(list.add(QStringLiteral("9812345601")), OptOutList::Added::Added);
    list.save();
    EXPECT_EQ(bytes(), QByteArray("9812345601\r\n"));

    const QString unreachable = dir.filePath(QStringLiteral("no-folder/optout.txt"));
    OptOutList elsewhere(unreachable);
    elsewhere.add(QStringLiteral("9812345601"));
    try {
        elsewhere.save();
        ADD_FAILURE() << "saved into a missing folder";
    } catch (const QuilloError &error) {
        EXPECT_TRUE(error.description().startsWith(QStringLiteral("Cannot write the opt-out list ")
                                                   + QDir::toNativeSeparators(unreachable)))
            << error.description().toStdString();
    }
}

} // namespace
