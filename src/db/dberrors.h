#pragma once

#include <QString>

// Error numbers and sources the database access layer reports. The numbers follow the
// HRESULTs the desktop database drivers gave for the same failures, so an operator who
// searches for a number finds the familiar meaning; every one is non-zero.
namespace DbErrors {

// The source could not be opened: missing, unreadable or not in the expected format.
constexpr qint32 kOpenFailed = -2147467259;       // 0x80004005
// The statement was rejected: syntax, unknown table or column, more than one statement.
constexpr qint32 kStatementFailed = -2147217900;  // 0x80040E14
// A constant that does not fit its column's type: Age = 'abc', OrderDate = 'soon'.
constexpr qint32 kTypeMismatch = -2147217913;     // 0x80040E07
// A row could not be read while the statement ran (a damaged page, a broken record).
constexpr qint32 kReadFailed = -2147217887;       // 0x80040E21
// The connection string names no driver this layer has, or no file.
constexpr qint32 kBadConnectionString = -2147217843; // 0x80040E4D
// The connection's provider is not the ODBC provider.
constexpr qint32 kProviderNotFound = 3706;
// Open was called on a connection that is already open.
constexpr qint32 kObjectOpen = 3705;
// An operation that needs an open object was called on a closed one.
constexpr qint32 kObjectClosed = 3704;
// A field was read while no row is current (EOF).
constexpr qint32 kNoCurrentRecord = 3021;
// A field name or index that the record set does not have.
constexpr qint32 kItemNotFound = 3265;
// A schema kind other than tables and columns.
constexpr qint32 kSchemaNotSupported = 3251;

inline const QString kSourceLayer = QStringLiteral("Quillo database access layer");
inline const QString kSourceAccess = QStringLiteral("Quillo Access driver (libmdb)");
inline const QString kSourceExcel = QStringLiteral("Quillo Excel driver (FreeXL)");
inline const QString kSourceWorkbook = QStringLiteral("Quillo Excel driver (liborcus)");
inline const QString kSourceText = QStringLiteral("Quillo text driver (CSV)");
inline const QString kSourceEngine = QStringLiteral("Quillo SQL engine (SQLite)");

} // namespace DbErrors
