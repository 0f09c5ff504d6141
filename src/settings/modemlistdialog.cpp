#include "modemlistdialog.h"

#include "common/namedwidget.h"
#include "sending/pacing.h"
#include "portlist.h"
#include "settingsrules.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { kPort, kBaud, kDataBits, kParity, kStopBits, kPin, kPacing, kColumns = kPacing + 5 };

// A modem's pacing fields, in the columns' order (and the first modem's fields' order).
QString ModemPacing::*const kPacingFields[] = {&ModemPacing::MinPause, &ModemPacing::MaxPause,
                                               &ModemPacing::PartsPerHour, &ModemPacing::PartsPerDay,
                                               &ModemPacing::RecipientsPerDay};
const QStringList &pacingCaptions()
{
    using namespace pacingfield;
    static const QStringList captions{kMinPause, kMaxPause, kPartsPerHour, kPartsPerDay, kRecipientsPerDay};
    return captions;
}

QLineEdit *pacingEdit(const QString &value, const QString &caption)
{
    auto *edit = new QLineEdit(value);
    edit->setPlaceholderText(QStringLiteral("none"));
    edit->setAccessibleName(caption);
    return edit;
}

QComboBox *choice(const QStringList &entries, const QString &value, bool editable)
{
    auto *box = new QComboBox;
    box->addItems(entries);
    box->setEditable(editable);
    // A device the system does not list (a pseudo-terminal) is kept as typed.
    const int at = box->findText(value, Qt::MatchFixedString);
    if (at >= 0)
        box->setCurrentIndex(at);
    else
        box->setCurrentText(value);
    return box;
}

QString textAt(const QTableWidget *table, int row, int column)
{
    QWidget *cell = table->cellWidget(row, column);
    if (auto *box = qobject_cast<QComboBox *>(cell))
        return box->currentText().trimmed();
    return static_cast<QLineEdit *>(cell)->text().trimmed();
}

} // namespace

ModemListDialog::ModemListDialog(const ModemPort &first, const QList<ModemPort> &modems, QWidget *parent)
    : QDialog(parent), m_first(first)
{
    setObjectName(QStringLiteral("dlgMoreModems"));
    setWindowTitle(QStringLiteral("More Modems"));
    auto *note = new QLabel(QStringLiteral("A run sends through the modem of the Settings tab (%1) and through "
                                           "each modem below at once.").arg(first.Port), this);
    note->setWordWrap(true);
    // The first modem's pacing is kept here too, as its port settings are the Settings tab's.
    auto *firstPacing = new QGridLayout;
    firstPacing->addWidget(new QLabel(QStringLiteral("Pacing of %1:").arg(first.Port), this), 1, 0);
    for (int i = 0; i < 5; ++i) {
        const QString &caption = pacingCaptions().at(i);
        firstPacing->addWidget(new QLabel(caption, this), 0, i + 1);
        m_firstPacing[i] = pacingEdit(first.Pacing.*kPacingFields[i], caption);
        m_firstPacing[i]->setObjectName(QStringLiteral("txtFirstPacing%1").arg(i));
        firstPacing->addWidget(m_firstPacing[i], 1, i + 1);
    }
    auto *pacingNote = new QLabel(QStringLiteral("Pacing keeps SIM cards alive: a random pause between messages, from "
                                                 "the minimum to the maximum, and caps on what each SIM sends in the "
                                                 "last hour and the last 24 hours. Empty: no limit."), this);
    pacingNote->setWordWrap(true);
    m_table = named(new QTableWidget(0, kColumns, this), "tblMoreModems", QStringLiteral("More modems"));
    m_table->setHorizontalHeaderLabels(QStringList{QStringLiteral("Port"), QStringLiteral("Baud Rate"),
                                                   QStringLiteral("Data Bits"), QStringLiteral("Parity"),
                                                   QStringLiteral("Stop Bits"), QStringLiteral("PIN")}
                                       + pacingCaptions());
    m_table->horizontalHeader()->setSectionResizeMode(kPort, QHeaderView::Stretch);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const ModemPort &modem : modems)
        addModem(modem);

    auto *add = namedButton(this, "cmdAddModem", QStringLiteral("Add"), QStringLiteral("Add modem"));
    auto *remove = namedButton(this, "cmdRemoveModem", QStringLiteral("Remove"), QStringLiteral("Remove modem"));
    connect(add, &QPushButton::clicked, this, [this] {
        ModemPort modem = m_first;
        modem.Port.clear();
        addModem(modem);
    });
    connect(remove, &QPushButton::clicked, this, &ModemListDialog::removeSelected);
    m_problem = named(new QLabel(this), "lblModemProblem");
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ModemListDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ModemListDialog::reject);

    auto *rowButtons = new QHBoxLayout;
    rowButtons->addWidget(add);
    rowButtons->addWidget(remove);
    rowButtons->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(pacingNote);
    layout->addLayout(firstPacing);
    layout->addWidget(m_table);
    layout->addLayout(rowButtons);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);
    resize(1000, 320);
}

