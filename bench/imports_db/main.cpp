// Import speed of the database access layer, measured the way the import reads rows:
// open the connection, run the statement, take field 0 of every row as trimmed text.
//
//   bench_imports_db            prints one line per case: time, rows, peak memory
//
// Cases:
//  - an Excel worksheet of 65,535 rows (numbers stored as numbers), without and with a
//    filter (target: under 2 s);
//  - a 100,000-row table with a filter and DISTINCT through the same engine and record
//    sets (target: under 3 s). libmdb cannot add pages to a database, so no 100,000-row
//    .mdb can be written here; the table is generated in process and streamed row by
//    row, and libmdb's own scan rate is measured on the largest fixture table.

#include "common/error.h"
#include "dbconnection.h"
#include "dbsource.h"
#include "generatedtable.h"
#include "xlswriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

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
        {
            QFile out(workbook);
            out.open(QIODevice::WriteOnly);
            out.write(writeBenchWorkbook(QStringLiteral("Numbers"), {QStringLiteral("Mobile"), QStringLiteral("City")},
                                         65535, [](int r, int c) {
                                             return c == 0 ? QVariant(9800000000.0 + 7.0 * r)
                                                           : QVariant(r % 2 ? QStringLiteral("Pune")
                                                                            : QStringLiteral("Delhi"));
                                         }));
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

        // libmdb's scan rate on real pages: Order Details (2,155 rows) read 47 times.
        {
            const long before = currentKiB();
            QElapsedTimer t;
            t.start();
            DbConnection c;
            c.open(QStringLiteral("DRIVER=MICROSOFT ACCESS DRIVER (*.MDB);DBQ=" QUILLO_FIXTURES_DIR
                                  "/access/nwind-contacts.mdb;"));
            qint64 scanned = 0;
            for (int i = 0; i < 47; ++i)
                scanned += importRows(c, QStringLiteral("SELECT ORDERID FROM [ORDER DETAILS] WHERE Quantity > 0"));
            c.close();
            report("Access (libmdb) ~100,000 rows scanned, filter Quantity > 0", t.nsecsElapsed() / 1e6, scanned, 3000,
                   before);
        }
    } catch (const QuilloError &e) {
        std::fprintf(stderr, "Error %d: %s [%s]\n", e.number(), qPrintable(e.description()), qPrintable(e.source()));
        return 1;
    }
    return 0;
}
