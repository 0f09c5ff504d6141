#pragma once

#include "menuactions.h"

#include <QLabel>
#include <QProgressBar>
#include <QTabWidget>
#include <QWidget>
#include <functional>

// What the parts of the window see of the main window's frame: the tabs, the menu entries,
// the five status bar panels and the progress bar. Every control carries its documented
// object name, by which tests and accessibility tools find it.
class MainFrame
{
public:
    virtual ~MainFrame() = default;

    virtual QWidget *window() = 0;
    virtual QTabWidget *tabs() = 0;
    virtual QLabel *panel(int number) = 0; // 1 to 5
    virtual QProgressBar *progressBar() = 0;
    virtual const MenuActions &menus() = 0;
    // The Exit command (mnuExit_Click), also performed by a run ended by a user abort.
    virtual void performExit() = 0;
    // Run when the application ends through Exit or close: releases what a part holds
    // (a component, a log object, database connections).
    virtual void addExitCleanup(std::function<void()> cleanup) = 0;
};
