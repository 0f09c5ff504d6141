#pragma once

#include "common/mainframe.h"
#include "fakes.h"
#include "sending/messagecomposer.h"
#include "sending/messagingtab.h"
#include "recipients/recipientlist.h"
#include "recipients/recipientpanel.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QTabWidget>
#include <array>
#include <gtest/gtest.h>
#include <memory>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

// A window frame with the menus, status bar panels, progress bar and tabs the Messaging tab
// works with, named as in the main window, around a real MessagingTab after its start-up.
class MessagingFrame : public QMainWindow, public MainFrame
{
public:
    explicit MessagingFrame(TestContext &tc)
    {
        QMenuBar *bar = menuBar();
        QMenu *message = named(bar->addMenu(QStringLiteral("&Message")), "mnuMessage");
        m_menus.message = message->menuAction();
        m_menus.msgImport = addEntry(message, "mnuMsgImport");
        QMenu *language = named(message->addMenu(QStringLiteral("Language")), "mnuMsgLanguage");
        m_menus.msgEnglish = addEntry(language, "mnuMsgEng");
        m_menus.msgOther = addEntry(language, "mnuMsgOth");
        m_menus.msgEnglish->setCheckable(true);
        m_menus.msgOther->setCheckable(true);
        m_menus.msgFont = addEntry(message, "mnuMsgFont");
        QMenu *phone = named(bar->addMenu(QStringLiteral("&Phone")), "mnuPhone");
        m_menus.phone = phone->menuAction();
        QMenu *import = named(phone->addMenu(QStringLiteral("Import List")), "mnuImport");
        m_menus.importText = addEntry(import, "mnuImportTxt");
        m_menus.importExcel = addEntry(import, "mnuImportExl");
        m_menus.importAccess = addEntry(import, "mnuImportAcc");
        m_menus.saveList = addEntry(phone, "mnuSaveList");
        m_menus.clearList = addEntry(phone, "mnuClearList");
        m_menus.log = named(bar->addMenu(QStringLiteral("&Log")), "mnuLog")->menuAction();
        named(bar->addMenu(QStringLiteral("&Help")), "mnuHelp");

        m_tabs = new QTabWidget(this);
        setCentralWidget(m_tabs);
        m_progress = new QProgressBar(this);
        m_progress->setObjectName(QStringLiteral("ProgressBar1"));
        for (auto &panel : m_panels)
            panel = new QLabel(this);
        tab = new MessagingTab(tc.context, *this, m_tabs);
        m_tabs->addTab(tab, QStringLiteral("Messaging"));
        m_tabs->addTab(new QWidget, QStringLiteral("Settings"));
        tab->startUp();
        resize(800, 600);
    }

    QWidget *window() override { return this; }
    QTabWidget *tabs() override { return m_tabs; }
    QLabel *panel(int number) override { return m_panels.at(number - 1); }
    QProgressBar *progressBar() override { return m_progress; }
    const MenuActions &menus() override { return m_menus; }
    void performExit() override {}
    void addExitCleanup(std::function<void()>) override {}

    template <typename T>
    T *get(const char *name)
    {
        T *found = findChild<T *>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString status() { return m_panels[0]->text(); }
    RecipientList &list() { return tab->recipientList(); }
    RecipientPanel &recipients() { return *tab->recipients(); }
    MessageComposer &composer() { return *tab->composer(); }

    MessagingTab *tab = nullptr;

private:
    static QMenu *named(QMenu *menu, const char *name)
    {
        menu->setObjectName(QLatin1String(name));
        menu->menuAction()->setObjectName(QLatin1String(name));
        return menu;
    }
    static QAction *addEntry(QMenu *menu, const char *name)
    {
        QAction *action = menu->addAction(QLatin1String(name));
        action->setObjectName(QLatin1String(name));
        return action;
    }

    QTabWidget *m_tabs = nullptr;
    QProgressBar *m_progress = nullptr;
    std::array<QLabel *, 5> m_panels{};
    MenuActions m_menus;
};

// Save targets that cannot be written: a folder without write permission (left out for a
// user who ignores permissions) and a "folder" that is really a file.
struct UnwritableTargets
{
    UnwritableTargets(TestContext &tc, const QString &fileName) : locked(tc.makeFolder(QStringLiteral("locked")))
    {
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
        if (!QFile(locked + QStringLiteral("probe")).open(QIODevice::WriteOnly))
            paths << locked + fileName;
        QFile plain(tc.context.dataFolder + QStringLiteral("plain"));
        if (plain.open(QIODevice::WriteOnly))
            plain.close();
        paths << plain.fileName() + QLatin1Char('/') + fileName;
    }
    ~UnwritableTargets() { QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); }

    const QString locked;
    QStringList paths;
};