void ModemListDialog::addModem(const ModemPort &modem)
{
    const int row = m_table->rowCount();
    m_table->insertRow(row);
    m_table->setCellWidget(row, kPort, choice(portListEntries(), modem.Port, true));
    m_table->setCellWidget(row, kBaud, choice(SettingsRules::baudRateChoices(), modem.BaudRate, false));
    m_table->setCellWidget(row, kDataBits, choice(SettingsRules::dataBitsChoices(), modem.DataBits, false));
    m_table->setCellWidget(row, kParity, choice(SettingsRules::parityChoices(), modem.Parity, false));
    m_table->setCellWidget(row, kStopBits, choice(SettingsRules::stopBitsChoices(), modem.StopBits, false));
    auto *pin = new QLineEdit(modem.PIN);
    pin->setEchoMode(QLineEdit::Password);
    m_table->setCellWidget(row, kPin, pin);
    for (int i = 0; i < 5; ++i)
        m_table->setCellWidget(row, kPacing + i, pacingEdit(modem.Pacing.*kPacingFields[i], pacingCaptions().at(i)));
    m_table->selectRow(row);
}

void ModemListDialog::removeSelected()
{
    const int row = m_table->currentRow();
    if (row >= 0)
        m_table->removeRow(row);
}

QList<ModemPort> ModemListDialog::modems() const
{
    QList<ModemPort> out;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        ModemPort modem{textAt(m_table, row, kPort),     textAt(m_table, row, kBaud),
                        textAt(m_table, row, kDataBits), textAt(m_table, row, kStopBits),
                        textAt(m_table, row, kParity),   textAt(m_table, row, kPin)};
        for (int i = 0; i < 5; ++i)
            modem.Pacing.*kPacingFields[i] = textAt(m_table, row, kPacing + i);
        out += modem;
    }
    return out;
}

ModemPacing ModemListDialog::firstPacing() const
{
    ModemPacing pacing;
    for (int i = 0; i < 5; ++i)
        pacing.*kPacingFields[i] = m_firstPacing[i]->text().trimmed();
    return pacing;
}

QString ModemListDialog::refusal() const
{
    PacingLimits limits;
    if (const QString refusal = readPacing(firstPacing(), limits); !refusal.isEmpty())
        return QStringLiteral("%1: %2.").arg(m_first.Port, refusal);
    QStringList ports{m_first.Port};
    const QList<ModemPort> rows = modems();
    for (int row = 0; row < rows.size(); ++row) {
        const QString &port = rows[row].Port;
        if (port.isEmpty())
            return QStringLiteral("Row %1: choose the modem's port.").arg(row + 1);
        if (ports.contains(port, Qt::CaseInsensitive))
            return QStringLiteral("Row %1: the port %2 is already a modem of the run.").arg(row + 1).arg(port);
        ports += port;
        if (const QString refusal = readPacing(rows[row].Pacing, limits); !refusal.isEmpty())
            return QStringLiteral("Row %1 (%2): %3.").arg(row + 1).arg(port, refusal);
    }
    return {};
}

void ModemListDialog::accept()
{
    m_problem->setText(refusal());
    if (m_problem->text().isEmpty())
        QDialog::accept();
}
