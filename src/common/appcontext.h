#pragma once

#include "appstate.h"
#include "clock.h"
#include "dialogs.h"
#include "shell.h"

#include "kestrel/smscomponent.h"

#include <QString>

// What every part of the window is given: the state, the services and the application
// folder. Tests build one with scripted services and a temporary folder.
struct AppContext
{
    AppState &state;
    Dialogs &dialogs;
    Shell &shell;
    Clock &clock;
    SmsComponentFactory componentFactory;
    QString appFolder; // with its trailing separator
};
