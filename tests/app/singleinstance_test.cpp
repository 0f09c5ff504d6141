// One instance per user: a second start ends at once, a dead holder does not block the next
// start, and an old but live lock still counts.
#include "app/singleinstance.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include <csignal>

namespace {

// A second process holding the lock at path; it keeps it until stopped.
class LockHolder
{
public:
    explicit LockHolder(const QString &lockPath)
    {
        m_process.start(QStringLiteral(QUILLO_LOCK_HOLDER), {lockPath});
        if (m_process.waitForReadyRead(15000))
            m_answer = QString::fromLatin1(m_process.readLine()).trimmed();
    }
    ~LockHolder()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    const QString &answer() const { return m_answer; }
    void killHard()
    {
        // Like a crash or `kill -9`: the lock file stays behind.
        ::kill(static_cast<pid_t>(m_process.processId()), SIGKILL);
        m_process.waitForFinished(5000);
    }

private:
    QProcess m_process;
    QString m_answer;
};

QString lockIn(const QTemporaryDir &dir)
{
    return QDir(dir.path()).filePath(QStringLiteral("quillo.lock"));
}

} // namespace

TEST(SingleInstance, SecondQuilloProcessEndsAtOnceWhileTheFirstRuns)
{
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    SingleInstance first(lockIn(runtime));
    ASSERT_TRUE(first.acquire());

    // The program finds its lock in the user's runtime folder.
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(QUILLO_PROGRAM), {});
    // A start that got past the lock would show the splash and then run its window until
    // closed, so ending by itself with status 0 is the refusal.
    const bool ended = second.waitForFinished(30000);
    if (!ended)
        second.kill();
    ASSERT_TRUE(ended) << "the second instance kept running";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
}

// A live holder's lock refuses even when old (an instance may run for days); one left by a
// killed instance does not block the next start, which then holds it.
TEST(SingleInstance, OnlyALiveHolderBlocks)
{
    QTemporaryDir runtime;
    LockHolder holder(lockIn(runtime));
    ASSERT_EQ(holder.answer(), QStringLiteral("HELD"));
    QFile lockFile(lockIn(runtime));
    ASSERT_TRUE(lockFile.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lockFile.setFileTime(QDateTime::currentDateTime().addDays(-3), QFileDevice::FileModificationTime));
    lockFile.close();
    SingleInstance second(lockIn(runtime));
    EXPECT_FALSE(second.acquire());
    EXPECT_TRUE(second.anotherInstanceRunning());

    holder.killHard();
    ASSERT_TRUE(QFile::exists(lockIn(runtime)));
    SingleInstance next(lockIn(runtime));
    EXPECT_TRUE(next.acquire());
    LockHolder late(lockIn(runtime));
    EXPECT_EQ(late.answer(), QStringLiteral("REFUSED"));
}

TEST(SingleInstance, LockThatCannotBeMadeDoesNotKeepTheProgramFromStarting)
{
    // A runtime "folder" that is really a file: no lock can be written below it.
    QTemporaryFile notAFolder;
    ASSERT_TRUE(notAFolder.open());
    SingleInstance instance(notAFolder.fileName() + QStringLiteral("/quillo.lock"));
    EXPECT_TRUE(instance.acquire());
}
