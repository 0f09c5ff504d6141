#pragma once

#include "common/appcontext.h"

#include <QObject>

class MainFrame;

// The Help menu's two entries and the About tab's two links. The manual opens silently
// (what the viewer makes of a missing file is its own affair); the web and e-mail targets
// report a failure of the desktop's opener in a box.
class HelpLinks : public QObject
{
    Q_OBJECT
public:
    explicit HelpLinks(AppContext &context, QObject *parent = nullptr);

    // Connects mnuHelpManual (also F1) and mnuHelpOnline of the main window's menu.
    void connectMenu(MainFrame &frame);

    void mnuHelpManual_Click();
    void mnuHelpOnline_Click();
    void lblWebsite_Click();
    void lblEmail_Click();

    // The folder of the manual: "help" under the application folder.
    QString helpFolder() const;
    static QString helpIndexTopic() { return QStringLiteral("index.htm"); }

private:
    void openTarget(const QString &handler, const QString &target, const QString &failureText);

    AppContext &m_context;
};
