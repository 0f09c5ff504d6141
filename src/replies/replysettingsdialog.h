#pragma once

#include "replies/replysettings.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

// "Replies": whether the modems take replies while connected, the stop words of the
// recipients' language and the confirmation sent to whoever asks to stop.
class ReplySettingsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ReplySettingsDialog(const ReplySettings &settings, QWidget *parent = nullptr);

    ReplySettings settings() const;

private:
    QCheckBox *m_listen = nullptr;
    QLineEdit *m_stopWords = nullptr;
    QLineEdit *m_confirmation = nullptr;
};
