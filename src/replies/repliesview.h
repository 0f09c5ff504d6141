#pragma once

#include "common/appcontext.h"
#include "replies/replieslog.h"

#include <QDialog>
#include <optional>

class QFileSystemWatcher;
class QLabel;
class QTableWidget;
class QTimer;

// Message > Replies: the replies log newest first, each reply with its time, modem, sender,
// a mark when it asked to stop and the run its sender last got a message from. The log is
// read again whenever it changes while the view is open, so replies a modem takes meanwhile
// show up; a log that cannot be read is named with its line instead.
class RepliesView : public QDialog
{
    Q_OBJECT
public:
    explicit RepliesView(AppContext &context, QWidget *parent = nullptr);

    // Reads the log and shows it, or why it cannot be read.
    void refresh();

private:
    void watch();
    void showReplies(const QList<Reply> &replies);

    RepliesLog m_log;
    QString m_logsFolder;
    QString m_dataFolder;
    NumberNormaliser m_normaliser;
    // Read again only when files come or go in the logs folder: a run's journal gets its
    // numbers when it is made, and reading every journal at each reply would be slow.
    std::optional<LastRuns> m_lastRuns;
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer *m_pending = nullptr; // one reading for a burst of changes
    QLabel *m_summary = nullptr;
    QLabel *m_problem = nullptr;
    QTableWidget *m_table = nullptr;
};

// The view over parent, not modal, so it can stay open during a run; a second call brings
// the open one to the front.
void showRepliesView(AppContext &context, QWidget *parent);
