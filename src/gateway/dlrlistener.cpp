#include "dlrlistener.h"

#include <QHostAddress>
#include <QHttpServerRequest>
#include <QUrlQuery>

DlrListener::DlrListener(QObject *parent) : QObject(parent)
{
    m_server.route(QStringLiteral("/dlr"), [this](const QHttpServerRequest &request) {
        const QUrlQuery query(request.url());
        bool positionOk = false, typeOk = false;
        const QString run = query.queryItemValue(QStringLiteral("run"), QUrl::FullyDecoded);
        const int position = query.queryItemValue(QStringLiteral("pos")).toInt(&positionOk);
        const int type = query.queryItemValue(QStringLiteral("type")).toInt(&typeOk);
        if (run.isEmpty() || !positionOk || !typeOk)
            return QHttpServerResponse(QHttpServerResponder::StatusCode::BadRequest);
        const QString answer = query.queryItemValue(QStringLiteral("answer"), QUrl::FullyDecoded);
        emit report(run, position, statusOf(type, answer), answer);
        return QHttpServerResponse(QHttpServerResponder::StatusCode::Ok);
    });
}

bool DlrListener::listen(quint16 port, const QString &host)
{
    m_host = host;
    const bool local = host == u"localhost" || QHostAddress(host).isLoopback();
    const int bound = m_server.listen(local ? QHostAddress::LocalHost : QHostAddress::Any, port);
    if (bound == 0) {
        m_error = QStringLiteral("The delivery report port %1 could not be opened").arg(port);
        return false;
    }
    m_port = quint16(bound);
    return true;
}

QString DlrListener::reportUrl(const QString &run, int position) const
{
    return QStringLiteral("http://%1:%2/dlr?run=%3&pos=%4&type=%d&answer=%A")
        .arg(m_host, QString::number(m_port), run, QString::number(position));
}

DlrListener::Status DlrListener::statusOf(int type, const QString &answer)
{
    switch (type) {
    case 1:
        return Status::Delivered;
    case 2:
    case 16:
        // An SMPP receipt says "stat:EXPIRED" for a message whose validity ran out.
        return answer.contains(QLatin1String("stat:EXPIRED"), Qt::CaseInsensitive) ? Status::Expired
                                                                                  : Status::Failed;
    default: // 4 buffered, 8 accepted by the SMSC
        return Status::Pending;
    }
}
