#include "recipientpanel.h"

#include "common/busypointer.h"
#include "common/errortrap.h"
#include "common/namedwidget.h"
#include "common/paths.h"
#include "common/text.h"
#include "numbernormaliser.h"
#include "common/ansitext.h"
#include "phonelistcsv.h"
#include "phonelistfile.h"
#include "phonenumber.h"
#include "textfilechoice.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScopeGuard>
#include <QSet>
#include <QVBoxLayout>

namespace {

const QString kInvalidNumber = QStringLiteral("Enter valid phone number format.\r\n(e.g. 9812345678 or +919812345678)");
const QString kListFull = QStringLiteral("The phone number list is full (32767 numbers).\r\n"
                                         "Remove numbers from the list before adding more.");

} // namespace

RecipientPanel::RecipientPanel(AppContext &context, MainFrame &frame, QWidget *parent)
    : QGroupBox(QStringLiteral("Send Message To"), parent), m_context(context), m_frame(frame), m_status(frame.panel(1))
{
    setObjectName(QStringLiteral("fraSendTo"));
    buildControls();
    connectMenus();
}

void RecipientPanel::buildControls()
{
    m_txtMno = new QLineEdit(this);
    m_txtMno->setObjectName(QStringLiteral("txtMno"));
    m_txtMno->setAccessibleName(QStringLiteral("Phone number"));
    m_cmdAddMno = namedButton(this, "cmdAddMno", QStringLiteral("Add"));

    // The list is the model's view; it owns the model so the model lives as long as the
    // window and is found by name below it.
    m_lstMno = new QListView(this);
    m_lstMno->setObjectName(QStringLiteral("lstMno"));
    m_lstMno->setAccessibleName(QStringLiteral("Phone numbers"));
    m_lstMno->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lstMno->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lstMno->setUniformItemSizes(true);
    m_list = new RecipientList(m_lstMno);
    m_lstMno->setModel(m_list);
    m_lstMno->installEventFilter(this);

    m_cmdRemove = namedButton(this, "cmdRemove", QStringLiteral("Remove"));
    m_cmdRemoveAll = namedButton(this, "cmdRemoveAll", QStringLiteral("Remove All"));
    m_cmdSelectFile = namedButton(this, "cmdSelectFile", QStringLiteral("Import"));
    m_cmdSave = namedButton(this, "cmdSave", QStringLiteral("Save As"));

    auto *entryRow = new QHBoxLayout;
    entryRow->addWidget(m_txtMno, 1);
    entryRow->addWidget(m_cmdAddMno);
    auto *buttons = new QGridLayout;
    buttons->addWidget(m_cmdRemove, 0, 0);
    buttons->addWidget(m_cmdRemoveAll, 0, 1);
    buttons->addWidget(m_cmdSelectFile, 1, 0);
    buttons->addWidget(m_cmdSave, 1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(entryRow);
    layout->addWidget(m_lstMno, 1);
    layout->addLayout(buttons);

    connect(m_cmdAddMno, &QPushButton::clicked, this, &RecipientPanel::cmdAddMno_Click);
    // Enter in the entry box adds the number, as the Add button does.
    connect(m_txtMno, &QLineEdit::returnPressed, this, &RecipientPanel::cmdAddMno_Click);
    connect(m_cmdRemove, &QPushButton::clicked, this, &RecipientPanel::cmdRemove_Click);
    connect(m_cmdRemoveAll, &QPushButton::clicked, this, &RecipientPanel::cmdRemoveAll_Click);
    connect(m_cmdSelectFile, &QPushButton::clicked, this, &RecipientPanel::cmdSelectFile_Click);
    connect(m_cmdSave, &QPushButton::clicked, this, &RecipientPanel::cmdSave_Click);
}

RecipientPanel::RunLockedControls RecipientPanel::runLockedControls() const
{
    return {m_txtMno, m_lstMno, m_cmdAddMno, m_cmdRemove, m_cmdRemoveAll, m_cmdSelectFile, m_cmdSave};
}

void RecipientPanel::connectMenus()
{
    const MenuActions &menus = m_frame.menus();
    const auto onMenu = [&](QAction *action, auto handler) {
        if (action)
            connect(action, &QAction::triggered, this, handler);
    };
    onMenu(menus.importText, [this] { mnuImport_Click(QStringLiteral("Text")); });
    onMenu(menus.importExcel, [this] { mnuImport_Click(QStringLiteral("Excel")); });
    onMenu(menus.importAccess, [this] { mnuImport_Click(QStringLiteral("Access")); });
    onMenu(menus.saveList, [this] { cmdSave_Click(); });
    onMenu(menus.clearList, [this] { cmdRemoveAll_Click(); });
}

void RecipientPanel::cmdAddMno_Click()
{
    errorTrap(m_context, QStringLiteral("cmdAddMno_Click"), [&] {
        const QString typed = m_txtMno->text();
        if (trimSpaces(typed).isEmpty())
            return;
        QString number = typed;
        const NumberNormaliser normaliser(m_context.state.Details.Country);
        if (normaliser.isOn()) {
            number = normaliser.international(typed);
            if (number.isEmpty()) {
                m_context.dialogs.exclamation(QStringLiteral("%1 is not a valid phone number for %2.")
                                                  .arg(trimSpaces(typed), numberCountryCaption(normaliser.country())));
                return;
            }
        } else if (!IsValidPhoneNumber(typed)) {
            m_context.dialogs.exclamation(kInvalidNumber);
            return;
        }
        // Without a country the entry keeps the text as typed, blanks and "+" included.
        if (!m_list->append(number)) {
            m_context.dialogs.exclamation(kListFull);
            return;
        }
        m_txtMno->clear();
        m_txtMno->setFocus();
    });
}

void RecipientPanel::cmdRemove_Click()
{
    errorTrap(m_context, QStringLiteral("cmdRemove_Click"), [&] {
        const QItemSelectionModel *selection = m_lstMno->selectionModel();
        const int count = m_list->count();
        for (int row = 0; row < count; ++row) {
            if (selection->isRowSelected(row, QModelIndex())) {
                m_list->removeAt(row);
                return;
            }
        }
    });
}

void RecipientPanel::lstMno_KeyUp(int key)
{
    if (key != Qt::Key_Delete || m_removing)
        return;
    errorTrap(m_context, QStringLiteral("lstMno_KeyUp"), [&] {
        m_removing = true;
        const auto done = qScopeGuard([this] { m_removing = false; });
        BusyPointer busy(m_context.dialogs);
        busy.show();
        // The entries selected when the key went up are the ones removed. They are followed
        // by key, not by index: events run between removals, and a Remove, an Add, an import
        // or Remove All may change the list meanwhile. Clearing the selection first keeps
        // each removal cheap (a view repaints its whole selection whenever it changes).
        QItemSelectionModel *selection = m_lstMno->selectionModel();
        QSet<quint64> doomed;
        for (const QItemSelectionRange &range : selection->selection()) {
            for (int row = range.top(); row <= range.bottom(); ++row)
                doomed.insert(m_list->entryKey(row));
        }
        selection->clearSelection();
        int position = 0;
        QElapsedTimer sinceYield;
        sinceYield.start();
        bool yielded = false;
        // Downwards, so the entries still to visit keep their indices while others go; each
        // run of adjacent doomed entries goes in one removal.
        int row = m_list->count() - 1;
        while (row >= 0 && !doomed.isEmpty()) {
            row = std::min(row, m_list->count() - 1);
            if (row < 0 || !doomed.contains(m_list->entryKey(row))) {
                --row;
                continue;
            }
            int low = row;
            while (low > 0 && doomed.contains(m_list->entryKey(low - 1)))
                --low;
            for (int i = low; i <= row; ++i)
                doomed.remove(m_list->entryKey(i));
            m_list->removeRange(low, row - low + 1);
            position = low;
            row = low - 1;
            if (!yielded || sinceYield.elapsed() >= m_yieldIntervalMs) {
                QCoreApplication::processEvents();
                sinceYield.restart();
                yielded = true;
            }
        }
        selectAfterRemoval(position);
        showListSize();
    });
}

void RecipientPanel::selectAfterRemoval(int position)
{
    const int count = m_list->count();
    if (count == 0)
        return;
    const int row = position < count ? position : count - 1;
    const QModelIndex index = m_list->index(row);
    m_lstMno->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

void RecipientPanel::cmdRemoveAll_Click()
{
    errorTrap(m_context, QStringLiteral("cmdRemoveAll_Click"), [&] {
        if (m_list->count() == 0) {
            m_context.dialogs.information(QStringLiteral("Phone number list is already empty"));
            return;
        }
        if (m_context.dialogs.ask(QStringLiteral("Remove all phone numbers from list?")))
            m_list->clear();
    });
}

void RecipientPanel::cmdSave_Click()
{
    errorTrap(m_context, QStringLiteral("cmdSave_Click"), [&] {
        if (m_list->count() == 0) {
            m_context.dialogs.exclamation(QStringLiteral("Phone number list is empty"));
            return;
        }
        const QString dataFolder = AddBackslash(m_context.dataFolder);
        // A list whose numbers carry columns keeps them in a .csv file (phonelistcsv.h).
        const bool withFields = m_list->hasFields();
        Dialogs::FileRequest request;
        request.title = QStringLiteral("Select a file");
        request.filter = withFields ? QStringLiteral("CSV Files (*.csv)|*.csv") : kTextFileFilter;
        request.defaultExt = withFields ? QStringLiteral("csv") : QStringLiteral("txt");
        request.confirmCreate = true;
        request.refuseReadOnly = true;
        request.startFolder = PreferredFolder(dataFolder + QStringLiteral("Phone Lists") + QDir::separator(), dataFolder);
        const QString path = m_context.dialogs.saveFile(request);
        if (path.isEmpty())
            return;
        if (!hasDefaultExtension(path, request.defaultExt)) {
            m_context.dialogs.exclamation(kInvalidFileSelection);
            return;
        }
        try {
            if (withFields)
                writeFileBytes(path, formatPhoneListCsv(m_list->entries(), m_list->allFields()));
            else
                writePhoneList(path, m_list->entries());
        } catch (const QuilloError &error) {
            m_context.dialogs.critical(QStringLiteral("Error saving file\r\n[%1]").arg(error.description()));
            return;
        }
        m_context.dialogs.information(withFields ? QStringLiteral("Phone numbers and their columns saved in CSV file.")
                                                 : QStringLiteral("Phone numbers saved in text file."));
    });
}

void RecipientPanel::cmdSelectFile_Click()
{
    emit importRequested();
}

void RecipientPanel::mnuImport_Click(const QString &sourceType)
{
    m_context.state.ImportSourceType = sourceType;
    cmdSelectFile_Click();
}

void RecipientPanel::showListSize()
{
    setStatus(listSizeText(m_list->count()));
}

bool RecipientPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_lstMno) {
        switch (event->type()) {
        case QEvent::FocusIn:
            showListSize();
            break;
        case QEvent::FocusOut:
            setStatus(QStringLiteral("Idle"));
            break;
        case QEvent::KeyRelease: {
            // One removal per key release; the auto-repeat of a held key does not count.
            const auto *key = static_cast<QKeyEvent *>(event);
            if (!key->isAutoRepeat())
                lstMno_KeyUp(key->key());
            break;
        }
        default:
            break;
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

void RecipientPanel::setStatus(const QString &text)
{
    if (m_status)
        m_status->setText(text);
}
