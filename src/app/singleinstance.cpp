#include "singleinstance.h"

#include <QDir>
#include <QStandardPaths>

SingleInstance::SingleInstance(QString lockPath) : m_lockPath(std::move(lockPath)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultLockPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("quillo.lock"));
}

bool SingleInstance::acquire()
{
    if (m_held)
        return true;
    if (!m_lock) {
        m_lock = std::make_unique<QLockFile>(m_lockPath);
        // A running instance may run for days: only a lock whose process has died is stale,
        // never one that is merely old.
        m_lock->setStaleLockTime(0);
    }
    if (m_lock->tryLock(0)) {
        m_held = true;
        return true;
    }
    // A lock left by a crashed or killed instance is removed by tryLock itself (its process
    // is gone); what is left here is a live holder, or a folder we cannot write.
    return m_lock->error() != QLockFile::LockFailedError;
}
