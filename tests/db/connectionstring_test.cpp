#include "db/connectionstring.h"
#include "dbtesthelpers.h"
#include "db/dberrors.h"

#include <gtest/gtest.h>

using namespace DbTest;

namespace {

using D = DbConnectionString::Driver;

// The strings as the import and the worksheet listing build them, and variants people type.
TEST(ConnectionStringParse, FindsDriverAndPath)
{
    const struct { const char *text; D driver; const char *path; } cases[] = {
        {"DRIVER=MICROSOFT ACCESS DRIVER (*.MDB);DBQ=/data/phones.mdb;", D::Access, "/data/phones.mdb"},
        {"DRIVER=MICROSOFT EXCEL DRIVER (*.XLS);DBQ=/data/phones.xls;", D::Excel, "/data/phones.xls"},
        {"Driver={Microsoft Excel Driver (*.xls)};DBQ=/data/phones.xls; ", D::Excel, "/data/phones.xls"},
        {"DRIVER=MICROSOFT EXCEL DRIVER (*.XLS);DBQ= /my data/p.xls ;", D::Excel, " /my data/p.xls "},
        {"dbq=/x.mdb;driver={microsoft access driver (*.mdb)}", D::Access, "/x.mdb"},
        {"DRIVER=MICROSOFT ACCESS DRIVER (*.MDB);DBQ=C:\\data\\phones.mdb;", D::Access, "C:\\data\\phones.mdb"},
        {"Driver={Microsoft Access Driver (*.mdb, *.accdb)};DBQ=/p.accdb", D::Access, "/p.accdb"},
        {"Driver={Microsoft Excel Driver (*.xls, *.xlsx, *.xlsm, *.xlsb)};DBQ=/p.ods", D::Excel, "/p.ods"},
    };
    for (const auto &c : cases) {
        const DbConnectionString cs = DbConnectionString::parse(QLatin1String(c.text));
        EXPECT_EQ(cs.driver, c.driver) << c.text;
        EXPECT_EQ(cs.path, QLatin1String(c.path)) << c.text;
    }
}

TEST(ConnectionStringRefused, UnknownOrMissingDriverOrFile)
{
    for (const QString &text : {QStringLiteral("DRIVER=SQL Server;DBQ=/x.mdb;"), QStringLiteral("DBQ=/x.mdb;"),
                               QStringLiteral("DRIVER=MICROSOFT ACCESS DRIVER (*.MDB);"),
                               QStringLiteral("DRIVER=MICROSOFT ACCESS DRIVER (*.MDB);DBQ=  ;"),
                               QStringLiteral("Driver={Microsoft Excel Driver (*.xls);DBQ=/x.xls;"),
                               QStringLiteral("just some words"), QString()})
        expectError(DbErrors::kBadConnectionString, [&] { DbConnectionString::parse(text); }, text);
}

} // namespace
