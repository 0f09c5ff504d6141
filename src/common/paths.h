#pragma once

#include <QString>

// True when path names an existing folder; any error gives false.
bool FolderExists(const QString &path);
// The path with the platform's separator appended when it does not end with one; empty stays empty.
QString AddBackslash(const QString &path);
// The preferred folder when it exists, else the fallback. Never creates anything.
QString PreferredFolder(const QString &preferred, const QString &fallback);
