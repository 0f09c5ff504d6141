// Figures for the Messaging tab: the Delete-key removal of 32,000 selected numbers out of a
// full list (target: under 2 s) and the character counter over a 16,383-character message
// (target: under 1 ms per count and per key press). Run it on a display or with
// QT_QPA_PLATFORM=offscreen.

#include "common/appcontext.h"
#include "common/mainframe.h"
#include "sending/gsmcharcount.h"
#include "sending/messagecomposer.h"
#include "sending/messagingtab.h"
#include "recipients/recipientlist.h"
#include "recipients/recipientpanel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <array>
#include <cstdio>

namespace {

class NoDialogs : public Dialogs
{
public:
    Answer message(const QString &, Icon, Buttons, const QString &) override { return Answer::Ok; }
    QString openFile(const FileRequest &) override { return {}; }
    QString saveFile(const FileRequest &) override { return {}; }
    bool chooseFont(FontChoice &) override { return false; }
};

class NoShell : public Shell
{
public:
    bool open(const QString &) override { return true; }
    bool openHelp(const QString &, const QString &) override { return true; }
};

class BenchFrame : public QMainWindow, public MainFrame
{
public:
    explicit BenchFrame(AppContext &context)
    {
        m_tabs = new QTabWidget(this);
        setCentralWidget(m_tabs);
        m_progress = new QProgressBar(this);
        for (auto &panel : m_panels)
            panel = new QLabel(this);
        tab = new MessagingTab(context, *this, m_tabs);
        m_tabs->addTab(tab, QStringLiteral("Messaging"));
        tab->startUp();
        resize(1000, 700);
    }
    QWidget *window() override { return this; }
    QTabWidget *tabs() override { return m_tabs; }
    QLabel *panel(int number) override { return m_panels.at(number - 1); }
    QProgressBar *progressBar() override { return m_progress; }
    // The bench times the recipient list alone; the frames work without menu entries.
    const MenuActions &menus() override { return m_menus; }
    void performExit() override {}
    void addExitCleanup(std::function<void()>) override {}

    MessagingTab *tab = nullptr;

private:
    QTabWidget *m_tabs = nullptr;
    QProgressBar *m_progress = nullptr;
    std::array<QLabel *, 5> m_panels{};
    MenuActions m_menus;
};

void fillFullList(RecipientList &list)
{
    list.clear();
    QStringList numbers;
    for (int i = 0; i < RecipientList::kMaxEntries; ++i)
        numbers << QStringLiteral("+9198%1").arg(i, 8, 10, QLatin1Char('0'));
    list.appendMany(numbers);
}

enum class Pattern { OneRun, Spread, EveryOther };

double deleteKeyRemoval(BenchFrame &frame, Pattern pattern)
{
    RecipientList &list = frame.tab->recipientList();
    fillFullList(list);
    QListView *view = frame.tab->recipients()->listView();
    QItemSelection selection;
    if (pattern == Pattern::EveryOther) {
        // The worst shape: no two selected entries are neighbours.
        for (int row = 0; row < RecipientList::kMaxEntries; row += 2)
            selection.select(list.index(row), list.index(row));
    } else if (pattern == Pattern::Spread) {
        // 767 entries kept, spread over the list: 32,000 selected in 768 runs.
        int row = 0;
        for (int keep = 0; keep < 767; ++keep) {
            const int next = (keep + 1) * RecipientList::kMaxEntries / 768;
            selection.select(list.index(row), list.index(next - 1));
            row = next + 1;
        }
        selection.select(list.index(row), list.index(RecipientList::kMaxEntries - 1));
    } else {
        selection.select(list.index(0), list.index(31999));
    }
    view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    QApplication::processEvents();
    const int selected = int(view->selectionModel()->selectedRows().size());
    QElapsedTimer timer;
    timer.start();
    frame.tab->recipients()->lstMno_KeyUp(Qt::Key_Delete);
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("Delete key, %d of %d selected (%s): %.3f s, %d left\n", selected, RecipientList::kMaxEntries,
                pattern == Pattern::OneRun ? "one run" : pattern == Pattern::Spread ? "768 runs" : "every other",
                seconds, list.count());
    return seconds;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    AppState state;
    NoDialogs dialogs;
    NoShell shell;
    SystemClock clock;
    const QString folder = QDir::tempPath() + QLatin1Char('/');
    AppContext context{state, dialogs, shell, clock, {}, folder, folder};
    BenchFrame frame(context);
    frame.show();
    QApplication::processEvents();

    deleteKeyRemoval(frame, Pattern::OneRun);
    deleteKeyRemoval(frame, Pattern::Spread);
    deleteKeyRemoval(frame, Pattern::EveryOther);

    // The count itself over the longest GSM text the counter is meant for.
    QString text;
    for (int i = 0; i < 16383; ++i)
        text.append(QLatin1Char("ab{c}d^e\r\n€"[i % 11]));
    const QString extension = BuildGsmExtensionChars();
    constexpr int kRounds = 200;
    QElapsedTimer timer;
    timer.start();
    int sink = 0;
    for (int i = 0; i < kRounds; ++i)
        sink += GsmCharCount(text, extension);
    std::printf("GsmCharCount, %lld characters: %.4f ms (count %d)\n", qlonglong(text.size()),
                timer.nsecsElapsed() / 1e6 / kRounds, sink / kRounds);

    // A key press in the GSM box holding that text: the counter refresh and the typing.
    QPlainTextEdit *box = frame.findChild<QPlainTextEdit *>(QStringLiteral("txtMsgEn"));
    box->setPlainText(text);
    box->setFocus();
    QApplication::processEvents();
    timer.restart();
    for (int i = 0; i < kRounds; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier, QStringLiteral("x"));
        QApplication::sendEvent(box, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier, QStringLiteral("x"));
        QApplication::sendEvent(box, &release);
    }
    std::printf("Key press + release in the GSM box (%lld characters, counter shown twice): %.4f ms (%s)\n",
                qlonglong(text.size()), timer.nsecsElapsed() / 1e6 / kRounds,
                qPrintable(frame.panel(1)->text()));
    return 0;
}
