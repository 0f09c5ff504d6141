// quillo-probe: opens one Access database or spreadsheet with the reader the program
// uses and reads every table and row, so that a file which crashes or exhausts libmdb,
// FreeXL or liborcus does so here, in a child process, and not in the program. See
// fileprobe.h.
//
//   quillo-probe access|excel FILE
// Exit 0: read through. Exit 4: the reader refused the file with a clean error, written
// to standard output after a line "quillo-probe refused" (the libraries print there too)
// as number, source (empty for the caller's own), description (the rest), one a line; the program gives that error without reading the file
// itself, so a reader's error path runs only here. Anything else (a signal, an abort from
// GLib when memory runs out, another exit code) means the file is not safe to open.

#include "db/accesssource.h"
#include "common/error.h"
#include "db/spreadsheetfile.h"

#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/resource.h>

namespace {

constexpr char kRefusedMark[] = "quillo-probe refused";
constexpr rlim_t kAddressSpaceLimit = rlim_t(1) << 30; // 1 GiB

void limitResources()
{
    const rlimit memory{kAddressSpaceLimit, kAddressSpaceLimit};
    setrlimit(RLIMIT_AS, &memory);
    // A crash is the expected outcome for some files; it must not leave a core behind.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
}

// A row error ends that table only; the program reads the other tables all the same.
void readTable(DbTableSource &source, int table)
{
    try {
        const auto columns = source.columns(table).size();
        auto cursor = source.openCursor(table, ~std::uint64_t(0));
        while (cursor->next())
            for (std::size_t c = 0; c < columns; ++c)
                cursor->cell(int(c));
    } catch (const DbSourceError &) {
    } catch (const QuilloError &) {
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3 || (std::strcmp(argv[1], "access") != 0 && std::strcmp(argv[1], "excel") != 0))
        return 2;
    limitResources();
    // For the tests of the program's side only: a probe that dies as on a damaged file.
    if (std::getenv("QUILLO_PROBE_TEST_ABORT"))
        std::abort();
    try {
        std::unique_ptr<DbTableSource> source;
        if (std::strcmp(argv[1], "access") == 0)
            source = std::make_unique<AccessSource>(argv[2]);
        else
            source = SpreadsheetFile::open(QFile::decodeName(argv[2])).source;
        for (int table = 0; table < source->tableCount(); ++table)
            readTable(*source, table);
    } catch (const DbSourceError &e) {
        std::printf("\n%s\n%d\n\n%s", kRefusedMark, int(e.number()), e.what());
        return 4;
    } catch (const QuilloError &e) {
        std::printf("\n%s\n%d\n%s\n%s", kRefusedMark, int(e.number()), e.source().toUtf8().constData(),
                    e.description().toUtf8().constData());
        return 4;
    } catch (const std::bad_alloc &) {
        return 3;
    }
    return 0;
}
