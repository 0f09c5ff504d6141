#pragma once

#include "common/comdetails.h"

#include <QDialog>
#include <QList>

class QTableWidget;

// "More Modems": the modems a run uses besides the Settings tab's port, one row each with
// its port, port settings and pacing; above them the first modem's pacing. Add appends a row
// with the first modem's settings; Remove drops the selected row. OK is refused (with the
// reason shown in the dialog) while a port is empty or named twice, or a pacing value does
// not read (naming the modem and the field).
class ModemListDialog : public QDialog
{
    Q_OBJECT
public:
    // first: the Settings tab's port values, the pool's first modem.
    ModemListDialog(const ModemPort &first, const QList<ModemPort> &modems, QWidget *parent = nullptr);

    QList<ModemPort> modems() const;
    ModemPacing firstPacing() const;
    void addModem(const ModemPort &modem);
    void removeSelected();
    // Why the rows cannot be kept as they stand, or empty.
    QString refusal() const;
    void accept() override;

private:
    ModemPort m_first;
    QTableWidget *m_table = nullptr;
    class QLabel *m_problem = nullptr;
    class QLineEdit *m_firstPacing[5] = {};
};
