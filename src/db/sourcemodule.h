#pragma once

#include "dbsource.h"

#include <QString>
#include <optional>

struct sqlite3;

// What the SQLite callbacks share with the engine: the tables, and the first reader
// failure of the running statement (exceptions must not cross SQLite's C frames, so a
// reader's DbSourceError is parked here and rethrown by the engine).
struct SourceModuleContext
{
    DbTableSource *source = nullptr;
    std::optional<DbSourceError> pendingError;
};

namespace SourceModule {

// The collation of text columns: case-insensitive over all of Unicode, as the desktop
// drivers compared text, in the Unicode collation's order (Zürich and École among the
// Z and E words, not after every ASCII one).
inline constexpr char kTextCollation[] = "JETTEXT";

// Registers the read-only virtual table module "quillo_source", the JETTEXT collation
// and a LIKE that ignores case beyond ASCII. Returns an SQLite result code.
int install(sqlite3 *db, SourceModuleContext *context);

// The column list handed to sqlite3_declare_vtab for one table.
QString declaration(const std::vector<DbColumnInfo> &columns);

// LIKE with % and _ (and an optional escape character), case-insensitive over Unicode.
bool likeMatch(const QString &pattern, const QString &text, QChar escape = QChar());

} // namespace SourceModule
