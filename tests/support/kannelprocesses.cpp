#include "kannelprocesses.h"

#include "common/ansitext.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <array>
#include <tuple>

namespace {

const QString kBearerbox = QStringLiteral("/usr/sbin/bearerbox");
const QString kSmsbox = QStringLiteral("/usr/sbin/smsbox");
const QString kFakesmsc = QStringLiteral("/usr/lib/kannel/test/fakesmsc");

// Four ports free now, and distinct: each probe holds its port until all are chosen.
std::array<quint16, 4> freePorts()
{
    std::array<QTcpServer, 4> probes;
    std::array<quint16, 4> ports{};
    for (size_t i = 0; i < probes.size(); ++i) {
        probes[i].listen(QHostAddress::LocalHost, 0);
        ports[i] = probes[i].serverPort();
    }
    return ports;
}

bool waitForPort(quint16 port, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (socket.waitForConnected(200))
            return true;
        QThread::msleep(50);
    }
    return false;
}

void finish(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(2000);
    }
}

} // namespace

KannelProcesses::~KannelProcesses()
{
    stop();
}

bool KannelProcesses::installed()
{
    return QFileInfo(kBearerbox).isExecutable() && QFileInfo(kSmsbox).isExecutable()
        && QFileInfo(kFakesmsc).isExecutable();
}

QUrl KannelProcesses::sendsmsUrl() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/cgi-bin/sendsms").arg(m_sendsmsPort));
}

bool KannelProcesses::startBox(QProcess &process, const QString &program, const QStringList &arguments)
{
    process.setWorkingDirectory(m_dir.path());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    return process.waitForStarted(5000);
}

QString KannelProcesses::start(const QString &extraGroups)
{
    std::tie(m_adminPort, m_boxPort, m_smscPort, m_sendsmsPort) = std::tuple_cat(freePorts());
    const QString dir = m_dir.path();
    const QString config = QStringLiteral(
                               "group = core\n"
                               "admin-port = %1\nadmin-password = admin\n"
                               "smsbox-port = %2\n"
                               "box-allow-ip = \"127.0.0.1\"\n"
                               "log-file = \"%5/bearerbox.log\"\nlog-level = 1\n"
                               "dlr-storage = internal\n\n"
                               "group = smsc\nsmsc = fake\nsmsc-id = fake\nport = %3\n"
                               // A message routed to a modem must not go to the fake SMSC.
                               "denied-smsc-id = modem\n"
                               "connect-allow-ip = \"127.0.0.1\"\n\n"
                               "group = smsbox\nbearerbox-host = 127.0.0.1\nsendsms-port = %4\n"
                               "log-file = \"%5/smsbox.log\"\nlog-level = 1\n\n"
                               "group = sendsms-user\nusername = quillo\npassword = s3cret\n"
                               "max-messages = 10\nconcatenation = true\ndefault-sender = 5550100\n\n")
                               .arg(m_adminPort)
                               .arg(m_boxPort)
                               .arg(m_smscPort)
                               .arg(m_sendsmsPort)
                               .arg(dir)
        + extraGroups;
    QFile file(QDir(dir).filePath(QStringLiteral("kannel.conf")));
    if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) != config.toUtf8().size())
        return QStringLiteral("cannot write %1").arg(file.fileName());
    file.close();

    if (!startBox(m_bearerbox, kBearerbox, {QStringLiteral("-v"), QStringLiteral("1"), file.fileName()})
        // fakesmsc gives up at once when the port is not open yet. (The probe looks like a
        // fakesmsc that leaves at once; no message is queued yet for it to lose.)
        || !waitForPort(m_smscPort, 10000))
        return QStringLiteral("bearerbox did not start: ") + QString::fromLocal8Bit(m_bearerbox.readAll());
    // -m 0: fakesmsc sends nothing of its own and prints what it is given.
    if (!startBox(m_fakesmsc, kFakesmsc,
                  {QStringLiteral("-H"), QStringLiteral("127.0.0.1"), QStringLiteral("-r"), QString::number(m_smscPort),
                   QStringLiteral("-m"), QStringLiteral("0"), QStringLiteral("1 2 text none")}))
        return QStringLiteral("fakesmsc did not start");
    if (!startBox(m_smsbox, kSmsbox, {QStringLiteral("-v"), QStringLiteral("1"), file.fileName()})
        || !waitForPort(m_sendsmsPort, 10000))
        return QStringLiteral("smsbox did not start: ") + QString::fromLocal8Bit(m_smsbox.readAll())
               + QString::fromLocal8Bit(readFileBytes(QDir(dir).filePath(QStringLiteral("smsbox.log"))).right(2000));
    return {};
}

void KannelProcesses::stop()
{
    finish(m_smsbox);
    finish(m_bearerbox);
    finish(m_fakesmsc);
}

QList<KannelProcesses::Received> KannelProcesses::received()
{
    m_fakesmscOutput += m_fakesmsc.readAll();
    // "... DEBUG: Got message 12: <from to coding text>"
    static const QRegularExpression line(QStringLiteral("Got message \\d+: <(\\S*) (\\S+) (\\S+) (.*)>$"));
    qsizetype end;
    while ((end = m_fakesmscOutput.indexOf('\n')) >= 0) {
        const QString text = QString::fromUtf8(m_fakesmscOutput.left(end));
        m_fakesmscOutput.remove(0, end + 1);
        const auto match = line.match(text);
        if (match.hasMatch())
            m_received.append({match.captured(1), match.captured(2), match.captured(3), match.captured(4)});
    }
    return m_received;
}

bool KannelProcesses::waitForReceived(int count, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (received().size() < count && clock.elapsed() < ms)
        m_fakesmsc.waitForReadyRead(100);
    return received().size() >= count;
}
