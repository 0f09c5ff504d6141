#pragma once

#include <QObject>
#include <QString>
#include <stdexcept>

// The control named objectName below root, found as the operator's tools (and accessibility)
// find it. A missing one ends the test with its name rather than a null dereference.
template <typename T>
T *findControl(const QObject &root, const QString &objectName)
{
    T *found = root.findChild<T *>(objectName);
    if (!found)
        throw std::runtime_error("control not found: " + objectName.toStdString());
    return found;
}

template <typename T>
T *findControl(const QObject &root, const char *objectName)
{
    return findControl<T>(root, QString::fromLatin1(objectName));
}
