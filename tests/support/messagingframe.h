#pragma once

#include "app/mainwindow.h"
#include "fakes.h"
#include "sending/messagecomposer.h"
#include "sending/messagingtab.h"
#include "recipients/recipientlist.h"
#include "recipients/recipientpanel.h"

#include <QApplication>
#include <QFile>
#include <gtest/gtest.h>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

// The main window after its start-up, with short ways into its Messaging tab.
class MessagingFrame : public MainWindow
{
public:
    explicit MessagingFrame(TestContext &tc) : MainWindow(tc.context, [] {}) { Form_Load(); }

    template <typename T>
    T *get(const char *name)
    {
        T *found = findChild<T *>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString status() { return panel(1)->text(); }
    RecipientList &list() { return messagingTab()->recipientList(); }
    RecipientPanel &recipients() { return *messagingTab()->recipients(); }
    MessageComposer &composer() { return *messagingTab()->composer(); }
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
