#pragma once

#include <QString>

// The workbooks and databases the import tests read, written once per test process into a
// temporary folder by the project's own writers. They hold what the independent files in
// ../shared/fixtures hold (the cross-check in tests/db compares the two):
//  - contacts.xls: Contacts (Name, Mobile, City, Age; 11 rows of numbers, texts, "n/a",
//    empty cells, a duplicate and a Hindi name), Sheet2 (empty), Sheet3 (Phone);
//  - bulk.xls: Numbers (Mobile: 1000 numbers 9800000000, 9800000007, ... stored as numbers);
//  - no-header.xls: Sheet1 without a heading row;
//  - excel95.xls: BIFF5, Contacts (Name, Mobile; 3 rows);
//  - contacts.mdb (Jet 3): Suppliers (the 12 contacts), Customers (City to filter on) and
//    Umsätze (a name beyond ASCII);
//  - datetest.mdb (Jet 4): DateTest (IDCol, ShortTextCol; 8 rows, one in Hindi);
//  - Contacts.xlsx, .xlsm and .ods: contacts.xls's sheets; Contacts.csv: its Contacts.
namespace TestFiles {

enum class SheetKind { Xls, Xlsx, Xlsm, Ods, Csv };
// contacts.xls or the same sheets in another kind of spreadsheet file.
QString contacts(SheetKind kind);

QString contactsXls();
QString bulkXls();
QString noHeaderXls();
QString excel95Xls();
QString contactsMdb();
// contacts.mdb's tables as an Access 2007 database.
QString contactsAccdb();
QString dateTestMdb();

} // namespace TestFiles
