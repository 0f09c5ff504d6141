#pragma once

#include <QString>

// Writes four damaged Access files into folder: empty.mdb, random.mdb (fixed-seed bytes),
// jet-header-junk.mdb (a Jet signature over junk) and workbook-named.mdb (the bytes of the
// given workbook). They are made at run time so the repository holds no .mdb file.
void writeDamagedAccessFiles(const QString &folder, const QString &workbookPath);
