#include "optoutdialog.h"

#include "common/errortrap.h"
#include "common/namedwidget.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

OptOutDialog::OptOutDialog(AppContext &context, QWidget *parent)
    : QDialog(parent), m_context(context),
      m_list(OptOutList::pathIn(context.dataFolder), NumberNormaliser(context.state.Details.Country))
{
    setObjectName(QStringLiteral("frmOptOut"));
    setWindowTitle(QStringLiteral("Opt-out List"));

    auto *about = new QLabel(QStringLiteral("A sending run never sends to these numbers.\n%1")
                                 .arg(QDir::toNativeSeparators(m_list.path())),
                             this);
    about->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_txtOptOut = named(new QLineEdit(this), "txtOptOut", QStringLiteral("Number to opt out"));
    m_cmdAdd = namedButton(this, "cmdOptOutAdd", QStringLiteral("Add"));
    m_lstOptOut = named(new QListWidget(this), "lstOptOut", QStringLiteral("Opted-out numbers"));
    m_lstOptOut->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_cmdRemove = namedButton(this, "cmdOptOutRemove", QStringLiteral("Remove"));
    auto *close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    close->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("cmdOptOutClose"));

    auto *entryRow = new QHBoxLayout;
    entryRow->addWidget(m_txtOptOut, 1);
    entryRow->addWidget(m_cmdAdd);
    auto *bottomRow = new QHBoxLayout;
    bottomRow->addWidget(m_cmdRemove);
    bottomRow->addStretch(1);
    bottomRow->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(about);
    layout->addLayout(entryRow);
    layout->addWidget(m_lstOptOut, 1);
    layout->addLayout(bottomRow);

    connect(m_cmdAdd, &QPushButton::clicked, this, &OptOutDialog::cmdOptOutAdd_Click);
    connect(m_txtOptOut, &QLineEdit::returnPressed, this, &OptOutDialog::cmdOptOutAdd_Click);
    connect(m_cmdRemove, &QPushButton::clicked, this, &OptOutDialog::cmdOptOutRemove_Click);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Enter in the number box adds; it must not close the dialog through a default button.
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);
    resize(360, 420);
}

bool OptOutDialog::Form_Load()
{
    if (!reload())
        return false;
    if (const QString warning = m_list.badLinesWarning(); !warning.isEmpty())
        m_context.dialogs.exclamation(warning);
    return true;
}

bool OptOutDialog::reload()
{
    const bool read = errorTrap(m_context, QStringLiteral("frmOptOut_Load"), [&] { m_list.load(); });
    showNumbers();
    return read;
}

bool OptOutDialog::save()
{
    const bool saved = errorTrap(m_context, QStringLiteral("frmOptOut_Save"), [&] { m_list.save(); });
    if (!saved)
        reload(); // show what the file holds, not what failed to reach it
    showNumbers();
    return saved;
}

void OptOutDialog::cmdOptOutAdd_Click()
{
    const QString number = m_txtOptOut->text().trimmed();
    if (number.isEmpty() || !reload())
        return;
    switch (m_list.add(number)) {
    case OptOutList::Added::NotANumber: {
        const NumberNormaliser normaliser(m_context.state.Details.Country);
        m_context.dialogs.exclamation(
            normaliser.isOn()
                ? QStringLiteral("%1 is not a valid phone number for %2.").arg(number, numberCountryCaption(normaliser.country()))
                : QStringLiteral("%1 is not a phone number.").arg(number));
        return;
    }
    case OptOutList::Added::AlreadyListed:
        m_context.dialogs.information(QStringLiteral("%1 is already on the opt-out list.").arg(number));
        return;
    case OptOutList::Added::Added:
        if (save())
            m_txtOptOut->clear();
        return;
    }
}

void OptOutDialog::cmdOptOutRemove_Click()
{
    QStringList chosen;
    for (const QListWidgetItem *item : m_lstOptOut->selectedItems())
        chosen << item->text();
    if (chosen.isEmpty() || !reload())
        return;
    for (const QString &number : std::as_const(chosen))
        m_list.remove(number);
    save();
}

void OptOutDialog::showNumbers()
{
    m_lstOptOut->clear();
    m_lstOptOut->addItems(m_list.numbers());
}

void showOptOutDialog(AppContext &context, QWidget *parent)
{
    OptOutDialog dialog(context, parent);
    if (dialog.Form_Load())
        dialog.exec();
}
