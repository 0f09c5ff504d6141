#pragma once

#include "common/error.h"
#include "db/dbconnection.h"
#include "independentfiles.h"
#include "qstringprinter.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace DbTest {

// A file in ../shared/fixtures (see independentfiles.h).
inline QString fixture(const QString &relative)
{
    return independentFile(relative);
}

inline QString testData(const QString &relative)
{
    return QStringLiteral(QUILLO_TEST_DATA_DIR "/db/") + relative;
}

inline QString accessString(const QString &path)
{
    return QStringLiteral("DRIVER=MICROSOFT ACCESS DRIVER (*.MDB);DBQ=") + path + u';';
}

inline QString excelString(const QString &path)
{
    return QStringLiteral("DRIVER=MICROSOFT EXCEL DRIVER (*.XLS);DBQ=") + path + u';';
}

// Field 0 of every row as the import reads it: "<null>" for Null, else the text form.
inline QStringList column0(DbConnection &connection, const QString &statement)
{
    QStringList values;
    auto rs = connection.execute(statement);
    while (!rs->eof()) {
        const QVariant v = rs->fields(0).value();
        values << (v.isNull() ? QStringLiteral("<null>") : v.toString());
        rs->moveNext();
    }
    rs->close();
    return values;
}

// The values of one field over all rows of a schema record set.
inline QStringList schemaNames(DbRecordset &rs, const QString &field)
{
    QStringList names;
    while (!rs.eof()) {
        names << rs.fields(field).value().toString();
        rs.moveNext();
    }
    return names;
}

// Runs call and expects a QuilloError with the given number (any nonzero one for 0), a
// description and a source.
template <typename Call>
void expectError(qint32 number, const Call &call, const QString &what = {})
{
    try {
        call();
        ADD_FAILURE() << "no error: " << what.toStdString();
    } catch (const QuilloError &e) {
        if (number)
            EXPECT_EQ(e.number(), number) << what.toStdString();
        else
            EXPECT_NE(e.number(), 0) << what.toStdString();
        EXPECT_FALSE(e.description().isEmpty()) << what.toStdString();
        EXPECT_FALSE(e.source().isEmpty()) << what.toStdString();
    }
}

} // namespace DbTest
