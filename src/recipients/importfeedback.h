#pragma once

#include "common/dialogs.h"
#include "common/error.h"

#include <QString>
#include <exception>

// The import dialog's report of an unexpected failure: "<number> <description> <source>"
// in one line, OK only, no icon. An empty source is the application's own ("Quillo").
void ImportErrorBox(Dialogs &dialogs, qint32 number, const QString &description, const QString &source);
void ImportErrorBox(Dialogs &dialogs, const QuilloError &error);

// Any exception as the QuilloError it is reported as (an unexpected one as the
// application's own error).
QuilloError asQuilloError(std::exception_ptr failure);
