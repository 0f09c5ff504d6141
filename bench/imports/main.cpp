// Import speed through the whole import path, as the dialog's Import button runs it: the
// text import of 32,767 distinct numbers, the Excel import of a 65,535-row worksheet, and
// an Access-sized import of 100,000 rows with a filter and DISTINCT, each into an empty
// recipient list that a list view shows.
//
//   bench_imports        prints one line per case: time, numbers taken, target
//
// libmdb cannot add pages to a database, so no 100,000-row .mdb can be written here: that
// table is generated in process and served through the same engine and record sets, and
// the rest of the path (statement, fallback, intake, list) is the import's own.

#include "common/dialogs.h"
#include "common/error.h"
#include "db/dbconnection.h"
#include "db/dbsource.h"
#include "generatedtable.h"
#include "recipients/importconnections.h"
#include "recipients/importcontroller.h"
#include "recipients/importdatabase.h"
#include "recipients/importintake.h"
#include "recipients/importtext.h"
#include "recipients/recipientlist.h"
#include "xlswriter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

namespace {

// Answers every box and prints it, so a failure in the benchmark is seen.
class PrintingDialogs : public Dialogs
{
public:
    Answer message(const QString &text, Icon, Buttons, const QString &) override
    {
        std::printf("    message: %s\n", qPrintable(text));
        return Answer::Ok;
    }
    QString openFile(const FileRequest &) override { return {}; }
    QString saveFile(const FileRequest &) override { return {}; }
    bool chooseFont(FontChoice &) override { return false; }
};

// One case: a fresh list shown in a view, the import run once, the time printed.
void measure(const char *name, double targetMs, const std::function<void(ImportList &)> &import)
{
    RecipientList list;
    QListView view;
    view.setModel(&list);
    view.show();
    RecipientListImport target(list);
    QElapsedTimer timer;
    timer.start();
    import(target);
    const double ms = timer.nsecsElapsed() / 1e6;
    std::printf("%-62s %8.1f ms %6d numbers  %s\n", name, ms, list.count(),
                ms < targetMs ? "within target" : "OVER TARGET");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    PrintingDialogs dialogs;

    const QString textFile = tmp.filePath(QStringLiteral("phones.txt"));
    QByteArray lines;
    for (int i = 0; i < RecipientList::kMaxEntries; ++i)
        lines += QByteArray::number(9800000000LL + 7LL * i) + "\r\n";
    writeFile(textFile, lines);
    measure("Text file, 32,767 distinct numbers (target 500 ms)", 500,
            [&](ImportList &list) { importTextFile(dialogs, list, textFile, false); });

    // 65,535 rows; the list holds 32,767, so every number comes twice and the intake skips
    // the repeats, as it would for a sheet with duplicates.
    const QString workbook = tmp.filePath(QStringLiteral("bulk65535.xls"));
    XlsWriter::Sheet numbers{QStringLiteral("Numbers"), {{"Mobile", "City"}}};
    for (int r = 0; r < 65535; ++r)
        numbers.rows.append({9800000000.0 + 7.0 * (r % 32000), r % 2 ? "Pune" : "Delhi"});
    writeFile(workbook, XlsWriter::write(XlsWriter::Format::Biff8, {numbers}));
    ImportConnections connections;
    measure("Excel worksheet, 65,535 rows, numbers stored as numbers (target 2000 ms)", 2000, [&](ImportList &list) {
        importDatabase(ImportSource::Excel, {workbook, QStringLiteral("Numbers"), QStringLiteral("Mobile"), {}, {}, {}},
                       false, dialogs, list, connections);
    });
    measure("Excel worksheet, 65,535 rows, filter City equals pune (target 2000 ms)", 2000, [&](ImportList &list) {
        importDatabase(ImportSource::Excel,
                       {workbook, QStringLiteral("Numbers"), QStringLiteral("Mobile"), QStringLiteral("City"),
                        QStringLiteral("equals"), QStringLiteral("pune")},
                       false, dialogs, list, connections);
    });

    const ImportRequest request{QString(), QStringLiteral("Contacts"), QStringLiteral("Phone"), QStringLiteral("City"),
                                QStringLiteral("equals"), QStringLiteral("pune")};
    measure("Access-sized table, 100,000 rows, DISTINCT, City equals pune (target 3000 ms)", 3000,
            [&](ImportList &list) {
                try {
                    DbConnection connection;
                    connection.openSource(std::make_unique<GeneratedTable>(100000, "CONTACTS"), QStringLiteral("generated"));
                    ImportIntake intake(list);
                    auto records = runImportStatement(connection, buildImportStatement(ImportSource::Access, request));
                    takeRecords(*records, ImportSource::Access, intake);
                    records->close();
                    connection.close();
                } catch (const QuilloError &error) {
                    std::printf("    failed: %d %s %s\n", error.number(), qPrintable(error.description()),
                                qPrintable(error.source()));
                }
            });
    return 0;
}
