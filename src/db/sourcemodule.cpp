#include "sourcemodule.h"

#include "typedcomparisons.h"

#include <QCollator>
#include <QLocale>
#include <QStringList>
#include <cstdlib>
#include <new>
#include <sqlite3.h>

namespace {

struct SourceTable : sqlite3_vtab
{
    SourceModuleContext *context = nullptr;
    int table = 0;
    std::vector<DbColumnKind> kinds;
};

struct SourceCursor : sqlite3_vtab_cursor
{
    std::unique_ptr<DbRowCursor> rows;
    bool eof = true;
    sqlite3_int64 rowid = 0;
};

SourceTable *tableOf(sqlite3_vtab_cursor *cursor) { return static_cast<SourceTable *>(cursor->pVtab); }

// Runs a callback body, turning a reader's exception into an SQLite error code.
template <typename Body>
int guarded(sqlite3_vtab *vtab, SourceModuleContext *context, Body body)
{
    try {
        return body();
    } catch (const DbSourceError &e) {
        if (!context->pendingError)
            context->pendingError = e;
        sqlite3_free(vtab->zErrMsg);
        vtab->zErrMsg = sqlite3_mprintf("%s", e.what());
        return SQLITE_ERROR;
    } catch (const std::bad_alloc &) {
        return SQLITE_NOMEM;
    } catch (const std::exception &e) {
        sqlite3_free(vtab->zErrMsg);
        vtab->zErrMsg = sqlite3_mprintf("%s", e.what());
        return SQLITE_ERROR;
    }
}

int xConnect(sqlite3 *db, void *aux, int argc, const char *const *argv, sqlite3_vtab **out, char **err)
{
    auto *context = static_cast<SourceModuleContext *>(aux);
    const int index = argc > 3 ? atoi(argv[3]) : -1;
    if (index < 0 || index >= context->source->tableCount()) {
        *err = sqlite3_mprintf("no such source table");
        return SQLITE_ERROR;
    }
    const std::vector<DbColumnInfo> &columns = context->source->columns(index);
    const int rc = sqlite3_declare_vtab(db, SourceModule::declaration(columns).toUtf8().constData());
    if (rc != SQLITE_OK)
        return rc;
    auto *table = new (std::nothrow) SourceTable();
    if (!table)
        return SQLITE_NOMEM;
    table->context = context;
    table->table = index;
    for (const DbColumnInfo &c : columns)
        table->kinds.push_back(c.kind);
    *out = table;
    return SQLITE_OK;
}

int xDisconnect(sqlite3_vtab *vtab)
{
    delete static_cast<SourceTable *>(vtab);
    return SQLITE_OK;
}

// Every statement scans the whole table: the sources have no usable indexes (the Access
// ones may be stale), and SQLite applies the WHERE clause row by row as they stream.
int xBestIndex(sqlite3_vtab *, sqlite3_index_info *info)
{
    info->estimatedCost = 1e6;
    info->estimatedRows = 100000;
    // The columns the statement reads travel to xFilter so the reader converts only those.
    info->idxStr = sqlite3_mprintf("%llu", static_cast<unsigned long long>(info->colUsed));
    info->needToFreeIdxStr = 1;
    return info->idxStr ? SQLITE_OK : SQLITE_NOMEM;
}

int xOpen(sqlite3_vtab *, sqlite3_vtab_cursor **out)
{
    auto *cursor = new (std::nothrow) SourceCursor();
    if (!cursor)
        return SQLITE_NOMEM;
    *out = cursor;
    return SQLITE_OK;
}

int xClose(sqlite3_vtab_cursor *cursor)
{
    delete static_cast<SourceCursor *>(cursor);
    return SQLITE_OK;
}

int xNext(sqlite3_vtab_cursor *base)
{
    auto *cursor = static_cast<SourceCursor *>(base);
    SourceTable *table = tableOf(base);
    return guarded(table, table->context, [&] {
        cursor->eof = !cursor->rows || !cursor->rows->next();
        ++cursor->rowid;
        return SQLITE_OK;
    });
}

int xFilter(sqlite3_vtab_cursor *base, int, const char *idxStr, int, sqlite3_value **)
{
    auto *cursor = static_cast<SourceCursor *>(base);
    SourceTable *table = tableOf(base);
    const int rc = guarded(table, table->context, [&] {
        cursor->rows.reset(); // a rescan (the inner side of a join) starts afresh
        const std::uint64_t used = idxStr ? std::strtoull(idxStr, nullptr, 10) : ~std::uint64_t(0);
        cursor->rows = table->context->source->openCursor(table->table, used);
        cursor->rowid = 0;
        return SQLITE_OK;
    });
    return rc == SQLITE_OK ? xNext(base) : rc;
}

int xEof(sqlite3_vtab_cursor *base) { return static_cast<SourceCursor *>(base)->eof; }

int xColumn(sqlite3_vtab_cursor *base, sqlite3_context *ctx, int column)
{
    auto *cursor = static_cast<SourceCursor *>(base);
    SourceTable *table = tableOf(base);
    if (cursor->eof || column < 0 || column >= int(table->kinds.size())) {
        sqlite3_result_null(ctx);
        return SQLITE_OK;
    }
    return guarded(table, table->context, [&] {
        const DbCell &cell = cursor->rows->cell(column);
        // A text column hands numbers over as their digits, so that comparisons with
        // quoted values see text on both sides.
        const bool asText = table->kinds[column] == DbColumnKind::Text || table->kinds[column] == DbColumnKind::Date;
        switch (cell.type) {
        case DbCell::Type::Null:
            sqlite3_result_null(ctx);
            break;
        case DbCell::Type::Integer:
            if (asText) {
                const std::string digits = std::to_string(cell.integer);
                sqlite3_result_text(ctx, digits.data(), int(digits.size()), SQLITE_TRANSIENT);
            } else {
                sqlite3_result_int64(ctx, cell.integer);
            }
            break;
        case DbCell::Type::Real:
            if (asText) {
                const std::string digits = dbFormatNumber(cell.real);
                sqlite3_result_text(ctx, digits.data(), int(digits.size()), SQLITE_TRANSIENT);
            } else {
                sqlite3_result_double(ctx, cell.real);
            }
            break;
        case DbCell::Type::Text:
            sqlite3_result_text(ctx, cell.text.data(), int(cell.text.size()), SQLITE_TRANSIENT);
            break;
        }
        return SQLITE_OK;
    });
}

int xRowid(sqlite3_vtab_cursor *base, sqlite3_int64 *rowid)
{
    *rowid = static_cast<SourceCursor *>(base)->rowid;
    return SQLITE_OK;
}

const sqlite3_module kModule = {
    /* iVersion */ 0, xConnect, xConnect, xBestIndex, xDisconnect, xDisconnect,
    xOpen, xClose, xFilter, xNext, xEof, xColumn, xRowid,
    /* xUpdate: none, so every table is read-only */ nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
};

// Letters, digits and spaces of ASCII: for texts made only of these, comparing bytes
// with case folded gives the same order as the collator below, far faster.
bool isPlainAscii(const unsigned char *p, int n)
{
    for (int i = 0; i < n; ++i) {
        const unsigned char c = p[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' '))
            return false;
    }
    return true;
}

