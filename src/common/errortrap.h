#pragma once

#include "appcontext.h"
#include "error.h"

// The main window's error trap: when PendingErrorText is empty it becomes
// "Error <n>\r\n<description>\r\n[Source: Quillo - <handler>]"; the text is shown with the
// critical icon and the title "Quillo", then PendingErrorText is emptied.
void reportTrappedError(AppContext &context, const QString &handler, qint32 number, const QString &description);
QString trappedErrorText(qint32 number, const QString &description, const QString &handler);

// Runs body inside the handler's error trap. Returns false when an error was reported.
template <typename Body>
bool errorTrap(AppContext &context, const QString &handler, Body &&body)
{
    try {
        body();
        return true;
    } catch (...) {
        const QuilloError error = currentError();
        reportTrappedError(context, handler, error.number(), error.description());
    }
    return false;
}
