#pragma once

#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>

// A real Kannel for one test: bearerbox, smsbox and Kannel's fake SMSC (fakesmsc, which
// prints every message it is given) on free local ports, with a configuration written
// for the test, torn down at the end.
class KannelProcesses
{
public:
    struct Received
    {
        QString from, to, coding, text; // coding: text, ucs-2, data...
    };

    ~KannelProcesses();

    // Whether the kannel and kannel-extras packages are there.
    static bool installed();

    // extraGroups: more configuration groups (such as an smsc = at group). Empty why on
    // success, else what failed.
    QString start(const QString &extraGroups = {});
    void stop();

    QUrl sendsmsUrl() const;
    QString user() const { return QStringLiteral("quillo"); }
    QString password() const { return QStringLiteral("s3cret"); }
    QString folder() const { return m_dir.path(); }

    // What fakesmsc has been given so far, in order.
    QList<Received> received();
    bool waitForReceived(int count, int ms);

private:
    bool startBox(QProcess &process, const QString &program, const QStringList &arguments);

    QTemporaryDir m_dir;
    quint16 m_adminPort = 0, m_boxPort = 0, m_smscPort = 0, m_sendsmsPort = 0;
    QProcess m_bearerbox, m_smsbox, m_fakesmsc;
    QByteArray m_fakesmscOutput;
    QList<Received> m_received;
};
