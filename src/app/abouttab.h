#pragma once

#include "common/appcontext.h"
#include "common/mainframe.h"

#include <QWidget>

// The "About" tab: version, legal notices, web and e-mail links, pictures.
class AboutTab : public QWidget
{
    Q_OBJECT
public:
    AboutTab(AppContext &context, MainFrame &frame, QWidget *parent = nullptr);

    // Start-up: lblAbout1 from ProductVersionText, the two legal notices.
    void fill();

private:
    AppContext &m_context;
    MainFrame &m_frame;
};
