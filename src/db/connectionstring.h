#pragma once

#include <QString>

// The parts of an ODBC connection string this layer honours: the driver and the
// database file (DBQ). Keys are case-insensitive and may come in any order; a value in
// braces may hold semicolons; blank segments (the schema string ends in "; ") are skipped.
struct DbConnectionString
{
    enum class Driver { Access, Excel };

    Driver driver = Driver::Access;
    QString path; // the DBQ value exactly as written: paths may begin or end with blanks

    // Throws QuilloError for an unknown or missing driver, or a missing DBQ.
    static DbConnectionString parse(const QString &text);
};
