#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// One running Quillo per user: the first instance holds a lock file in the user's runtime
// folder for as long as it runs; a later start finds it held and ends.
class SingleInstance
{
public:
    // lockPath defaults to "quillo.lock" in the user's runtime folder.
    explicit SingleInstance(QString lockPath = defaultLockPath());
    ~SingleInstance();

    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // True when this process may run: it now holds the lock, or the lock cannot be made at
    // all (no runtime folder, no permission), in which case one instance cannot be enforced
    // and refusing to start would lock the operator out. False only when another live
    // process holds the lock.
    bool acquire();
    bool anotherInstanceRunning() { return !acquire(); }

    const QString &lockPath() const { return m_lockPath; }
    static QString defaultLockPath();

private:
    QString m_lockPath;
    std::unique_ptr<QLockFile> m_lock;
    bool m_held = false;
};
