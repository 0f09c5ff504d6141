#pragma once

#include "appcontext.h"
#include "error.h"

#include <exception>
#include <new>

// The main window's error trap: when PendingErrorText is empty it becomes
// "Error <n>\r\n<description>\r\n[Source: Quillo - <handler>]"; the text is shown with the
// critical icon and the title "Quillo", then PendingErrorText is emptied.
void reportTrappedError(AppContext &context, const QString &handler, qint32 number, const QString &description);
QString trappedErrorText(qint32 number, const QString &description, const QString &handler);

// Error numbers for failures that are not QuilloErrors.
constexpr qint32 kErrOutOfMemory = 7;
constexpr qint32 kErrInternal = 51;

// Runs body inside the handler's error trap. Returns false when an error was reported.
template <typename Body>
bool errorTrap(AppContext &context, const QString &handler, Body &&body)
{
    try {
        body();
        return true;
    } catch (const QuilloError &error) {
        reportTrappedError(context, handler, error.number(), error.description());
    } catch (const std::bad_alloc &) {
        reportTrappedError(context, handler, kErrOutOfMemory, QStringLiteral("Out of memory"));
    } catch (const std::exception &error) {
        reportTrappedError(context, handler, kErrInternal, QString::fromLocal8Bit(error.what()));
    }
    return false;
}
