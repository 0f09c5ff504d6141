#include "common/error.h"
#include "connectionstring.h"
#include "dberrors.h"

#include <gtest/gtest.h>

namespace {

struct ParseCase
{
    const char *name;
    QString text;
    DbConnectionString::Driver driver;
    QString path;
};

void PrintTo(const ParseCase &c, std::ostream *os)
{
    *os << c.name;
}

class ConnectionStringParse : public testing::TestWithParam<ParseCase>
{
};

TEST_P(ConnectionStringParse, FindsDriverAndPath)
{
    const DbConnectionString cs = DbConnectionString::parse(GetParam().text);
    EXPECT_EQ(cs.driver, GetParam().driver);
    EXPECT_EQ(cs.path, GetParam().path);
}

using D = DbConnectionString::Driver;
INSTANTIATE_TEST_SUITE_P(
    AsTheImportBuildsThem, ConnectionStringParse,
    testing::Values(
        ParseCase{"Access", "DRIVER=MICROSOFT ACCESS DRIVER (*.MDB);DBQ=/data/phones.mdb;", D::Access,
                  "/data/phones.mdb"},
        ParseCase{"Excel", "DRIVER=MICROSOFT EXCEL DRIVER (*.XLS);DBQ=/data/phones.xls;", D::Excel,
                  "/data/phones.xls"},
        ParseCase{"SchemaWithBracesAndTrailingBlank",
                  "Driver={Microsoft Excel Driver (*.xls)};DBQ=/data/phones.xls; ", D::Excel, "/data/phones.xls"},
        ParseCase{"PathBlanksKeptAsTyped", "DRIVER=MICROSOFT EXCEL DRIVER (*.XLS);DBQ= /my data/p.xls ;", D::Excel,
                  " /my data/p.xls "},
        ParseCase{"KeysInAnyOrderAndCase", "dbq=/x.mdb;driver={microsoft access driver (*.mdb)}", D::Access,
                  "/x.mdb"},
        ParseCase{"WindowsPath", "DRIVER=MICROSOFT ACCESS DRIVER (*.MDB);DBQ=C:\\data\\phones.mdb;", D::Access,
                  "C:\\data\\phones.mdb"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ConnectionStringRefused, UnknownOrMissingDriverOrFile)
{
    for (const QString &text : {QStringLiteral("DRIVER=SQL Server;DBQ=/x.mdb;"), QStringLiteral("DBQ=/x.mdb;"),
                               QStringLiteral("DRIVER=MICROSOFT ACCESS DRIVER (*.MDB);"),
                               QStringLiteral("DRIVER=MICROSOFT ACCESS DRIVER (*.MDB);DBQ=  ;"),
                               QStringLiteral("Driver={Microsoft Excel Driver (*.xls);DBQ=/x.xls;"),
                               QStringLiteral("just some words"), QString()}) {
        try {
            DbConnectionString::parse(text);
            ADD_FAILURE() << "accepted: " << text.toStdString();
        } catch (const QuilloError &e) {
            EXPECT_EQ(e.number(), DbErrors::kBadConnectionString) << text.toStdString();
            EXPECT_FALSE(e.description().isEmpty());
            EXPECT_FALSE(e.source().isEmpty());
        }
    }
}

} // namespace
