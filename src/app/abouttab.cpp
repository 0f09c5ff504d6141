#include "abouttab.h"

AboutTab::AboutTab(AppContext &context, MainFrame &frame, QWidget *parent)
    : QWidget(parent), m_context(context), m_frame(frame)
{
}

void AboutTab::fill() {}
