#include "damagedaccessfiles.h"
#include "common/ansitext.h"
#include "dbtesthelpers.h"
#include "db/dberrors.h"
#include "testfiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

using namespace DbTest;

namespace {

QByteArray digest(const QString &path)
{
    return QCryptographicHash::hash(readFileBytes(path), QCryptographicHash::Sha256);
}

// Opens the file with a driver and reads everything it offers. Either that works or a
// QuilloError with a number and a description comes out; anything else (a crash, a hang,
// another exception) fails the test.
void readEverything(const QString &connectionString, const QString &label)
{
    SCOPED_TRACE(label.toStdString());
    const auto check = [](const QuilloError &e) {
        EXPECT_NE(e.number(), 0);
        EXPECT_FALSE(e.description().isEmpty());
    };
    try {
        DbConnection c;
        c.open(connectionString);
        for (const QString &name : schemaNames(*c.openSchema(DbSchema::Tables), QStringLiteral("TABLE_NAME"))) {
            const QStringList cols = schemaNames(*c.openSchema(DbSchema::Columns, {QString(), QString(), name, QString()}),
                                                 QStringLiteral("COLUMN_NAME"));
            try {
                if (!cols.isEmpty()) {
                    column0(c, QStringLiteral("SELECT DISTINCT [%1] FROM [%2] ORDER BY [%1]").arg(cols.first(), name));
                    column0(c, QStringLiteral("SELECT * FROM [%1]").arg(name));
                }
            } catch (const QuilloError &e) {
                check(e);
            }
        }
    } catch (const QuilloError &e) {
        check(e);
        EXPECT_FALSE(e.source().isEmpty());
    }
}

TEST(BadFiles, EveryDamagedFileGivesRowsOrAnError)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    writeDamagedAccessFiles(tmp.path(), testData(QStringLiteral("regular.xls")));
    QStringList paths;
    for (const QDir &dir : {QDir(testData(QStringLiteral("corrupt"))), QDir(tmp.path())})
        for (const QString &name : dir.entryList(QDir::Files))
            paths << dir.filePath(name);
    paths << testData(QStringLiteral("no-sheets.xls"));
    ASSERT_GE(paths.size(), 25);
    for (const QString &path : paths) {
        const QByteArray before = digest(path);
        readEverything(excelString(path), QStringLiteral("Excel driver: ") + path);
        readEverything(accessString(path), QStringLiteral("Access driver: ") + path);
        EXPECT_EQ(digest(path), before) << path.toStdString();
    }
}

TEST(BadFiles, WorkbookWithNoSheetsAndWrongFormatsAreClearErrors)
{
    for (const QString &cs : {excelString(testData(QStringLiteral("no-sheets.xls"))),
                              excelString(TestFiles::dateTestMdb()), accessString(TestFiles::contactsXls()),
                              excelString(testData(QStringLiteral("corrupt/text.xls"))),
                              excelString(QDir::tempPath())}) {
        DbConnection c;
        expectError(DbErrors::kOpenFailed, [&] { c.open(cs); }, cs);
        EXPECT_EQ(c.state(), kDbStateClosed);
    }
}

// Refused at open naming the file and why: inputs the spreadsheet fuzzer (bench/fuzz_sheets)
// kept, on which liborcus exhausts the memory limit, so the probe refuses them and the program
// never reads them itself; and a workbook named .xlsx, .xlsm or .ods that is no zip archive.
TEST(BadFiles, RefusedWorkbooksNameTheFileAndWhy)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    QList<std::pair<QString, QLatin1String>> cases;
    const QDir fuzz(testData(QStringLiteral("fuzz")));
    for (const QString &name : fuzz.entryList(QDir::Files))
        cases.append({fuzz.filePath(name), QLatin1String("damaged")});
    ASSERT_FALSE(cases.isEmpty());
    const std::pair<const char *, QByteArray> notZips[] = {
        {"text.xlsx", "Name,Mobile\r\nAsha,9812345678\r\n"},
        {"empty.ods", ""},
        {"html.xlsm", "<html><body>Mobile</body></html>"},
    };
    for (const auto &[name, bytes] : notZips) {
        cases.append({tmp.filePath(QString::fromLatin1(name)), QLatin1String("not a zip archive")});
        writeFileBytes(cases.last().first, bytes);
    }
    for (const auto &[path, why] : cases) {
        try {
            DbConnection().open(excelString(path));
            ADD_FAILURE() << "opened " << path.toStdString();
        } catch (const QuilloError &e) {
            EXPECT_EQ(e.number(), DbErrors::kOpenFailed) << path.toStdString();
            EXPECT_TRUE(e.description().contains(path) && e.description().contains(why))
                << e.description().toStdString();
        }
    }
}

