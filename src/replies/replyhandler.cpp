#include "replyhandler.h"

ReplyHandler::ReplyHandler(RepliesLog log, QString optOutPath, NumberNormaliser normaliser,
                           const ReplySettings &settings, Clock now)
    : m_log(std::move(log))
    , m_optOutPath(std::move(optOutPath))
    , m_normaliser(std::move(normaliser))
    , m_keywords(settings.stopWords)
    , m_confirmation(settings.stopConfirmation)
    , m_now(now ? std::move(now) : Clock([] { return QDateTime::currentDateTime(); }))
{
}

ReplyHandler::Handled ReplyHandler::handle(const IncomingMessage &message, const QString &modem)
{
    Handled out;
    out.reply = {message.time.isValid() ? message.time : m_now(), modem, message.sender,
                 m_keywords.isStopRequest(message.text), message.text};
    if (out.reply.stop) {
        OptOutList list(m_optOutPath, m_normaliser);
        list.load();
        if (list.add(message.sender) == OptOutList::Added::Added) {
            list.save();
            out.confirmation = m_confirmation;
        }
    }
    m_log.append(out.reply);
    return out;
}
