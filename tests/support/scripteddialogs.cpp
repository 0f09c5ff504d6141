#include "scripteddialogs.h"

#include <gtest/gtest.h>

namespace {

const char *kindName(int kind)
{
    static const char *names[] = {"message box", "open-file dialog", "save-file dialog", "font dialog"};
    return names[kind];
}

} // namespace

ScriptedDialogs::~ScriptedDialogs()
{
    for (const Expected &e : m_expected)
        ADD_FAILURE() << "expected " << kindName(int(e.kind)) << " was never shown: " << e.text.toStdString();
}

ScriptedDialogs &ScriptedDialogs::expectMessage(const QString &text, Icon icon, Buttons buttons, Answer answer)
{
    m_expected.push_back({Kind::Message, text, false, icon, buttons, answer});
    return *this;
}

ScriptedDialogs &ScriptedDialogs::expectMessageStartingWith(const QString &prefix, Icon icon)
{
    m_expected.push_back({Kind::Message, prefix, true, icon, Buttons::Ok, Answer::Ok});
    return *this;
}

ScriptedDialogs &ScriptedDialogs::expectQuestionStartingWith(const QString &prefix, bool yes)
{
    m_expected.push_back({Kind::Message, prefix, true, Icon::None, Buttons::YesNo, yes ? Answer::Yes : Answer::No});
    return *this;
}

ScriptedDialogs &ScriptedDialogs::expectOpenFile(const QString &answer)
{
    m_expected.push_back({Kind::OpenFile, {}, false, Icon::None, Buttons::Ok, Answer::Ok, answer});
    return *this;
}

ScriptedDialogs &ScriptedDialogs::expectSaveFile(const QString &answer)
{
    m_expected.push_back({Kind::SaveFile, {}, false, Icon::None, Buttons::Ok, Answer::Ok, answer});
    return *this;
}

ScriptedDialogs &ScriptedDialogs::expectFont(bool accept, const FontChoice &font)
{
    m_expected.push_back({Kind::Font, {}, false, Icon::None, Buttons::Ok, Answer::Ok, {}, accept, font});
    return *this;
}

bool ScriptedDialogs::take(Kind kind, const QString &what, Expected &out)
{
    if (m_expected.empty()) {
        ADD_FAILURE() << "unexpected " << kindName(int(kind)) << ": " << what.toStdString();
        return false;
    }
    out = m_expected.front();
    m_expected.pop_front();
    if (out.kind != kind) {
        ADD_FAILURE() << "expected a " << kindName(int(out.kind)) << " (" << out.text.toStdString() << ") but got a "
                      << kindName(int(kind)) << ": " << what.toStdString();
        return false;
    }
    return true;
}

Dialogs::Answer ScriptedDialogs::message(const QString &text, Icon icon, Buttons buttons, const QString &title)
{
    m_shown << text;
    if (onMessage)
        onMessage(text);
    EXPECT_EQ(title.toStdString(), "Quillo") << "for box " << text.toStdString();
    Expected e;
    if (!take(Kind::Message, text, e))
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    if (e.prefix)
        EXPECT_TRUE(text.startsWith(e.text)) << "box text: " << text.toStdString() << "\nexpected prefix: " << e.text.toStdString();
    else if (!e.text.isEmpty())
        EXPECT_EQ(text.toStdString(), e.text.toStdString());
    EXPECT_EQ(int(icon), int(e.icon)) << "icon of box " << text.toStdString();
    EXPECT_EQ(int(buttons), int(e.buttons)) << "buttons of box " << text.toStdString();
    return e.answer;
}

QString ScriptedDialogs::openFile(const FileRequest &request)
{
    m_lastFileRequest = request;
    m_shown << QStringLiteral("<open> ") + request.title;
    Expected e;
    return take(Kind::OpenFile, request.title, e) ? e.path : QString();
}

QString ScriptedDialogs::saveFile(const FileRequest &request)
{
    m_lastFileRequest = request;
    m_shown << QStringLiteral("<save> ") + request.title;
    Expected e;
    return take(Kind::SaveFile, request.title, e) ? e.path : QString();
}

bool ScriptedDialogs::chooseFont(FontChoice &font)
{
    m_shown << QStringLiteral("<font>");
    Expected e;
    if (!take(Kind::Font, QStringLiteral("font"), e) || !e.accept)
        return false;
    font = e.font;
    return true;
}