// Damaged copies of the written files: truncated at page (or sector) boundaries and inside
// them, and with a run of 1 to 16 bytes overwritten somewhere in the file.
TEST(BadFiles, DamagedCopiesGiveRowsOrAnError)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    QRandomGenerator rng(61);
    const struct
    {
        QString source;
        qsizetype page;
        QString (*connectionString)(const QString &);
    } sources[] = {{TestFiles::dateTestMdb(), 4096, accessString},
                   {TestFiles::contactsMdb(), 2048, accessString},
                   {TestFiles::contactsXls(), 512, excelString},
                   {TestFiles::contacts(TestFiles::SheetKind::Xlsx), 512, excelString},
                   {TestFiles::contacts(TestFiles::SheetKind::Ods), 512, excelString},
                   {TestFiles::contacts(TestFiles::SheetKind::Csv), 64, excelString},
                   {TestFiles::excel95Xls(), 512, excelString},
                   {testData(QStringLiteral("ministream.xls")), 64, excelString}};
    for (const auto &s : sources) {
        const QByteArray good = readFileBytes(s.source);
        ASSERT_FALSE(good.isEmpty()) << s.source.toStdString();
        QList<QByteArray> variants;
        for (qsizetype length : {qsizetype(100), s.page, s.page * 2 + 17, s.page * 3, good.size() / 2,
                                 good.size() - s.page, good.size() - 1})
            variants << good.left(length);
        for (int i = 0; i < 48; ++i) {
            QByteArray bad = good;
            const qsizetype at = rng.bounded(int(good.size()));
            for (qsizetype k = at, end = at + 1 + rng.bounded(16); k < end && k < bad.size(); ++k)
                bad[k] = char(rng.bounded(256));
            variants << bad;
        }
        for (int i = 0; i < variants.size(); ++i) {
            const QString path = tmp.filePath(QStringLiteral("%1-%2").arg(i).arg(QFileInfo(s.source).fileName()));
            writeFileBytes(path, variants[i]);
            readEverything(s.connectionString(path), QStringLiteral("%1 variant %2").arg(s.source).arg(i));
        }
    }
}

// Listing and importing leave the file byte for byte as it was, and hold no lock that
// would keep another program from it.
TEST(SourceSafety, FilesUnchangedAndUnlockedWhileOpen)
{
    for (const QString &cs : {excelString(TestFiles::contactsXls()), accessString(TestFiles::contactsMdb())}) {
        const QString path = cs.section(QStringLiteral("DBQ="), 1).chopped(1);
        const QByteArray before = digest(path);
        DbConnection c;
        c.open(cs);
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0) << path.toStdString();
        ::close(fd);
        readEverything(cs, path);
        c.close();
        EXPECT_EQ(digest(path), before) << path.toStdString();
    }
}

// Statement texts that would write, attach a file or run a second statement are refused,
// and no file appears or changes.
TEST(SourceSafety, StatementsCannotWriteAnything)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString workbook = tmp.filePath(QStringLiteral("phones.xls"));
    ASSERT_TRUE(QFile::copy(TestFiles::contactsXls(), workbook));
    const QByteArray before = digest(workbook);
    const QString target = tmp.filePath(QStringLiteral("written.db"));

    DbConnection c;
    c.open(excelString(workbook));
    for (const char *statement :
         {"DELETE FROM [Contacts$]", "UPDATE [Contacts$] SET Mobile = '1'", "INSERT INTO [Contacts$] (Name) VALUES ('x')",
          "DROP TABLE [Contacts$]", "CREATE TABLE t(x)", "ATTACH DATABASE '%1' AS w", "VACUUM INTO '%1'",
          "PRAGMA writable_schema = 1", "SELECT Mobile FROM [Contacts$]; DROP TABLE [Contacts$]",
          "SELECT Mobile FROM [Contacts] WHERE Name like 'x'; ATTACH '%1' AS w; --%'"}) {
        const QString text = QString::fromLatin1(statement).replace(QStringLiteral("%1"), target);
        expectError(DbErrors::kStatementFailed, [&] { c.execute(text); }, text);
    }
    EXPECT_EQ(column0(c, QStringLiteral("SELECT Mobile FROM [Contacts$]")).size(), 11);
    c.close();
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_EQ(digest(workbook), before);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), QStringList({"phones.xls"}));
}

} // namespace
