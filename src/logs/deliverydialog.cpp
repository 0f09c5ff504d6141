#include "deliverydialog.h"

#include "common/ansitext.h"
#include "common/datafolder.h"
#include "common/error.h"
#include "common/namedwidget.h"
#include "deliverychart.h"
#include "deliverytable.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <iterator>

namespace {

QString runCaption(const DeliveryRun &run)
{
    const QString what = run.error.isEmpty() ? QStringLiteral("%1 numbers").arg(run.rows.size())
                                             : QStringLiteral("cannot be read");
    return QStringLiteral("%1 - %2 - %3").arg(deliveryViewTime(run.started), what, run.fileName);
}

} // namespace

DeliveryDialog::DeliveryDialog(AppContext &context, QWidget *parent)
    : QDialog(parent), m_context(context), m_folder(logsFolder(context.dataFolder))
{
    setObjectName(QStringLiteral("frmDelivery"));
    setWindowTitle(QStringLiteral("Delivery"));

    auto *about = new QLabel(QStringLiteral("What the delivery reports said of the runs that asked for them.\n%1")
                                 .arg(QDir::toNativeSeparators(m_folder)),
                             this);
    about->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_lblNone = named(new QLabel(QStringLiteral("No run in the logs folder asked for delivery reports. They are off "
                                                "unless turned on in Settings."),
                                 this),
                      "lblDeliveryNone");
    m_lblNone->setWordWrap(true);
    auto *runLabel = new QLabel(QStringLiteral("&Run:"), this);
    m_cboRun = named(new QComboBox(this), "cboDeliveryRun", QStringLiteral("Run"));
    m_cboRun->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    runLabel->setBuddy(m_cboRun);
    m_cmdRefresh = namedButton(this, "cmdDeliveryRefresh", QStringLiteral("Refresh"));
    m_chart = new DeliveryChart(this);
    m_model = new DeliveryTableModel(this);
    m_grdDelivery = named(new QTableView(this), "grdDelivery", QStringLiteral("Numbers and their delivery status"));
    m_grdDelivery->setModel(m_model);
    m_grdDelivery->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grdDelivery->setWordWrap(false);
    m_grdDelivery->verticalHeader()->hide();
    m_grdDelivery->verticalHeader()->setDefaultSectionSize(m_grdDelivery->fontMetrics().height() + 6);
    m_grdDelivery->horizontalHeader()->setStretchLastSection(true);
    const int digit = m_grdDelivery->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const int widths[] = {18, 15, 13, 10, 26};
    for (int column = 0; column < int(std::size(widths)); ++column)
        m_grdDelivery->setColumnWidth(column, widths[column] * digit);
    m_cmdExport = namedButton(this, "cmdDeliveryExport", QStringLiteral("Export CSV..."));
    auto *close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    close->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("cmdDeliveryClose"));

    auto *runRow = new QHBoxLayout;
    runRow->addWidget(runLabel);
    runRow->addWidget(m_cboRun, 1);
    runRow->addWidget(m_cmdRefresh);
    auto *bottomRow = new QHBoxLayout;
    bottomRow->addWidget(m_cmdExport);
    bottomRow->addStretch(1);
    bottomRow->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(about);
    layout->addWidget(m_lblNone);
    layout->addLayout(runRow);
    layout->addWidget(m_chart);
    layout->addWidget(m_grdDelivery, 1);
    layout->addLayout(bottomRow);

    connect(m_cboRun, &QComboBox::currentIndexChanged, this, &DeliveryDialog::showPicked);
    connect(m_cmdRefresh, &QPushButton::clicked, this, &DeliveryDialog::cmdDeliveryRefresh_Click);
    connect(m_cmdExport, &QPushButton::clicked, this, &DeliveryDialog::cmdDeliveryExport_Click);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);

    m_settle.setSingleShot(true);
    m_settle.setInterval(300);
    connect(&m_settle, &QTimer::timeout, this, &DeliveryDialog::refresh);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { m_settle.start(); });
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { m_settle.start(); });
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &DeliveryDialog::refresh);
    resize(900, 600);
}

DeliveryDialog::~DeliveryDialog() = default;

