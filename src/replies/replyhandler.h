#pragma once

#include "replieslog.h"
#include "replysettings.h"
#include "stopkeywords.h"

#include "kestrel/messagejoiner.h"
#include "recipients/optoutlist.h"

#include <QString>
#include <functional>

// What is done with each reply a modem hears: it goes into the replies log, and a stop
// request puts its sender on the opt-out list (in international form when a country is
// set) and is marked so. The confirmation goes only to a sender the list did not hold yet,
// so a person who sends STOP twice gets it once, across restarts too.
//
// Errors: handle throws QuilloError when the log or the opt-out list cannot be written; the
// reply is then not acknowledged as handled.
class ReplyHandler
{
public:
    using Clock = std::function<QDateTime()>;
    // optOutPath: the list's file; it is loaded at each stop request, so an edit made in the
    // meantime (the window's editor, `quillo-cli optout`) is kept.
    ReplyHandler(RepliesLog log, QString optOutPath, NumberNormaliser normaliser, const ReplySettings &settings,
                 Clock now = {});

    struct Handled
    {
        Reply reply;
        QString confirmation; // the text to send back to reply.sender, or empty
    };
    Handled handle(const IncomingMessage &message, const QString &modem);

private:
    RepliesLog m_log;
    QString m_optOutPath;
    NumberNormaliser m_normaliser;
    StopKeywords m_keywords;
    QString m_confirmation;
    Clock m_now;
};
