#pragma once

#include "common/dialogs.h"

#include <QStringList>
#include <deque>
#include <functional>

// Dialogs for tests: each box or file dialog the code shows must have been expected, in
// order, with its text, icon and buttons; it gets the queued answer. Anything unexpected
// fails the test (and answers No / Cancel so the code under test goes on safely).
class ScriptedDialogs : public Dialogs
{
public:
    ~ScriptedDialogs() override;

    // Expect a message box; text empty means "any text" (for texts built from system errors).
    ScriptedDialogs &expectMessage(const QString &text, Icon icon, Buttons buttons = Buttons::Ok,
                                   Answer answer = Answer::Ok);
    ScriptedDialogs &expectQuestion(const QString &text, bool yes)
    {
        return expectMessage(text, Icon::None, Buttons::YesNo, yes ? Answer::Yes : Answer::No);
    }
    // Expect a message box whose text starts with prefix.
    ScriptedDialogs &expectMessageStartingWith(const QString &prefix, Icon icon);
    // Expect a question whose text starts with prefix (the start question and what the run
    // will cost below it).
    ScriptedDialogs &expectQuestionStartingWith(const QString &prefix, bool yes);
    ScriptedDialogs &expectOpenFile(const QString &answer);
    ScriptedDialogs &expectSaveFile(const QString &answer);
    ScriptedDialogs &expectFont(bool accept, const FontChoice &font = {});

    // Runs as each box is shown, before it is answered (to act while the code waits on it).
    std::function<void(const QString &text)> onMessage;

    // Every box shown so far, in order (texts).
    const QStringList &shown() const { return m_shown; }
    const FileRequest &lastFileRequest() const { return m_lastFileRequest; }
    bool allConsumed() const { return m_expected.empty(); }

    Answer message(const QString &text, Icon icon, Buttons buttons, const QString &title) override;
    QString openFile(const FileRequest &request) override;
    QString saveFile(const FileRequest &request) override;
    bool chooseFont(FontChoice &font) override;

private:
    enum class Kind { Message, OpenFile, SaveFile, Font };
    struct Expected
    {
        Kind kind;
        QString text;
        bool prefix = false;
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        Answer answer = Answer::Ok;
        QString path;
        bool accept = false;
        FontChoice font;
    };
    bool take(Kind kind, const QString &what, Expected &out);

    std::deque<Expected> m_expected;
    QStringList m_shown;
    FileRequest m_lastFileRequest;
};
