#include "damagedaccessfiles.h"
#include "dbtesthelpers.h"
#include "dberrors.h"
#include "testfiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <fcntl.h>
#include <unistd.h>

using namespace DbTest;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray digest(const QString &path)
{
    return QCryptographicHash::hash(readAll(path), QCryptographicHash::Sha256);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Opens the file with a driver and reads everything it offers. Either that works or a
// QuilloError with a number, a description and a source comes out; anything else (a
// crash, a hang, another exception) fails the test.
void readEverything(const QString &connectionString, const QString &label)
{
    SCOPED_TRACE(label.toStdString());
    try {
        DbConnection c;
        c.open(connectionString);
        auto tables = c.openSchema(DbSchema::Tables);
        const QStringList names = schemaNames(*tables, QStringLiteral("TABLE_NAME"));
        for (const QString &name : names) {
            auto columns = c.openSchema(DbSchema::Columns, {QString(), QString(), name, QString()});
            const QStringList cols = schemaNames(*columns, QStringLiteral("COLUMN_NAME"));
            if (cols.isEmpty())
                continue;
            try {
                column0(c, QStringLiteral("SELECT DISTINCT [%1] FROM [%2] ORDER BY [%1]").arg(cols.first(), name));
                column0(c, QStringLiteral("SELECT * FROM [%1]").arg(name));
            } catch (const QuilloError &e) {
                EXPECT_NE(e.number(), 0);
                EXPECT_FALSE(e.description().isEmpty());
            }
        }
    } catch (const QuilloError &e) {
        EXPECT_NE(e.number(), 0);
        EXPECT_FALSE(e.description().isEmpty());
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

// Damage made here from copies of the written databases: truncations at page boundaries
// and inside pages, and bytes flipped across the file.
TEST(BadFiles, DamagedAccessDatabasesGiveRowsOrAnError)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    QRandomGenerator rng(61);
    for (const QString &source : {TestFiles::dateTestMdb(), TestFiles::contactsMdb()}) {
        const QByteArray good = readAll(source);
        ASSERT_FALSE(good.isEmpty()) << source.toStdString();
        const int page = good.at(0x14) == 0 ? 2048 : 4096; // Jet 3 or Jet 4
        QList<QByteArray> variants;
        for (qsizetype length : {qsizetype(100), qsizetype(page), qsizetype(page * 2 + 17), qsizetype(page * 3),
                                 good.size() / 2, good.size() - page, good.size() - 1})
            variants << good.left(length);
        for (int i = 0; i < 32; ++i) {
            QByteArray flipped = good;
            const qsizetype at = rng.bounded(int(good.size()));
            for (int k = 0; k < 16 && at + k < flipped.size(); ++k)
                flipped[at + k] = char(rng.bounded(256));
            variants << flipped;
        }
        for (int i = 0; i < variants.size(); ++i) {
            const QString path = tmp.filePath(QStringLiteral("damaged-%1.mdb").arg(i));
            writeFile(path, variants[i]);
            readEverything(accessString(path), QStringLiteral("%1 variant %2").arg(source).arg(i));
        }
    }
}

TEST(BadFiles, DamagedWorkbooksGiveRowsOrAnError)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    QRandomGenerator rng(7);
    for (const QString &source :
         {TestFiles::contactsXls(), TestFiles::excel95Xls(), testData(QStringLiteral("ministream.xls"))}) {
        const QByteArray good = readAll(source);
        ASSERT_FALSE(good.isEmpty()) << source.toStdString();
        for (int i = 0; i < 60; ++i) {
            QByteArray bad = good;
            const int flips = 1 + int(rng.bounded(4));
            for (int k = 0; k < flips; ++k)
                bad[qsizetype(rng.bounded(int(bad.size())))] = char(rng.bounded(256));
            if (i % 5 == 0)
                bad.truncate(qsizetype(rng.bounded(int(bad.size()))));
            const QString path = tmp.filePath(QStringLiteral("damaged-%1.xls").arg(i));
            writeFile(path, bad);
            readEverything(excelString(path), QStringLiteral("%1 variant %2").arg(source).arg(i));
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
    for (const QString &statement :
         {QStringLiteral("DELETE FROM [Contacts$]"),
          QStringLiteral("UPDATE [Contacts$] SET Mobile = '1'"),
          QStringLiteral("INSERT INTO [Contacts$] (Name) VALUES ('x')"),
          QStringLiteral("DROP TABLE [Contacts$]"),
          QStringLiteral("CREATE TABLE t(x)"),
          QStringLiteral("ATTACH DATABASE '%1' AS w").arg(target),
          QStringLiteral("VACUUM INTO '%1'").arg(target),
          QStringLiteral("PRAGMA writable_schema = 1"),
          QStringLiteral("SELECT Mobile FROM [Contacts$]; DROP TABLE [Contacts$]"),
          QStringLiteral("SELECT Mobile FROM [Contacts] WHERE Name like 'x'; ATTACH '%1' AS w; --%'").arg(target)}) {
        expectError(DbErrors::kStatementFailed, [&] { c.execute(statement); }, statement);
    }
    EXPECT_EQ(column0(c, QStringLiteral("SELECT Mobile FROM [Contacts$]")).size(), 11);
    c.close();
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_EQ(digest(workbook), before);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), QStringList({"phones.xls"}));
}

} // namespace
