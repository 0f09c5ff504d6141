#pragma once

#include <array>

class QAction;

// The menu entries the window's parts answer or lock, built by the main window. An entry a
// window (or a test frame) leaves out stays null and the part that would use it skips it.
struct LogMenuActions
{
    std::array<QAction *, 3> type{}; // the log levels 0 to 2
    QAction *clear = nullptr;
    QAction *view = nullptr;
};

struct MenuActions
{
    // The entries that open the menus a sending run or a modem refresh locks.
    QAction *message = nullptr;
    QAction *phone = nullptr;
    QAction *log = nullptr;

    // Message
    QAction *msgImport = nullptr;
    QAction *msgEnglish = nullptr;
    QAction *msgOther = nullptr;
    QAction *msgFont = nullptr;
    QAction *msgPreview = nullptr;

    // Phone
    QAction *importText = nullptr;
    QAction *importExcel = nullptr;
    QAction *importAccess = nullptr;
    QAction *saveList = nullptr;
    QAction *clearList = nullptr;
    QAction *optOut = nullptr;

    // Log
    LogMenuActions sysLog;
    LogMenuActions msgLog;

    // Help
    QAction *helpManual = nullptr;
    QAction *helpOnline = nullptr;

    std::array<QAction *, 3> lockedForRun() const { return {message, phone, log}; }
};
