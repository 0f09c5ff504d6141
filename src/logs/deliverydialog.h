#pragma once

#include "common/appcontext.h"
#include "deliveryhistory.h"

#include <QDialog>
#include <QFileSystemWatcher>
#include <QTimer>

class DeliveryChart;
class DeliveryTableModel;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

// Log > Delivery: what the delivery reports said of each number of the runs that asked for
// them, all runs or one, with the counts per status as bars, and the CSV export. Reports keep
// coming while the window is open, so the view reads the logs folder again when a journal
// there changes and every few seconds besides (a watcher can miss a change on some file
// systems); only what changed is read.
class DeliveryDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kPollMs = 5000;

    DeliveryDialog(AppContext &context, QWidget *parent = nullptr);
    ~DeliveryDialog() override;

    // Reads the logs folder and starts watching it.
    void Form_Load();
    void cmdDeliveryRefresh_Click();
    // The runs shown, to a CSV file the user chooses.
    void cmdDeliveryExport_Click();

private:
    void refresh();
    void showRuns();
    void showPicked();
    void watchJournals();
    QList<DeliveryRun> pickedRuns() const;

    AppContext &m_context;
    QString m_folder;
    DeliveryHistory m_history;
    QLabel *m_lblNone = nullptr;
    QComboBox *m_cboRun = nullptr;
    QPushButton *m_cmdRefresh = nullptr;
    QPushButton *m_cmdExport = nullptr;
    QTableView *m_grdDelivery = nullptr;
    DeliveryTableModel *m_model = nullptr;
    DeliveryChart *m_chart = nullptr;
    QFileSystemWatcher m_watcher;
    QTimer m_poll;
    QTimer m_settle; // a burst of reports is one refresh
};

// Opens the view over parent, or brings it to the front when it is open already. It stays
// open beside the window, as reports come while other work goes on.
void showDeliveryDialog(AppContext &context, QWidget *parent);
