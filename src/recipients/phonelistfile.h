#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The phone list file: one entry per line, exactly as held in the list (blanks and "+"
// kept), in the "ANSI" encoding, CR LF after every line including the last. The text
// import reads it back.
QByteArray formatPhoneList(const QStringList &entries);

// Writes the file, replacing it; throws QuilloError with the reason when it cannot.
void writePhoneList(const QString &path, const QStringList &entries);
