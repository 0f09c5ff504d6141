#include "ptyserver.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

PtyServer::PtyServer(ModemResponder *modem, QObject *parent) : QObject(parent), m_modem(modem)
{
    connect(m_modem, &ModemResponder::transmit, this, &PtyServer::writeMaster);
}

PtyServer::~PtyServer()
{
    hangUp();
}

bool PtyServer::open(QString *error)
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        *error = QStringLiteral("Cannot create a pseudo-terminal: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    m_devicePath = QString::fromLocal8Bit(ptsname(m_master));
    // Holding the far side open keeps the line up between clients (otherwise the master
    // reads EIO whenever no program has the port open), and raw mode keeps the terminal
    // layer from echoing or translating line ends before a client sets its own mode.
    m_slave = ::open(ptsname(m_master), O_RDWR | O_NOCTTY);
    if (m_slave >= 0) {
        termios tio;
        if (tcgetattr(m_slave, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(m_slave, TCSANOW, &tio);
        }
    }
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyServer::readMaster);
    return true;
}

void PtyServer::readMaster()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            m_modem->receive(QByteArray(buffer, int(n)));
            if (m_master < 0)
                return;
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        // EIO: nobody holds the far side; with our own slave descriptor that means closing.
        hangUp();
        return;
    }
}

void PtyServer::writeMaster(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EAGAIN) {
            usleep(1000); // the client is slow to read; the answers are short
        } else if (n < 0 && errno != EINTR) {
            return;
        }
    }
}

void PtyServer::hangUp()
{
    if (m_notifier) {
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    if (m_slave >= 0)
        ::close(m_slave);
    m_slave = -1;
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
        emit closed();
    }
}
