#include "modemsimprocess.h"

#include "modemsim/simulatorport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <csignal>

ModemSimProcess::~ModemSimProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(1000);
    }
}

bool ModemSimProcess::start(const QString &iniText)
{
    QStringList args{QStringLiteral("--record"), QDir(m_dir.path()).filePath(QStringLiteral("record.jsonl"))};
    if (!iniText.isEmpty()) {
        const QString ini = QDir(m_dir.path()).filePath(QStringLiteral("modem.ini"));
        QFile f(ini);
        if (!f.open(QIODevice::WriteOnly))
            return false;
        f.write(iniText.toUtf8());
        f.close();
        args << QStringLiteral("--config") << ini;
    }
    m_process.start(QStringLiteral(QUILLO_BIN_DIR "/modemsim"), args);
    if (!m_process.waitForStarted(5000))
        return false;
    QElapsedTimer clock;
    clock.start();
    while (!m_process.canReadLine() && clock.elapsed() < 5000)
        m_process.waitForReadyRead(100);
    const QByteArray line = m_process.readLine().trimmed();
    if (!line.startsWith("PORT "))
        return false;
    m_port = QString::fromLocal8Bit(line.mid(5));
    return true;
}

QStringList ModemSimProcess::recorded() const
{
    QFile f(QDir(m_dir.path()).filePath(QStringLiteral("record.jsonl")));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

QString ModemSimProcess::incomingFile() const
{
    return QDir(m_dir.path()).filePath(QStringLiteral("incoming.txt"));
}

bool ModemSimProcess::deliver(const QString &lines)
{
    QFile f(incomingFile());
    if (!f.open(QIODevice::WriteOnly) || f.write(lines.toUtf8()) < 0)
        return false;
    f.close();
    return m_process.processId() > 0 && ::kill(pid_t(m_process.processId()), SIGUSR1) == 0;
}

bool ModemSimProcess::waitForExit(int ms)
{
    return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(ms);
}

std::unique_ptr<SmsComponent> testComponent(const QString &port, const QString &logFolder, int commTimeoutMs)
{
    installSimulatorPort();
    std::unique_ptr<SmsComponent> c = createKestrel();
    c->setInitFlag(false);
    c->setModemLogType(2);
    c->setLogPath(logFolder);
    c->setPort(port);
    c->setBaudRate(115200);
    c->setDataBits(8);
    c->setStopBits(QStringLiteral("1"));
    c->setParity(QStringLiteral("N"));
    c->setCommTimeout(commTimeoutMs);
    c->setPIN(QString());
    c->setConnectTimeout(1500);
    c->setNoPin(true);
    return c;
}
