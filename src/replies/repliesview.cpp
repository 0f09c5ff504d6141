#include "repliesview.h"

#include "common/datafolder.h"
#include "common/error.h"
#include "common/namedwidget.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

enum Column { kTime, kModem, kSender, kStop, kText, kLastRun, kColumns };

QString counted(qsizetype count, const QString &one, const QString &many)
{
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? one : many);
}

} // namespace

RepliesView::RepliesView(AppContext &context, QWidget *parent)
    : QDialog(parent), m_log(RepliesLog::pathIn(logsFolder(context.dataFolder))),
      m_logsFolder(logsFolder(context.dataFolder)), m_dataFolder(context.dataFolder),
      m_normaliser(context.state.Details.Country)
{
    setObjectName(QStringLiteral("frmReplies"));
    setWindowTitle(QStringLiteral("Replies"));

    auto *about = new QLabel(QDir::toNativeSeparators(m_log.path()), this);
    about->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_summary = named(new QLabel(this), "lblRepliesSummary");
    m_problem = named(new QLabel(this), "lblRepliesProblem");
    m_problem->setWordWrap(true);
    m_problem->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_problem->hide();
    m_table = named(new QTableWidget(0, kColumns, this), "lstReplies", QStringLiteral("Replies, newest first"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Time"), QStringLiteral("Modem"), QStringLiteral("Sender"),
                                        QStringLiteral("Stop"), QStringLiteral("Text"), QStringLiteral("Last run")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    // Tab leaves the list for the Close button; the arrow keys move within it.
    m_table->setTabKeyNavigation(false);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(kText, QHeaderView::Stretch);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("cmdRepliesClose"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(about);
    layout->addWidget(m_summary);
    layout->addWidget(m_problem);
    layout->addWidget(m_table, 1);
    layout->addWidget(buttons);

    m_pending = new QTimer(this);
    m_pending->setSingleShot(true);
    m_pending->setInterval(0);
    connect(m_pending, &QTimer::timeout, this, &RepliesView::refresh);
    m_watcher = new QFileSystemWatcher(this);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, m_pending, qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        m_lastRuns.reset();
        m_pending->start();
    });
    m_table->setFocus();
    resize(760, 420);
}

void RepliesView::refresh()
{
    watch();
    try {
        const QList<Reply> replies = m_log.readNewestFirst();
        if (!m_lastRuns)
            m_lastRuns.emplace(m_logsFolder, m_normaliser);
        showReplies(replies);
        m_problem->hide();
    } catch (const QuilloError &error) {
        showReplies({});
        m_summary->clear();
        m_problem->setText(error.description());
        m_problem->show();
    }
}

// The file, which may not be there yet, and the folder that will hold it, which tells when
// it is made or replaced; with no logs folder yet, the data folder that will hold that.
void RepliesView::watch()
{
    const auto watchIfThere = [this](const QString &path) {
        if (!QFileInfo::exists(path))
            return false;
        if (!m_watcher->files().contains(path) && !m_watcher->directories().contains(path))
            m_watcher->addPath(path);
        return true;
    };
    watchIfThere(m_log.path());
    if (!watchIfThere(m_logsFolder))
        watchIfThere(m_dataFolder);
}

void RepliesView::showReplies(const QList<Reply> &replies)
{
    // Rows are newest first, so the one being read keeps its distance from the end.
    const int fromEnd = m_table->currentRow() < 0 ? -1 : m_table->rowCount() - m_table->currentRow();
    m_table->setRowCount(0);
    m_table->setRowCount(int(replies.size()));
    qsizetype stops = 0;
    for (int row = 0; row < replies.size(); ++row) {
        const Reply &reply = replies.at(row);
        stops += reply.stop ? 1 : 0;
        const QString cells[kColumns] = {reply.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), reply.modem,
                                         reply.sender, reply.stop ? QStringLiteral("STOP") : QString(),
                                         reply.text.simplified(),
                                         m_lastRuns->of(reply.sender)};
        for (int column = 0; column < kColumns; ++column)
            m_table->setItem(row, column, new QTableWidgetItem(cells[column]));
        m_table->item(row, kText)->setToolTip(reply.text); // the cell shows it on one line
    }
    m_summary->setText(QStringLiteral("%1, %2").arg(counted(replies.size(), QStringLiteral("reply"), QStringLiteral("replies")),
                                                     counted(stops, QStringLiteral("stop request"), QStringLiteral("stop requests"))));
    if (fromEnd > 0 && fromEnd <= m_table->rowCount())
        m_table->selectRow(m_table->rowCount() - fromEnd);
}

void showRepliesView(AppContext &context, QWidget *parent)
{
    auto *view = parent->findChild<RepliesView *>(QString(), Qt::FindDirectChildrenOnly);
    if (!view) {
        view = new RepliesView(context, parent);
        view->setAttribute(Qt::WA_DeleteOnClose);
        view->refresh();
    }
    view->show();
    view->raise();
    view->activateWindow();
}