void DeliveryDialog::Form_Load()
{
    // The first load reads every journal that asked; later ones only what changed.
    m_context.dialogs.setBusy(true);
    m_history.load(m_folder);
    m_context.dialogs.setBusy(false);
    showRuns();
    watchJournals();
    m_poll.start();
}

void DeliveryDialog::cmdDeliveryRefresh_Click()
{
    refresh();
}

void DeliveryDialog::refresh()
{
    if (m_history.load(m_folder))
        showRuns();
    watchJournals();
}

void DeliveryDialog::watchJournals()
{
    // The folder tells of new journals; a journal's own file of the reports added to it. Only
    // runs with numbers pending get reports, which keeps the watches few.
    QStringList wanted = m_history.pendingJournals();
    if (QFileInfo(m_folder).isDir())
        wanted += m_folder;
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    QStringList gone;
    for (const QString &path : watched)
        if (!wanted.contains(path))
            gone += path;
    if (!gone.isEmpty())
        m_watcher.removePaths(gone);
    QStringList added;
    for (const QString &path : std::as_const(wanted))
        if (!watched.contains(path))
            added += path;
    if (!added.isEmpty())
        m_watcher.addPaths(added);
}

void DeliveryDialog::showRuns()
{
    const QList<DeliveryRun> &runs = m_history.runs();
    const QString picked = m_cboRun->currentData().toString();
    {
        const QSignalBlocker quiet(m_cboRun);
        m_cboRun->clear();
        m_cboRun->addItem(QStringLiteral("All runs (%1)").arg(runs.size()), QString());
        for (const DeliveryRun &run : runs)
            m_cboRun->addItem(runCaption(run), run.fileName);
        m_cboRun->setCurrentIndex(std::max(0, m_cboRun->findData(picked)));
    }
    const bool none = runs.isEmpty();
    m_lblNone->setVisible(none);
    m_cboRun->setEnabled(!none);
    m_cmdExport->setEnabled(!none);
    showPicked();
}

QList<DeliveryRun> DeliveryDialog::pickedRuns() const
{
    const QString picked = m_cboRun->currentData().toString();
    if (picked.isEmpty())
        return m_history.runs();
    for (const DeliveryRun &run : m_history.runs())
        if (run.fileName == picked)
            return {run};
    return {};
}

void DeliveryDialog::showPicked()
{
    const QList<DeliveryRun> runs = pickedRuns();
    DeliveryCounts counts;
    for (const DeliveryRun &run : runs)
        counts += run.counts;
    m_chart->setCounts(counts);
    // A refresh keeps the place the user scrolled to.
    const int scrolled = m_grdDelivery->verticalScrollBar()->value();
    m_model->show(runs);
    m_grdDelivery->setColumnHidden(DeliveryTableModel::RunStart, runs.size() == 1);
    m_grdDelivery->verticalScrollBar()->setValue(scrolled);
}

void DeliveryDialog::cmdDeliveryExport_Click()
{
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Export Delivery Statuses");
    request.filter = QStringLiteral("CSV Files (*.csv)|*.csv");
    request.defaultExt = QStringLiteral("csv");
    request.startFolder = m_context.dataFolder;
    request.initialName = QStringLiteral("delivery.csv");
    request.refuseReadOnly = true;
    const QString path = m_context.dialogs.saveFile(request);
    if (path.isEmpty())
        return;
    try {
        writeFileBytes(path, deliveryCsv(pickedRuns()));
    } catch (const QuilloError &error) {
        m_context.dialogs.critical(QStringLiteral("Cannot export the delivery statuses to %1\r\n[%2]")
                                       .arg(QDir::toNativeSeparators(path), error.description()));
        return;
    }
    m_context.dialogs.information(
        QStringLiteral("Delivery statuses saved in %1.").arg(QDir::toNativeSeparators(path)));
}

void showDeliveryDialog(AppContext &context, QWidget *parent)
{
    if (auto *open = parent->findChild<DeliveryDialog *>(QString(), Qt::FindDirectChildrenOnly)) {
        open->show(); // closed but not yet deleted
        open->raise();
        open->activateWindow();
        return;
    }
    auto *dialog = new DeliveryDialog(context, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->Form_Load();
    dialog->show();
}
