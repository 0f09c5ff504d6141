// Import speed of the database access layer, measured the way the import reads rows:
// open the connection, run the statement, take field 0 of every row as trimmed text.
//
//   bench_imports_db            prints one line per case: time, rows, peak memory
//
// Cases:
//  - an Excel worksheet of 65,535 rows (numbers stored as numbers), without and with a
//    filter (target: under 2 s);
//  - a 100,000-row table with a filter and DISTINCT (target: under 3 s): once generated in
//    process and streamed row by row through the same engine and record sets, once as a
//    written Access database read through libmdb;
//  - the spreadsheets beside .xls, with the number column and a filter: a 100,000-row
//    .xlsx (target: under 2 s), a 1,000,000-row .csv (under 3 s), a 100,000-row .ods
//    (under 3 s), timed from open (the probe's read included) to the last row; with
//    LibreOffice's headless conversion of the same file beside it where soffice exists.

#include "accesswriter.h"
#include "common/error.h"
#include "db/dbconnection.h"
#include "db/dbsource.h"
#include "generatedtable.h"
#include "sheetwriter.h"
#include "xlswriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <stdexcept>

namespace {

long peakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

long currentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// Opens, executes and reads as the import does; returns the rows read.
qint64 importRows(DbConnection &c, const QString &statement)
{
    qint64 rows = 0;
    auto rs = c.execute(statement);
    while (!rs->eof()) {
        const QVariant v = rs->fields(0).value();
        if (!v.isNull() && !v.toString().trimmed().isEmpty())
            ++rows;
        rs->moveNext();
    }
    rs->close();
    return rows;
}

// Starts a new peak: the kernel sets the high-water mark back to the current size.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// LibreOffice's headless conversion of the same file to .csv, for comparison.
void reportLibreOffice(const QString &file, const QString &outDir)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        return;
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(soffice, {QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("csv"),
                      QStringLiteral("--outdir"), outDir, file});
    p.waitForFinished(300000);
    std::printf("    LibreOffice headless conversion of the same file: %8.1f ms (exit %d)\n", t.nsecsElapsed() / 1e6,
                p.exitCode());
}

void report(const char *name, double ms, qint64 rows, double targetMs, long rssBefore)
{
    std::printf("%-58s %8.1f ms %8lld rows  peak %6ld KiB (+%ld KiB)  %s\n", name, ms, static_cast<long long>(rows),
                peakKiB(), peakKiB() - rssBefore,
                targetMs <= 0 ? "" : (ms < targetMs ? "within target" : "OVER TARGET"));
}

} // namespace

