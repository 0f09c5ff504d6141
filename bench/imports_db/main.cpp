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
//    written Access database read through libmdb.

#include "accesswriter.h"
#include "common/error.h"
#include "db/dbconnection.h"
#include "db/dbsource.h"
#include "generatedtable.h"
#include "xlswriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
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

void report(const char *name, double ms, qint64 rows, double targetMs, long rssBefore)
{
    std::printf("%-58s %8.1f ms %8lld rows  peak %6ld KiB (+%ld KiB)  %s\n", name, ms, static_cast<long long>(rows),
                peakKiB(), peakKiB() - rssBefore,
                targetMs <= 0 ? "" : (ms < targetMs ? "within target" : "OVER TARGET"));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
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
    } catch (const QuilloError &e) {
        std::fprintf(stderr, "Error %d: %s [%s]\n", e.number(), qPrintable(e.description()), qPrintable(e.source()));
        return 1;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
