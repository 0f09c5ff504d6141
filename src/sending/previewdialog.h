#pragma once

#include "sending/runsummary.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPlainTextEdit;

// The preview (dlgPreview, "Message Preview"): for the recipient chosen in cboPreviewNumber,
// the exact text that will be sent, its alphabet and the characters that force UCS2, its
// number of SMS parts, and what is wrong with it (placeholders without a value, a text cut
// short). Opened from Message > Preview with Close, or before a run with personal texts with
// Continue and Back.
class PreviewDialog : public QDialog
{
    Q_OBJECT
public:
    enum class Purpose { Look, BeforeStart };

    PreviewDialog(const RunPlan &plan, Purpose purpose, QWidget *parent = nullptr);

    void showRecipient(int index);

private:
    RunPlan m_plan;
    QComboBox *m_number = nullptr;
    QPlainTextEdit *m_text = nullptr;
    QLabel *m_alphabet = nullptr;
    QLabel *m_parts = nullptr;
    QLabel *m_note = nullptr;
};