// Texts equal when they are equal with case folded (as DISTINCT and = always took them);
// otherwise they sort by the Unicode collation (ICU's root order: accents after the bare
// letter, Latin before Devanagari), case ignored, and by code point where it sees a tie.
int compareText(void *, int n1, const void *p1, int n2, const void *p2)
{
    const auto *a = static_cast<const unsigned char *>(p1);
    const auto *b = static_cast<const unsigned char *>(p2);
    if (isPlainAscii(a, n1) && isPlainAscii(b, n2)) {
        for (int i = 0; i < n1 && i < n2; ++i) {
            const int ca = (a[i] >= 'A' && a[i] <= 'Z') ? a[i] + 32 : a[i];
            const int cb = (b[i] >= 'A' && b[i] <= 'Z') ? b[i] + 32 : b[i];
            if (ca != cb)
                return ca - cb;
        }
        return n1 - n2;
    }
    const QString left = QString::fromUtf8(reinterpret_cast<const char *>(a), n1);
    const QString right = QString::fromUtf8(reinterpret_cast<const char *>(b), n2);
    const int folded = QString::compare(left, right, Qt::CaseInsensitive);
    if (folded == 0)
        return 0;
    static thread_local const QCollator collator = [] {
        QCollator c{QLocale(QLocale::English, QLocale::UnitedStates)};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    const int ordered = collator.compare(left, right);
    return ordered != 0 ? ordered : folded;
}

QString textOf(sqlite3_value *value)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(value)),
                             sqlite3_value_bytes(value));
}

// like(pattern, text [, escape]) — SQLite passes the pattern first.
void likeFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            return; // Null in, Null out: the row is not selected, with or without NOT
    QChar escape;
    if (argc == 3) {
        const QString e = textOf(argv[2]);
        if (e.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = e.at(0);
    }
    sqlite3_result_int(ctx, SourceModule::likeMatch(textOf(argv[0]), textOf(argv[1]), escape));
}

