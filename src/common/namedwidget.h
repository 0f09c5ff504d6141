#pragma once

#include <QPushButton>
#include <QString>

// Gives a control its object name, by which tests and accessibility tools find it, and the
// name a screen reader says for it (left as Qt makes it when not given).
template <typename T>
T *named(T *widget, const char *objectName, const QString &accessibleName = QString())
{
    widget->setObjectName(QLatin1String(objectName));
    if (!accessibleName.isNull())
        widget->setAccessibleName(accessibleName);
    return widget;
}

// A push button that a screen reader calls by its caption unless told otherwise.
inline QPushButton *namedButton(QWidget *parent, const char *objectName, const QString &caption,
                                const QString &accessibleName = QString())
{
    return named(new QPushButton(caption, parent), objectName,
                 accessibleName.isNull() ? caption : accessibleName);
}
