#include "testfiles.h"

#include "accesswriter.h"
#include "sheetwriter.h"
#include "xlswriter.h"

#include <QDir>
#include <QTemporaryDir>
#include <stdexcept>

namespace {

using XlsWriter::Sheet;

// Stored numbers are doubles (9812345678.0); quoted ones are texts, as typed with Excel's
// apostrophe; QVariant() is an empty cell.
QList<Sheet> contacts()
{
    return {
        {QStringLiteral("Contacts"),
         {{"Name", "Mobile", "City", "Age"},
          {"Asha Rao", 9812345678.0, "Pune", 31},
          {"Vikram Singh", "+919876543210", "Delhi", 45},
          {"Meena Iyer", "9812345679", "Chennai", 28},
          {"Rahul Das", "n/a", "Kolkata", 52},
          {"Priya Nair", QVariant(), "Mumbai", 39},
          {"Asha Rao (dup)", 9812345678.0, "Pune", 31},
          {"John D'Souza", "98123 45680", "Goa", QVariant()},
          {"अनिता शर्मा", "09812345681", "Pune", 26},
          {"Fatima Sheikh", 919812345682.0, "Hyderabad", 27},
          {"Zoe Fernandes", "'9812345683", "Panaji", 33},
          {"Karan Mehta", "9812345678", "Delhi", 40}}},
        {QStringLiteral("Sheet2"), {}},
        {QStringLiteral("Sheet3"), {{"Phone"}, {9812345690.0}, {"9812345691"}, {"9812345692"}}},
    };
}

QList<Sheet> noHeader()
{
    return {{QStringLiteral("Sheet1"), {{9812345678.0, "Asha"}, {9812345679.0, "Meena"}, {"9812345680", "John"}}}};
}

QList<Sheet> excel95()
{
    return {{QStringLiteral("Contacts"),
             {{"Name", "Mobile"},
              {"Asha Rao", 9812345678.0},
              {"Meena Iyer", "9812345679"},
              {"Jose Gomes", "+919812345680"}}}};
}

QList<Sheet> bulk()
{
    Sheet numbers{QStringLiteral("Numbers"), {{"Mobile"}}};
    for (int i = 0; i < 1000; ++i)
        numbers.rows.append(QVariantList{9800000000.0 + 7 * i});
    return {numbers};
}

using AccessWriter::Column;
using Type = AccessWriter::Column::Type;

// Suppliers has the sample database's columns; only the ones the tests read are filled, as
// in the independent file (where the fourth contact has no name).
AccessWriter::Table suppliers()
{
    AccessWriter::Table table{QStringLiteral("Suppliers"), {}, {}};
    for (const char *name : {"SupplierID", "CompanyName", "ContactName", "ContactTitle", "Address", "City", "Region",
                             "PostalCode", "Country", "Phone", "Fax", "HomePage"})
        table.columns.append({QString::fromLatin1(name), qstrcmp(name, "SupplierID") ? Type::Text : Type::Long});
    const struct
    {
        const char *name, *city, *country, *phone;
    } rows[] = {{"Asha Rao", "Pune", "India", "9812345678"},
                {"Vikram Singh", "Delhi", "India", "+919876543210"},
                {"Meena Iyer", "Chennai", "India", "9812345679"},
                {nullptr, "Kolkata", "India", "n/a"},
                {"Priya Nair", "Mumbai", "India", nullptr},
                {"Asha Rao", "Pune", "India", "9812345678"},
                {"John D'Souza", "Goa", "India", "98123 45680"},
                {"José Gomes", "Panaji", "India", "09812345681"},
                {"Fatima Sheikh", "Hyderabad", "India", "919812345682"},
                {"Zoe Fernandes", "Panaji", "India", "'9812345683"},
                {"Karan Mehta", "Delhi", "India", "+91-98123-45684"},
                {"Ram Thapa", "Kathmandu", "Nepal", "+9779812345685"}};
    qint32 id = 0;
    for (const auto &r : rows)
        table.rows.append({++id, {}, r.name ? QVariant(r.name) : QVariant(), {}, {}, r.city, {}, {}, r.country,
                           r.phone ? QVariant(r.phone) : QVariant(), {}, {}});
    return table;
}

QList<AccessWriter::Table> contactsMdb()
{
    return {
        suppliers(),
        {QStringLiteral("Customers"),
         {{QStringLiteral("CustomerID"), Type::Long}, {QStringLiteral("ContactName")}, {QStringLiteral("City")},
          {QStringLiteral("Country")}, {QStringLiteral("Phone")}},
         {{1, "Anil Kumar", "London", "UK", "+447700900101"},
          {2, "Sara Khan", "Leeds", "UK", "+447700900102"},
          {3, "Tom Baker", "London", "UK", "+447700900103"},
          {4, "Ravi Menon", "Pune", "India", "9812345701"},
          {5, "Lena Vogel", "Berlin", "Germany", "+4915112345678"},
          {6, "Jane Doe", "London", "UK", QVariant()}}},
        {QStringLiteral("Umsätze"),
         {{QStringLiteral("ShipCity")}, {QStringLiteral("ShipCountry")}},
         {{"Paris", "France"}, {"Lyon", "France"}, {"Berlin", "Germany"}, {"Paris", "France"},
          {"Marseille", "France"}}},
    };
}

QList<AccessWriter::Table> dateTestMdb()
{
    return {{QStringLiteral("DateTest"),
             {{QStringLiteral("IDCol"), Type::Long}, {QStringLiteral("ShortTextCol")}},
             {{1, "9812345678"}, {2, "+919876543210"}, {3, "'9812345679"}, {4, "n/a"}, {5, QVariant()},
              {6, "9812345678"}, {7, "98123 45680"}, {8, "अनिता 9812345686"}}}};
}

bool writeAll(const QDir &dir)
{
    const auto at = [&](const char *name) { return dir.filePath(QString::fromLatin1(name)); };
    using AccessWriter::Format;
    bool ok = XlsWriter::writeFile(at("contacts.xls"), XlsWriter::Format::Biff8, contacts())
        && XlsWriter::writeFile(at("bulk.xls"), XlsWriter::Format::Biff8, bulk())
        && XlsWriter::writeFile(at("no-header.xls"), XlsWriter::Format::Biff8, noHeader())
        && XlsWriter::writeFile(at("excel95.xls"), XlsWriter::Format::Biff5, excel95())
        && AccessWriter::writeFile(at("contacts.mdb"), Format::Jet3, contactsMdb())
        && AccessWriter::writeFile(at("datetest.mdb"), Format::Jet4, dateTestMdb())
        && AccessWriter::writeFile(at("contacts.accdb"), Format::Ace12, contactsMdb());
    for (const auto format : {SheetWriter::Format::Xlsx, SheetWriter::Format::Xlsm, SheetWriter::Format::Ods,
                              SheetWriter::Format::Csv})
        ok = ok && SheetWriter::writeFile(dir.filePath(QStringLiteral("Contacts") + SheetWriter::suffix(format)),
                                          format, contacts());
    return ok;
}

// A file that could not be written shows up as an open error in the test that reads it.
QString written(const QString &name)
{
    static QTemporaryDir dir;
    static const bool ok = [] {
        try {
            return dir.isValid() && writeAll(QDir(dir.path()));
        } catch (const std::exception &e) {
            qWarning("%s", e.what());
            return false;
        }
    }();
    if (!ok)
        qWarning("The test files could not be written into %s", qPrintable(dir.path()));
    return dir.filePath(name);
}

} // namespace

namespace TestFiles {

QString contactsXls() { return contacts(SheetKind::Xls); }
QString bulkXls() { return written(QStringLiteral("bulk.xls")); }
QString noHeaderXls() { return written(QStringLiteral("no-header.xls")); }
QString excel95Xls() { return written(QStringLiteral("excel95.xls")); }
QString contactsMdb() { return written(QStringLiteral("contacts.mdb")); }
QString dateTestMdb() { return written(QStringLiteral("datetest.mdb")); }
QString contactsAccdb() { return written(QStringLiteral("contacts.accdb")); }

QString contacts(SheetKind kind)
{
    static const char *const names[] = {"contacts.xls", "Contacts.xlsx", "Contacts.xlsm", "Contacts.ods",
                                        "Contacts.csv"};
    return written(QLatin1String(names[int(kind)]));
}

} // namespace TestFiles