// --read FILE NAME TARGET: one spreadsheet case, run by main in a process of its own.
int readOne(const QStringList &args)
{
    try {
        resetPeak();
        const long before = currentKiB();
        QElapsedTimer t;
        t.start();
        DbConnection connection;
        connection.open(QStringLiteral("DRIVER=MICROSOFT EXCEL DRIVER (*.XLS);DBQ=") + args.at(2) + u';');
        const qint64 rows = importRows(connection, QStringLiteral("SELECT Mobile FROM [Numbers$] WHERE City = 'pune'"));
        connection.close();
        report(qPrintable(args.at(3)), t.nsecsElapsed() / 1e6, rows, args.at(4).toDouble(), before);
        return 0;
    } catch (const QuilloError &e) {
        std::fprintf(stderr, "Error %d: %s [%s]\n", e.number(), qPrintable(e.description()), qPrintable(e.source()));
        return 1;
    }
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().size() == 5 && app.arguments().at(1) == QLatin1String("--read"))
        return readOne(app.arguments());
    QTemporaryDir tmp;
    try {
        // Excel: 65,535 rows under the heading, every number stored as a number.
        const QString workbook = tmp.filePath(QStringLiteral("bulk65535.xls"));
        XlsWriter::Sheet numbers{QStringLiteral("Numbers"), {{"Mobile", "City"}}};
        for (int r = 0; r < 65535; ++r)
            numbers.rows.append({9800000000.0 + 7.0 * r, r % 2 ? "Pune" : "Delhi"});
        if (!XlsWriter::writeFile(workbook, XlsWriter::Format::Biff8, {numbers})) {
            std::fprintf(stderr, "The workbook could not be written to %s\n", qPrintable(workbook));
            return 1;
        }
        std::printf("Workbook written: %lld bytes\n", static_cast<long long>(QFileInfo(workbook).size()));
        for (const auto &[name, statement] :
             {std::pair{"Excel 65,535 rows: SELECT Mobile FROM [Numbers$]", QStringLiteral("SELECT Mobile FROM [Numbers$]")},
              std::pair{"Excel 65,535 rows: ... WHERE City = 'pune'",
                        QStringLiteral("SELECT Mobile FROM [Numbers$] WHERE City = 'pune'")}}) {
            const long before = currentKiB();
            QElapsedTimer t;
            t.start();
            DbConnection c;
            c.open(QStringLiteral("DRIVER=MICROSOFT EXCEL DRIVER (*.XLS);DBQ=") + workbook + u';');
            const qint64 rows = importRows(c, statement);
            c.close();
            report(name, t.nsecsElapsed() / 1e6, rows, 2000, before);
        }

        // The engine and record sets over a generated, streamed 100,000-row table.
        for (const auto &[name, statement] :
             {std::pair{"Generated 100,000 rows: DISTINCT, WHERE CITY = 'pune'",
                        QStringLiteral("SELECT DISTINCT PHONE FROM BIG WHERE City = 'pune'")},
              std::pair{"Generated 100,000 rows: DISTINCT, not (PHONE like '98%1')",
                        QStringLiteral("SELECT DISTINCT PHONE FROM BIG WHERE not (PHONE like '98%1')")},
              std::pair{"Generated 100,000 rows: DISTINCT, no filter",
                        QStringLiteral("SELECT DISTINCT PHONE FROM BIG")}}) {
            const long before = currentKiB();
            QElapsedTimer t;
            t.start();
            DbConnection c;
            c.openSource(std::make_unique<GeneratedTable>(100000, "BIG"), QStringLiteral("generated"));
            const qint64 rows = importRows(c, statement);
            c.close();
            report(name, t.nsecsElapsed() / 1e6, rows, 3000, before);
        }

        // A written 100,000-row Access database (ID, PHONE, CITY), read through libmdb.
        {
            using AccessWriter::Column;
            AccessWriter::Table big{QStringLiteral("BIG"),
                                    {{QStringLiteral("ID"), Column::Type::Long}, {QStringLiteral("PHONE")},
                                     {QStringLiteral("CITY")}},
                                    {}};
            const char *const cities[] = {"Pune", "Delhi", "Chennai", "Mumbai", "Goa"};
            for (qint32 r = 0; r < 100000; ++r)
                big.rows.append({r + 1, QString::number(9800000000LL + 7LL * r), cities[r % 5]});
            const QString database = tmp.filePath(QStringLiteral("big.mdb"));
            if (!AccessWriter::writeFile(database, AccessWriter::Format::Jet4, {big})) {
                std::fprintf(stderr, "The database could not be written to %s\n", qPrintable(database));
                return 1;
            }
            const long before = currentKiB();
            QElapsedTimer t;
            t.start();
            DbConnection c;
            c.open(QStringLiteral("DRIVER=MICROSOFT ACCESS DRIVER (*.MDB);DBQ=") + database + u';');
            const qint64 rows = importRows(c, QStringLiteral("SELECT DISTINCT PHONE FROM BIG WHERE City = 'pune'"));
            c.close();
            report("Access 100,000 rows: DISTINCT, WHERE CITY = 'pune'", t.nsecsElapsed() / 1e6, rows, 3000, before);
        }

        // The other spreadsheets, opened through the same Excel connection.
        XlsWriter::Sheet sheet{QStringLiteral("Numbers"), {{"Mobile", "City"}}};
        for (int r = 0; r < 100000; ++r)
            sheet.rows.append({9800000000.0 + 7.0 * r, r % 2 ? "Pune" : "Delhi"});
        const QString xlsx = tmp.filePath(QStringLiteral("bulk100000.xlsx"));
        const QString ods = tmp.filePath(QStringLiteral("bulk100000.ods"));
        const QString csv = tmp.filePath(QStringLiteral("Numbers.csv"));
        bool written = SheetWriter::writeFile(xlsx, SheetWriter::Format::Xlsx, {sheet}, SheetWriter::Zip::Deflated)
            && SheetWriter::writeFile(ods, SheetWriter::Format::Ods, {sheet}, SheetWriter::Zip::Deflated);
        {
            QFile out(csv);
            written = written && out.open(QIODevice::WriteOnly);
            QByteArray text = "Mobile,City\r\n";
            for (int r = 0; r < 1000000; ++r) {
                text += QByteArray::number(9800000000LL + 7LL * r);
                text += r % 2 ? ",Pune\r\n" : ",Delhi\r\n";
            }
            written = written && out.write(text) == text.size();
        }
        if (!written) {
            std::fprintf(stderr, "The spreadsheets could not be written to %s\n", qPrintable(tmp.path()));
            return 1;
        }
        const struct
        {
            const char *name;
            QString path;
            double targetMs;
        } sheets[] = {{"XLSX 100,000 rows: Mobile WHERE City = 'pune'", xlsx, 2000},
                      {"CSV 1,000,000 rows: Mobile WHERE City = 'pune'", csv, 3000},
                      {"ODS 100,000 rows: Mobile WHERE City = 'pune'", ods, 3000}};
        for (const auto &c : sheets) {
            std::printf("%s: %lld bytes\n", qPrintable(QFileInfo(c.path).fileName()),
                        static_cast<long long>(QFileInfo(c.path).size()));
            std::fflush(stdout);
            // In a fresh process of its own, so its peak memory is its own and not the
            // heap this one grew writing the files.
            QProcess one;
            one.setProcessChannelMode(QProcess::ForwardedChannels);
            one.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--read"), c.path, QString::fromLatin1(c.name), QString::number(c.targetMs)});
            one.waitForFinished(120000);
            reportLibreOffice(c.path, tmp.filePath(QStringLiteral("soffice")));
        }
    } catch (const QuilloError &e) {
        std::fprintf(stderr, "Error %d: %s [%s]\n", e.number(), qPrintable(e.description()), qPrintable(e.source()));
        return 1;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
