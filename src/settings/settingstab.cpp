#include "settingstab.h"

SettingsTab::SettingsTab(AppContext &context, MainFrame &frame, QWidget *parent)
    : QWidget(parent), m_context(context), m_frame(frame)
{
}

void SettingsTab::fillChoiceLists() {}
void SettingsTab::LoadComDetails() {}
bool SettingsTab::differsFromStored() const { return false; }
bool SettingsTab::cmdOK_Click() { return false; }
