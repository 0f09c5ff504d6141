#pragma once

#include "common/dialogs.h"

#include <QString>
#include <functional>

// The program's boxes in a terminal: each text goes to standard error, and every question
// is answered yes. The command line is the operator's confirmation of the run ("Start
// sending messages?"), low signal is noted and gone on with, and the abort question only
// comes after SIGINT or SIGTERM asked for the stop. The questions other than the start are
// written with their answer, so a log of the run shows what was decided.
class TerminalDialogs : public Dialogs
{
public:
    // Where the texts go: standard error unless a run view has to clear its bar around them.
    using Writer = std::function<void(const QString &line)>;
    void setWriter(Writer writer) { m_write = std::move(writer); }
    static void writeToStderr(const QString &line);

    Answer message(const QString &text, Icon icon, Buttons buttons, const QString &title) override;
    // No file or font can be chosen without a window.
    QString openFile(const FileRequest &) override { return {}; }
    QString saveFile(const FileRequest &) override { return {}; }
    bool chooseFont(FontChoice &) override { return false; }

private:
    Writer m_write = writeToStderr;
};
