#pragma once

#include "common/appcontext.h"
#include "common/mainframe.h"

#include <QWidget>

class HelpLinks;
class LinkLabel;
class QLabel;

// The "About" tab: the version, the two legal notices, the web-site and e-mail links and
// three pictures. It also answers the Help menu, which opens the same kind of targets.
class AboutTab : public QWidget
{
    Q_OBJECT
public:
    AboutTab(AppContext &context, MainFrame &frame, QWidget *parent = nullptr);

    // Start-up: lblAbout1 from ProductVersionText, the two legal notices.
    void fill();

    HelpLinks &helpLinks() { return *m_links; }

private:
    QLabel *makePicture(QWidget *page, const char *objectName, const QString &picture,
                        const QString &description);

    AppContext &m_context;
    MainFrame &m_frame;
    HelpLinks *m_links = nullptr;
    QLabel *m_about1 = nullptr;
    QLabel *m_about2 = nullptr;
    QLabel *m_about3 = nullptr;
    LinkLabel *m_website = nullptr;
    LinkLabel *m_email = nullptr;
};
