#pragma once

#include "common/appcontext.h"
#include "optoutlist.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;

// Phone > Opt-out List: the numbers that never get a message (optoutlist.h), to look at, add
// to and remove from. Every change is written to the file at once; the file is read again
// before each change, so numbers quillo-cli added meanwhile are kept.
class OptOutDialog : public QDialog
{
    Q_OBJECT
public:
    OptOutDialog(AppContext &context, QWidget *parent = nullptr);

    // Reads the list; its lines that are not numbers are named in one warning. False (the
    // error shown) when the file cannot be read.
    bool Form_Load();
    // The number box's number onto the list, as Enter in the box does.
    void cmdOptOutAdd_Click();
    // The selected numbers, in every spelling, off the list.
    void cmdOptOutRemove_Click();

private:
    bool reload();
    bool save();
    void showNumbers();

    AppContext &m_context;
    OptOutList m_list;
    QLineEdit *m_txtOptOut = nullptr;
    QListWidget *m_lstOptOut = nullptr;
    QPushButton *m_cmdAdd = nullptr;
    QPushButton *m_cmdRemove = nullptr;
};

// The dialog, modal over parent, from the Phone menu.
void showOptOutDialog(AppContext &context, QWidget *parent);
