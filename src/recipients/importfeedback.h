#pragma once

#include "common/dialogs.h"
#include "common/error.h"

#include <QString>
#include <exception>

// The import dialog's report of an unexpected failure: "<number> <description> <source>"
// in one line, OK only, no icon. An empty source is the application's own ("Quillo").
void ImportErrorBox(Dialogs &dialogs, qint32 number, const QString &description, const QString &source);
void ImportErrorBox(Dialogs &dialogs, const QuilloError &error);

// The hourglass while an import or a listing blocks. Like the window's single mouse-pointer
// setting it is either busy or normal: restore() makes it normal however many handlers
// (a listing retried inside a listing) asked for the hourglass, and the destructor makes
// sure the pointer is normal again when the handler leaves.
class BusyPointer
{
public:
    BusyPointer() = default;
    ~BusyPointer()
    {
        if (m_asked)
            restore();
    }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;

    void show();
    void restore();
    static bool isBusy();

private:
    bool m_asked = false;
};


// Any exception as the QuilloError it is reported as (an unexpected one as the
// application's own error).
QuilloError asQuilloError(std::exception_ptr failure);
