// The drafts' locks on the real file system: one holder at a time, in this process or another,
// given up the moment the holder dies however it dies, never taken through a link, and the
// slots a second window claims beside a first.
#include "draft_slots.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>

namespace lumeta {
namespace {

TEST(DraftLock, OneHolderAtATimeFreedWhenItsProcessIsKilled) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("draft.txt.lock"));
  bool held = false;
  QString why;
  {
    const std::unique_ptr<DraftLock> first = DraftLock::take(path, &held, &why);
    ASSERT_TRUE(first) << why.toStdString();
    EXPECT_FALSE(DraftLock::take(path, &held, &why));
    EXPECT_TRUE(held);  // held, not impossible
    // Private: nobody else reads even who holds it.
    EXPECT_EQ(QFile::permissions(path) & (QFileDevice::ReadGroup | QFileDevice::ReadOther), 0);
  }
  EXPECT_FALSE(QFile::exists(path));  // given up, removed

  // A holder killed outright leaves the file behind but not the lock.
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  if (child == 0) {
    bool child_held = false;
    const std::unique_ptr<DraftLock> lock = DraftLock::take(path, &child_held, nullptr);
    const char taken = lock ? 'y' : 'n';
    if (write(ready[1], &taken, 1) != 1) _exit(1);
    pause();
    _exit(0);
  }
  char taken = 0;
  ASSERT_EQ(read(ready[0], &taken, 1), 1);
  ASSERT_EQ(taken, 'y');
  EXPECT_FALSE(DraftLock::take(path, &held, &why));
  EXPECT_TRUE(held);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_TRUE(QFile::exists(path));
  EXPECT_TRUE(DraftLock::take(path, &held, &why)) << why.toStdString();
  close(ready[0]);
  close(ready[1]);
}

TEST(DraftLock, NeverThroughALink) {
  QTemporaryDir dir;
  const QString target = dir.filePath(QStringLiteral("elsewhere"));
  const QString path = dir.filePath(QStringLiteral("draft.txt.lock"));
  ASSERT_TRUE(QFile::link(target, path));
  bool held = true;
  QString why;
  EXPECT_FALSE(DraftLock::take(path, &held, &why));
  EXPECT_FALSE(held);  // not another window's: the lock cannot be made, and why says so
  EXPECT_TRUE(why.contains(QStringLiteral("draft.txt.lock")));
  EXPECT_FALSE(QFile::exists(target));
}

TEST(DraftSlots, ASecondWindowTakesTheNextSlotAndTheFirstAgainOnceFree) {
  QTemporaryDir dir;
  auto first = std::make_unique<DraftSlots>(dir.path());
  DraftSlots second(dir.path());
  EXPECT_EQ(first->claim(), 1);
  EXPECT_TRUE(first->locked());
  EXPECT_EQ(second.claim(), 2);
  EXPECT_EQ(second.path_of(2), dir.filePath(QStringLiteral("draft-2.txt")));
  first.reset();
  DraftSlots third(dir.path());
  EXPECT_EQ(third.claim(), 1);
}

}  // namespace
}  // namespace lumeta
