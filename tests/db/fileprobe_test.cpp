// A file that crashes or exhausts libmdb or FreeXL must end in an open error that names
// it, with this test program still running to see it.
#include "dbtesthelpers.h"
#include "common/ansitext.h"
#include "db/dberrors.h"
#include "independentfiles.h"
#include "testfiles.h"
#include "zipwriter.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace DbTest;

namespace {

QuilloError openError(const QString &connectionString)
{
    DbConnection c;
    try {
        c.open(connectionString);
    } catch (const QuilloError &e) {
        EXPECT_EQ(c.state(), kDbStateClosed);
        return e;
    }
    ADD_FAILURE() << "opened and read " << connectionString.toStdString();
    return QuilloError(0, {});
}

// The Access files that crash libmdb or make it allocate until GLib aborts. The damaged
// workbooks are not here: FreeXL reads past its buffers on them without crashing as a
// rule, so whether it then refuses them depends on the memory it happens to read.
class DamagedFiles : public IndependentFilesParamTest<const char *>
{
};

TEST_P(DamagedFiles, RefusedNamingTheFileAndTheProgramLives)
{
    const QString path = independentFile(QStringLiteral("damaged/") + QLatin1String(GetParam()));
    const QuilloError e = openError(accessString(path));
    EXPECT_EQ(e.number(), DbErrors::kOpenFailed);
    EXPECT_EQ(e.description(), QStringLiteral("The file '%1' is damaged and could not be read safely.").arg(path));
    EXPECT_EQ(e.source(), DbErrors::kSourceAccess);
}

INSTANTIATE_TEST_SUITE_P(Probe, DamagedFiles,
                         testing::Values("mdb-libmdb-usagemap-null.mdb", "mdb-libmdb-kkd-zero-reclen.mdb",
                                         "mdb-libmdb-props-zero-reclen.mdb"));

// A file the reader refuses cleanly is refused with the reader's own error, passed back
// by the probe (past what the libraries print on the same output), so that the program
// never runs the reader's failing path itself.
TEST(FileProbe, TheReadersRefusalComesBackThroughTheProbe)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString ods = dir.filePath(QStringLiteral("no-content.ods"));
    const QString mdb = dir.filePath(QStringLiteral("junk.mdb"));
    // liborcus prints "failed to get stat on content.xml" to standard output.
    writeFileBytes(ods, ZipWriter::stored({{QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.spreadsheet"}}));
    writeFileBytes(mdb, QByteArray("\0\1\0\0Standard Jet DB\0", 20) + QByteArray(4076, '\x5A'));
    const struct { QString connection; QString description; QString source; } cases[] = {
        {excelString(ods), QStringLiteral("The workbook '%1' holds no worksheet.").arg(ods), DbErrors::kSourceWorkbook},
        {accessString(mdb), QStringLiteral("Unrecognized database format '%1'.").arg(mdb), DbErrors::kSourceAccess},
    };
    for (const auto &c : cases) {
        const QuilloError e = openError(c.connection);
        EXPECT_EQ(e.number(), DbErrors::kOpenFailed);
        EXPECT_TRUE(e.description().startsWith(c.description)) << e.description().toStdString();
        EXPECT_EQ(e.source(), c.source);
    }
}

// A refusal is kept for the reader that refused: the same workbook still opens as one.
TEST(FileProbe, ARefusalByOneReaderLeavesTheOtherFree)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("phones.xls"));
    ASSERT_TRUE(QFile::copy(TestFiles::contactsXls(), path));
    EXPECT_EQ(openError(accessString(path)).source(), DbErrors::kSourceAccess);
    DbConnection c;
    c.open(excelString(path));
    EXPECT_EQ(column0(c, QStringLiteral("SELECT Phone FROM [Sheet3$]")).size(), 3);
}

// Needs no shared file: the probe's test hook makes it abort as on a damaged file. The
// verdict is kept while the file is unchanged, and a changed file is probed again.
TEST(FileProbe, AFailedProbeRefusesTheFileUntilItChanges)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("probed.xls"));
    ASSERT_TRUE(QFile::copy(testData(QStringLiteral("regular.xls")), path));

    qputenv("QUILLO_PROBE_TEST_ABORT", "1");
    const QuilloError e = openError(excelString(path));
    qunsetenv("QUILLO_PROBE_TEST_ABORT");
    EXPECT_EQ(e.number(), DbErrors::kOpenFailed);
    EXPECT_EQ(e.description(), QStringLiteral("The file '%1' is damaged and could not be read safely.").arg(path));
    EXPECT_EQ(e.source(), DbErrors::kSourceExcel);
    EXPECT_EQ(openError(excelString(path)).description(), e.description());

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    file.close();
    DbConnection c;
    c.open(excelString(path));
    EXPECT_EQ(c.state(), kDbStateOpen);
}

} // namespace
