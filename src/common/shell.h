#pragma once

#include <QString>

// The platform's "open" action for documents, web addresses and mailto: links, and the help
// manual. False means the platform could not open it.
class Shell
{
public:
    virtual ~Shell() = default;
    virtual bool open(const QString &target) = 0;
    // Opens the help manual in helpFolder at the given topic page (such as "index.htm").
    virtual bool openHelp(const QString &helpFolder, const QString &topic) = 0;
};

class DesktopShell : public Shell
{
public:
    bool open(const QString &target) override;
    bool openHelp(const QString &helpFolder, const QString &topic) override;
};
