#include "platform/SingleInstance.h"

#include "tests/platform/ScratchFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using platform::InstanceLock;
using platform::SingleInstance;

class SingleInstanceTest : public orvant_test::ScratchRuntimeTest
{
protected:
    // Whether a new instance in another process gets the lock (the child's exit code answers).
    static bool OtherProcessAcquires()
    {
        const pid_t child = fork();
        if (child == 0) {
            SingleInstance other;
            _exit(other.TryAcquire() == InstanceLock::Acquired ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
};

TEST_F(SingleInstanceTest, LockFileIsNamedAfterTheProductInTheRuntimeFolder)
{
    EXPECT_EQ(SingleInstance().LockPath(), scratch_.Path() + "ORVANT X80 PRO.lock");
    EXPECT_EQ(SingleInstance("Other").LockPath(), scratch_.Path() + "Other.lock");
}

TEST_F(SingleInstanceTest, SecondInstanceIsRefusedUntilTheFirstReleases)
{
    SingleInstance first;
    ASSERT_EQ(first.TryAcquire(), InstanceLock::Acquired);
    EXPECT_EQ(first.TryAcquire(), InstanceLock::Acquired);
    EXPECT_FALSE(OtherProcessAcquires());
    SingleInstance sameProcess;
    EXPECT_EQ(sameProcess.TryAcquire(), InstanceLock::HeldElsewhere);
    EXPECT_FALSE(sameProcess.IsHeld());

    first.Release();
    EXPECT_TRUE(OtherProcessAcquires());
    EXPECT_EQ(sameProcess.TryAcquire(), InstanceLock::Acquired);
}

TEST_F(SingleInstanceTest, DestructionReleases)
{
    {
        SingleInstance first;
        ASSERT_EQ(first.TryAcquire(), InstanceLock::Acquired);
    }
    EXPECT_TRUE(OtherProcessAcquires());
}

// A holder that dies without cleaning up does not block the next start.
TEST_F(SingleInstanceTest, KilledHolderReleases)
{
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        SingleInstance mine;
        const char answer = mine.TryAcquire() == InstanceLock::Acquired ? 'y' : 'n';
        (void)!write(ready[1], &answer, 1);
        pause();
        _exit(0);
    }
    char answer = 0;
    ASSERT_EQ(read(ready[0], &answer, 1), 1);
    ASSERT_EQ(answer, 'y');
    SingleInstance second;
    EXPECT_EQ(second.TryAcquire(), InstanceLock::HeldElsewhere);
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    EXPECT_EQ(second.TryAcquire(), InstanceLock::Acquired);
    close(ready[0]);
    close(ready[1]);
}

// A session folder this user cannot use (as after su) moves the lock to the private temporary folder;
// with no folder at all the lock is Unavailable, which is not another instance holding it.
TEST_F(SingleInstanceTest, UnusableRuntimeFolderFallsBackOrReportsUnavailable)
{
    const orvant_test::ScopedEnv runtime("XDG_RUNTIME_DIR", "/proc/orvant-no-such-folder");
    const orvant_test::ScopedEnv tmp("TMPDIR", scratch_.Path());
    {
        SingleInstance instance;
        EXPECT_EQ(instance.LockPath().rfind(scratch_.Path() + "orvant-", 0), 0u) << instance.LockPath();
        EXPECT_EQ(instance.TryAcquire(), InstanceLock::Acquired);
    }
    const orvant_test::ScopedEnv noTmp("TMPDIR", "/proc/orvant-no-such-folder");
    SingleInstance nowhere;
    EXPECT_EQ(nowhere.TryAcquire(), InstanceLock::Unavailable);
    EXPECT_NE(nowhere.LastError(), 0);
    EXPECT_FALSE(nowhere.IsHeld());
}

} // namespace
