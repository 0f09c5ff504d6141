#pragma once

#include "comdetails.h"

#include <QString>

// Application-wide state, one object passed by reference to every part of the window.
struct AppState
{
    // Run flags: a run clears ContinueSending to stop; Exit and close during a run set their
    // request instead of closing.
    bool IsSending = false;
    bool ContinueSending = false;
    bool ExitRequested = false;
    bool CloseRequested = false;
    // True from the first step of start-up until the Messaging tab is selected at its end.
    bool IsLoading = false;

    QString ImportSourceType = QStringLiteral("Text"); // "Text", "Excel" or "Access"
    QString PendingErrorText;
    int MessageEncoding = 0;                           // 0 GSM default alphabet, 2 Unicode
    QString GsmExtensionChars;
    QString ProductVersionText;
    ComDetails Details;                                // the main window's ComDetails
    // The modems a run uses besides Details' port; empty for the usual one-modem run.
    QList<ModemPort> MoreModems;
};
