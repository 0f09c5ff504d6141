#pragma once

#include <QFileInfo>
#include <QString>

// The file dialogs accept any name the operator types; a chosen file whose extension is not
// the dialog's default is refused with "Invalid file selection!". Extensions compare without
// regard to case, as the file system the files come from does.
inline bool hasDefaultExtension(const QString &path, const QString &defaultExt)
{
    return QFileInfo(path).suffix().compare(defaultExt, Qt::CaseInsensitive) == 0;
}

inline const QString kTextFileFilter = QStringLiteral("Text Files (*.txt)|*.txt");
inline const QString kInvalidFileSelection = QStringLiteral("Invalid file selection!");