// quillo_compare(value, op, constant, kind): a comparison of a number ('n') or date
// ('d') column with a constant the statement check found to fit (typedcomparisons.h).
// A cell that is no number or no date compares as Null does: neither true nor false.
void compareFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[2]) == SQLITE_NULL)
        return;
    const QString op = textOf(argv[1]);
    const bool number = textOf(argv[3]) == u'n';
    int order;
    if (number) {
        std::optional<double> left, right;
        const auto numberOf = [](sqlite3_value *v) -> std::optional<double> {
            const int type = sqlite3_value_type(v);
            if (type == SQLITE_INTEGER || type == SQLITE_FLOAT)
                return sqlite3_value_double(v);
            return TypedComparisons::parseNumber(textOf(v));
        };
        // Whole numbers compare as integers: doubles lose digits past 2^53.
        if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER && sqlite3_value_type(argv[2]) == SQLITE_INTEGER) {
            const sqlite3_int64 a = sqlite3_value_int64(argv[0]), b = sqlite3_value_int64(argv[2]);
            order = a < b ? -1 : a > b ? 1 : 0;
        } else {
            left = numberOf(argv[0]);
            right = numberOf(argv[2]);
            if (!left || !right)
                return;
            order = *left < *right ? -1 : *left > *right ? 1 : 0;
        }
    } else {
        const std::optional<qint64> left = TypedComparisons::parseDate(textOf(argv[0]));
        const std::optional<qint64> right = TypedComparisons::parseDate(textOf(argv[2]));
        if (!left || !right)
            return;
        order = *left < *right ? -1 : *left > *right ? 1 : 0;
    }
    bool result = false;
    if (op == u'=')
        result = order == 0;
    else if (op == QLatin1String("<>"))
        result = order != 0;
    else if (op == u'<')
        result = order < 0;
    else if (op == u'>')
        result = order > 0;
    else if (op == QLatin1String("<="))
        result = order <= 0;
    else if (op == QLatin1String(">="))
        result = order >= 0;
    sqlite3_result_int(ctx, result);
}

QString quoted(const std::string &name)
{
    QString q = QString::fromStdString(name);
    q.replace(u'"', QLatin1String("\"\""));
    return u'"' + q + u'"';
}

} // namespace

int SourceModule::install(sqlite3 *db, SourceModuleContext *context)
{
    int rc = sqlite3_create_module(db, "quillo_source", &kModule, context);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_collation(db, kTextCollation, SQLITE_UTF8, nullptr, compareText);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, TypedComparisons::kFunction, 4, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                     compareFunction, nullptr, nullptr);
    for (int args : {2, 3})
        if (rc == SQLITE_OK)
            rc = sqlite3_create_function(db, "like", args, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                         likeFunction, nullptr, nullptr);
    return rc;
}

QString SourceModule::declaration(const std::vector<DbColumnInfo> &columns)
{
    QStringList parts;
    for (const DbColumnInfo &c : columns) {
        switch (c.kind) {
        case DbColumnKind::Text:
            parts << quoted(c.name) + QStringLiteral(" TEXT COLLATE ") + QLatin1String(kTextCollation);
            break;
        case DbColumnKind::Number:
            parts << quoted(c.name) + QStringLiteral(" NUMERIC");
            break;
        case DbColumnKind::Boolean:
            parts << quoted(c.name) + QStringLiteral(" INTEGER");
            break;
        case DbColumnKind::Binary:
            parts << quoted(c.name) + QStringLiteral(" BLOB");
            break;
        case DbColumnKind::Date:
            // "YYYY-MM-DD HH:MM:SS" sorts as text in date order.
            parts << quoted(c.name) + QStringLiteral(" TEXT");
            break;
        }
    }
    // A table needs one column; an empty worksheet gets a hidden one nobody lists.
    if (parts.isEmpty())
        parts << QStringLiteral("\"F1\" HIDDEN");
    return QStringLiteral("CREATE TABLE x(") + parts.join(QStringLiteral(", ")) + u')';
}

bool SourceModule::likeMatch(const QString &patternIn, const QString &textIn, QChar escape)
{
    const QString pattern = patternIn.toCaseFolded();
    const QString text = textIn.toCaseFolded();
    // Greedy matching with one backtrack point (the last %): linear in practice and
    // never exponential, whatever the pattern.
    qsizetype p = 0, t = 0, starP = -1, starT = -1;
    while (t < text.size()) {
        if (p < pattern.size()) {
            const QChar c = pattern.at(p);
            if (c == u'%' ) {
                starP = ++p;
                starT = t;
                continue;
            }
            if (!escape.isNull() && c == escape && p + 1 < pattern.size()) {
                if (pattern.at(p + 1) == text.at(t)) {
                    p += 2;
                    ++t;
                    continue;
                }
            } else if (c == u'_' || c == text.at(t)) {
                ++p;
                ++t;
                continue;
            }
        }
        if (starP < 0)
            return false;
        p = starP;
        t = ++starT;
    }
    while (p < pattern.size() && pattern.at(p) == u'%')
        ++p;
    return p == pattern.size();
}
