#include "previewdialog.h"

#include "common/namedwidget.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

PreviewDialog::PreviewDialog(const RunPlan &plan, Purpose purpose, QWidget *parent)
    : QDialog(parent), m_plan(plan)
{
    setObjectName(QStringLiteral("dlgPreview"));
    setWindowTitle(QStringLiteral("Message Preview"));
    setModal(true);

    m_number = named(new QComboBox(this), "cboPreviewNumber", QStringLiteral("Recipient"));
    for (const PersonalMessage &m : m_plan.messages)
        m_number->addItem(m.number);
    m_text = named(new QPlainTextEdit(this), "txtPreviewText", QStringLiteral("Text sent"));
    m_text->setReadOnly(true);
    m_alphabet = named(new QLabel(this), "lblPreviewAlphabet", QStringLiteral("Alphabet"));
    m_alphabet->setWordWrap(true);
    m_parts = named(new QLabel(this), "lblPreviewParts", QStringLiteral("SMS parts"));
    m_note = named(new QLabel(this), "lblPreviewNote", QStringLiteral("Note"));
    m_note->setWordWrap(true);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Recipient:"), m_number);
    form->addRow(QStringLiteral("Text sent:"), m_text);
    form->addRow(QStringLiteral("Alphabet:"), m_alphabet);
    form->addRow(QStringLiteral("SMS parts:"), m_parts);
    form->addRow(QString(), m_note);

    auto *buttons = new QDialogButtonBox(this);
    if (purpose == Purpose::Look) {
        named(buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::AcceptRole), "cmdPreviewClose",
              QStringLiteral("Close"));
    } else {
        named(buttons->addButton(QStringLiteral("Continue"), QDialogButtonBox::AcceptRole), "cmdPreviewContinue",
              QStringLiteral("Continue"));
        named(buttons->addButton(QStringLiteral("Back"), QDialogButtonBox::RejectRole), "cmdPreviewBack",
              QStringLiteral("Back"));
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(480, 360);

    connect(m_number, &QComboBox::currentIndexChanged, this, &PreviewDialog::showRecipient);
    showRecipient(0);
}

void PreviewDialog::showRecipient(int index)
{
    if (index < 0 || index >= m_plan.messages.size())
        return;
    if (m_number->currentIndex() != index)
        m_number->setCurrentIndex(index);
    const PersonalMessage &m = m_plan.messages.at(index);
    m_text->setPlainText(m.text);
    QString alphabet = m.encoding == 2 ? QStringLiteral("UCS2") : QStringLiteral("GSM 7-bit");
    if (!m.notGsm.isEmpty())
        alphabet += m.encoding == 2 ? QStringLiteral(", because of: ") + m.notGsm
                                    : QStringLiteral("; not in the GSM alphabet, sent as \"?\": ") + m.notGsm;
    m_alphabet->setText(alphabet);
    m_parts->setText(QString::number(m.parts));
    QStringList notes;
    for (const QString &name : m.missing)
        notes << QStringLiteral("{") + name + QStringLiteral("} has no value and is left empty.");
    if (m.cutShort)
        notes << QStringLiteral("Longer than one SMS: cut short, as long messages are truncated (Settings).");
    m_note->setText(notes.join(QLatin1Char('\n')));
}
