#include "helplinks.h"

#include "common/errortrap.h"
#include "common/mainframe.h"
#include "productinfo.h"

#include <QAction>

HelpLinks::HelpLinks(AppContext &context, QObject *parent) : QObject(parent), m_context(context) {}

void HelpLinks::connectMenu(MainFrame &frame)
{
    const MenuActions &menus = frame.menus();
    connect(menus.helpManual, &QAction::triggered, this, &HelpLinks::mnuHelpManual_Click);
    connect(menus.helpOnline, &QAction::triggered, this, &HelpLinks::mnuHelpOnline_Click);
}

QString HelpLinks::helpFolder() const
{
    return m_context.appFolder + QStringLiteral("help");
}

void HelpLinks::mnuHelpManual_Click()
{
    // Every error is ignored: the operator asked for help, not for another problem.
    try {
        m_context.shell.openHelp(helpFolder(), helpIndexTopic());
    } catch (...) {
        noteIgnoredError("opening the help manual");
    }
}

void HelpLinks::mnuHelpOnline_Click()
{
    openTarget(QStringLiteral("mnuHelpOnline_Click"), ProductInfo::supportPageUrl(),
               QStringLiteral("Unable to browser"));
}

void HelpLinks::lblWebsite_Click()
{
    openTarget(QStringLiteral("lblWebsite_Click"), ProductInfo::webSiteUrl(), QStringLiteral("Unable to browser"));
}

void HelpLinks::lblEmail_Click()
{
    openTarget(QStringLiteral("lblEmail_Click"), QStringLiteral("mailto:") + ProductInfo::supportEmail(),
               QStringLiteral("Unable to open email client"));
}

void HelpLinks::openTarget(const QString &handler, const QString &target, const QString &failureText)
{
    errorTrap(m_context, handler, [&] {
        if (!m_context.shell.open(target))
            m_context.dialogs.message(failureText);
    });
}
