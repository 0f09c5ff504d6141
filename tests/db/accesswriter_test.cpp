// The Access writer's files as the Access reader reads them: both text encodings, Nulls,
// the extreme Longs, a table over many pages and an empty one.
#include "accesswriter.h"
#include "dbtesthelpers.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace DbTest;
using AccessWriter::Column;
using AccessWriter::Format;
using AccessWriter::Table;

namespace {

struct FormatCase
{
    const char *name;
    Format format;
    QStringList texts;      // the Name column, written and read back
    QByteArray storedAs;    // how the first text is stored
    const char *fixture;    // a file Access wrote in this format
    QList<int> headerBytes; // offsets of the version, code page and sort order
};

void PrintTo(const FormatCase &c, std::ostream *out) { *out << c.name; }

const FormatCase kFormats[] = {
    {"Jet3", Format::Jet3, {"José Gomes", "€ Straße", "Asha Rao"}, "Jos\xE9 Gomes", "access/nwind-contacts.mdb",
     {0x14, 0x3A, 0x3B, 0x3C, 0x3D}},
    // Digits compress to one byte each; the Hindi text switches modes; a low byte of zero
    // (U+0100) would read as a switch, so that text stays uncompressed.
    {"Jet4", Format::Jet4, {"9812345678", "अनिता 9812345686", "Ādi 9812345678"}, "\xFF\xFE" "9812345678",
     "access/datetest-contacts.mdb", {0x14, 0x3C, 0x3D, 0x6E, 0x6F, 0x70, 0x71}},
};

// Rows of every length up to the 256 bytes a Jet 3 row takes without a jump table.
QString street(int row) { return QStringLiteral("Zeile %1").arg(row).leftJustified(row % 120, u'ä'); }
QString place(int row) { return QStringLiteral("Ort %1").arg(row).leftJustified(row * 31 % 121, u'ö'); }

QList<Table> tables(const FormatCase &c)
{
    Table contacts{QStringLiteral("Contacts"),
                   {{QStringLiteral("ID"), Column::Type::Long}, {QStringLiteral("Name")},
                    {QStringLiteral("Mobile"), Column::Type::Text, 20}},
                   {{2147483647, c.texts[0], QStringLiteral("9812345678")},
                    {QVariant(), c.texts[1], QVariant()},
                    {qint32(-2147483648LL), c.texts[2], QStringLiteral("+919876543210")}}};
    Table bulk{QStringLiteral("Umsätze"),
               {{QStringLiteral("N"), Column::Type::Long},
                {QStringLiteral("Straße"), Column::Type::Text, 255},
                {QStringLiteral("Ort"), Column::Type::Text, 255}},
               {}};
    for (int i = 0; i < 500; ++i)
        bulk.rows.append({i, street(i), place(i)});
    return {contacts, bulk, Table{QStringLiteral("Empty"), {{QStringLiteral("A"), Column::Type::Long}}, {}}};
}

class AccessWriterRoundTrip : public testing::TestWithParam<FormatCase>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_bytes = AccessWriter::write(GetParam().format, tables(GetParam()));
        ASSERT_TRUE(AccessWriter::writeFile(m_path, GetParam().format, tables(GetParam())));
        m_connection.open(accessString(m_path));
    }

    QTemporaryDir m_dir;
    QString m_path = m_dir.filePath(QStringLiteral("written.mdb"));
    QByteArray m_bytes;
    DbConnection m_connection;
};

TEST_P(AccessWriterRoundTrip, ReadsBackEveryValue)
{
    EXPECT_EQ(column0(m_connection, QStringLiteral("SELECT ID FROM Contacts")),
              QStringList({"2147483647", "<null>", "-2147483648"}));
    EXPECT_EQ(m_connection.execute(QStringLiteral("SELECT ID FROM Contacts"))->fields(0).value().typeId(),
              QMetaType::LongLong);
    EXPECT_EQ(column0(m_connection, QStringLiteral("SELECT Name FROM Contacts")), GetParam().texts);
    EXPECT_EQ(column0(m_connection, QStringLiteral("SELECT Mobile FROM Contacts")),
              QStringList({"9812345678", "<null>", "+919876543210"}));
    EXPECT_TRUE(m_bytes.contains(GetParam().storedAs));

    QStringList numbers, streets, places;
    for (int i = 0; i < 500; ++i) {
        numbers << QString::number(i);
        streets << street(i);
        places << place(i);
    }
    EXPECT_EQ(column0(m_connection, QStringLiteral("SELECT N FROM [Umsätze]")), numbers);
    EXPECT_EQ(column0(m_connection, QStringLiteral("SELECT [Straße] FROM [Umsätze]")), streets);
    EXPECT_EQ(column0(m_connection, QStringLiteral("SELECT Ort FROM [Umsätze]")), places);
    EXPECT_TRUE(column0(m_connection, QStringLiteral("SELECT A FROM Empty")).isEmpty());
}

// The header from 0x18 on is masked with one fixed RC4 key in every file, so equal fields
// show as equal masked bytes.
TEST_P(AccessWriterRoundTrip, HeaderFieldsMatchAFileAccessWrote)
{
    QFile real(independentFile(QString::fromLatin1(GetParam().fixture)));
    if (!real.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "no shared fixtures here";
    const QByteArray header = real.read(0x80);
    for (const int offset : GetParam().headerBytes)
        EXPECT_EQ(m_bytes.at(offset), header.at(offset)) << "offset " << offset;
}

INSTANTIATE_TEST_SUITE_P(Formats, AccessWriterRoundTrip, testing::ValuesIn(kFormats),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
