#pragma once

#include "appstate.h"
#include "clock.h"
#include "dialogs.h"
#include "shell.h"

#include "kestrel/smscomponent.h"

#include <QString>

// What every part of the window is given: the state, the services and the two folders.
// Tests build one with scripted services and temporary folders.
struct AppContext
{
    AppState &state;
    Dialogs &dialogs;
    Shell &shell;
    Clock &clock;
    SmsComponentFactory componentFactory;
    QString appFolder;  // the program's own folder, holding help/; with its trailing separator
    QString dataFolder; // settings, logs, Phone Lists, Message Files (see datafolder.h); likewise
};
