#include "replysettingsdialog.h"

#include "common/namedwidget.h"
#include "replies/stopkeywords.h"
#include "settings/inihandling.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

ReplySettingsDialog::ReplySettingsDialog(const ReplySettings &s, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgReplies"));
    setWindowTitle(QStringLiteral("Replies"));
    const QString listenCaption = QStringLiteral("Take replies while the modems are connected");
    m_listen = named(new QCheckBox(QStringLiteral("&") + listenCaption, this), "chkRepliesListen", listenCaption);
    m_listen->setChecked(s.listen);
    m_stopWords = named(new QLineEdit(s.stopWords.join(QStringLiteral(", ")), this), "txtStopWords",
                        QStringLiteral("Stop words of the recipients' language"));
    m_stopWords->setPlaceholderText(QStringLiteral("e.g. ARRET, ALTO"));
    m_confirmation = named(new QLineEdit(s.stopConfirmation, this), "txtStopConfirmation",
                           QStringLiteral("Confirmation sent to whoever asks to stop"));
    m_confirmation->setPlaceholderText(QStringLiteral("None"));
    // A longer value would be cut short when the settings file is read back.
    for (QLineEdit *edit : {m_stopWords, m_confirmation}) {
        edit->setMaxLength(INIHandling::kMaxValueLength);
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 40);
    }
    auto *always = new QLabel(QStringLiteral("A reply that is only one of these always asks to stop: %1.")
                                  .arg(StopKeywords::standardWords().join(QStringLiteral(", "))),
                              this);
    always->setWordWrap(true);

    auto *form = new QFormLayout;
    const auto row = [&](const QString &caption, QLineEdit *edit) {
        auto *label = new QLabel(caption, this);
        label->setBuddy(edit);
        form->addRow(label, edit);
    };
    row(QStringLiteral("&Stop words (comma-separated):"), m_stopWords);
    form->addRow(QString(), always);
    row(QStringLiteral("&Confirmation sent once:"), m_confirmation);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *column = new QVBoxLayout(this);
    column->addWidget(m_listen);
    column->addLayout(form);
    column->addWidget(buttons);
}

ReplySettings ReplySettingsDialog::settings() const
{
    return {stopWordsFrom(m_stopWords->text()), trimSpaces(m_confirmation->text()), m_listen->isChecked()};
}
