#pragma once

#include <QString>

// Removes leading and trailing space characters only, as the desktop tools' Trim does:
// tabs and other white space are data.
QString trimSpaces(const QString &text);
