#include "modemlistdialog.h"

#include "common/namedwidget.h"
#include "portlist.h"
#include "settingsrules.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { kPort, kBaud, kDataBits, kParity, kStopBits, kPin, kColumns };

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
    m_table = named(new QTableWidget(0, kColumns, this), "tblMoreModems", QStringLiteral("More modems"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Port"), QStringLiteral("Baud Rate"), QStringLiteral("Data Bits"),
                                        QStringLiteral("Parity"), QStringLiteral("Stop Bits"), QStringLiteral("PIN")});
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
    layout->addWidget(m_table);
    layout->addLayout(rowButtons);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);
    resize(640, 280);
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
    for (int row = 0; row < m_table->rowCount(); ++row)
        out += ModemPort{textAt(m_table, row, kPort),     textAt(m_table, row, kBaud),
                         textAt(m_table, row, kDataBits), textAt(m_table, row, kStopBits),
                         textAt(m_table, row, kParity),   textAt(m_table, row, kPin)};
    return out;
}

QString ModemListDialog::refusal() const
{
    QStringList ports{m_first.Port};
    const QList<ModemPort> rows = modems();
    for (int row = 0; row < rows.size(); ++row) {
        const QString &port = rows[row].Port;
        if (port.isEmpty())
            return QStringLiteral("Row %1: choose the modem's port.").arg(row + 1);
        if (ports.contains(port, Qt::CaseInsensitive))
            return QStringLiteral("Row %1: the port %2 is already a modem of the run.").arg(row + 1).arg(port);
        ports += port;
    }
    return {};
}

void ModemListDialog::accept()
{
    m_problem->setText(refusal());
    if (m_problem->text().isEmpty())
        QDialog::accept();
}
