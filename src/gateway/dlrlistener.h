#pragma once

#include "kestrel/statusreport.h"

#include <QHttpServer>
#include <QObject>

// Where Kannel's delivery reports come back: a small HTTP server on a local port. Each
// message's dlr-url names its run and its place in the run; Kannel fills in the report's
// type (%d) and the SMSC's answer (%A).
class DlrListener : public QObject
{
    Q_OBJECT
public:
    using Status = gsm::DeliveryStatus;

    explicit DlrListener(QObject *parent = nullptr);

    // port 0: any free port. host: how Kannel reaches this computer; only a loopback host
    // keeps the listener to this machine. False, with the reason in error(), when the port
    // is taken.
    bool listen(quint16 port, const QString &host = QStringLiteral("127.0.0.1"));
    quint16 port() const { return m_port; }
    QString error() const { return m_error; }

    // The dlr-url of one message: http://HOST:PORT/dlr?run=RUN&pos=POSITION&type=%d&answer=%A
    // run: letters, digits, '.', '-' and '_' only, since Kannel reads every % in the URL as
    // one of its own escapes. (A string: %d is not a valid escape, so QUrl would not keep it.)
    QString reportUrl(const QString &run, int position) const;

    // Kannel's report type and the SMSC's text, as a delivery status.
    static Status statusOf(int type, const QString &answer);

signals:
    void report(const QString &run, int position, DlrListener::Status status, const QString &answer);

private:
    QHttpServer m_server;
    quint16 m_port = 0;
    QString m_host;
    QString m_error;
};
