// The draft policy with Qt Core alone, on the real file system: a window started where nothing
// can be written (the kernel refusing every byte, a full or read-only tmpfs as root) still
// gets its draft back, says why it cannot save, and saves as soon as it can; a save that fails
// half-way (a full disk, put in between the file calls) keeps the previous draft; leftovers of
// saves cut short by a crash are removed only when their process is gone.
#include "draft_keeper.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <cerrno>
#include <functional>

#include "draft_files.h"
#include "engine.h"
#include "headless_view.h"

namespace lumeta {
namespace {

using testing::cp932;
using testing::read_all;
using testing::SmallDisk;
using testing::write_all;

const QString kCannotSave = QStringLiteral("下書きを保存できません");

QByteArray utf8(const char8_t* text) {
  return QByteArray(reinterpret_cast<const char*>(text));
}

// A draft file as Lumeta writes it, with `text` on display and the caret at its start.
QByteArray draft_of(const char8_t* text) {
  return QByteArray("Lumeta draft\ncaret 0\n") + utf8(text);
}

// File calls that fail as a full disk does while `full` is set.
struct FullDisk : FileCalls {
  std::atomic<bool> full{false};
  ssize_t write(int fd, const void* bytes, std::size_t size) override {
    if (full) {
      errno = ENOSPC;
      return -1;
    }
    return FileCalls::write(fd, bytes, size);
  }
};

// A window's engine and display without the window.
struct Window {
  HeadlessView view;
  Engine engine{view};
  Window() { engine.initialise(); }
  void type(const char8_t* text) { engine.load_text(cp932(text), ""); }
};

class DraftKeeperTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "draft_keeper_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
  }
  void SetUp() override { ASSERT_TRUE(home.isValid()); }

  QString folder() const { return home.path() + QStringLiteral("/lumeta"); }
  QString draft() const { return folder() + QStringLiteral("/draft.txt"); }
  static bool wait_until(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
  }

  QTemporaryDir home;
};

// The kernel refuses every byte written to a file (RLIMIT_FSIZE 0, as a full disk refuses
// them): the lock cannot be made, which is not "every draft taken". The draft still comes back,
// the note says why nothing is saved, each change tries again, and once bytes can be written
// the next change saves everything, the draft from before included.
TEST_F(DraftKeeperTest, AWindowStartedWhereNothingCanBeWrittenLoadsAndSavesOnceItCan) {
  ASSERT_TRUE(write_all(draft(), draft_of(u8"まえのぶん")));
  ::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit none = saved;
  none.rlim_cur = 0;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &none), 0);

  Window window;
  DraftKeeper keeper(folder(), FileCalls::system(), 10);
  int notes = 0;
  QObject::connect(&keeper, &DraftKeeper::note_changed, [&notes] { ++notes; });
  keeper.load(window.engine, window.view);
  EXPECT_FALSE(keeper.locked());
  EXPECT_EQ(keeper.note(), kCannotSave);
  EXPECT_TRUE(keeper.details().contains(QStringLiteral("draft.txt.lock")))
      << keeper.details().toStdString();
  ASSERT_EQ(window.engine.offered_for_undo().size(), 1u);
  EXPECT_EQ(window.engine.offered_for_undo().front(), cp932(u8"まえのぶん"));

  const int said = notes;
  window.type(u8"かき");
  keeper.save_now();
  window.type(u8"かきく");
  keeper.save_now();
  EXPECT_FALSE(keeper.locked());
  EXPECT_EQ(keeper.note(), kCannotSave);
  EXPECT_EQ(notes, said);  // said once, not at every try
  EXPECT_EQ(read_all(draft()), draft_of(u8"まえのぶん"));

  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &saved), 0);
  window.type(u8"かきくき");
  keeper.schedule();
  EXPECT_TRUE(wait_until([&] { return keeper.note().isEmpty(); }));
  EXPECT_TRUE(keeper.locked());
  keeper.close();
  DraftTexts back;
  ASSERT_EQ(DraftFile(draft()).load(back), DraftFile::Loaded::loaded);
  EXPECT_EQ(back.text, cp932(u8"かきくき"));
  EXPECT_EQ(back.kept, std::vector<std::string>{cp932(u8"まえのぶん")});
}

// The same on a real full disk and a read-only one (a 64 KiB tmpfs, as root).
TEST_F(DraftKeeperTest, AFullOrReadOnlyDiskAtStartIsSaidAndOutlived) {
  for (const bool read_only : {false, true}) {
    QDir(folder()).removeRecursively();
    SmallDisk disk(folder(), 64);
    if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
    ASSERT_TRUE(write_all(draft(), draft_of(u8"まえのぶん")));
    if (read_only) {
      ASSERT_TRUE(disk.make_read_only());
    } else {
      disk.fill();
    }
    Window window;
    DraftKeeper keeper(folder(), FileCalls::system(), 10);
    keeper.load(window.engine, window.view);
    EXPECT_EQ(keeper.note(), kCannotSave) << "read-only " << read_only;
    ASSERT_EQ(window.engine.offered_for_undo().size(), 1u);
    window.type(u8"かき");
    keeper.save_now();
    EXPECT_EQ(read_all(draft()), draft_of(u8"まえのぶん"));
    if (read_only) {
      continue;  // a tmpfs cannot be made writable again without losing what it holds
    }
    ASSERT_TRUE(QFile::remove(folder() + QStringLiteral("/filler")));
    window.type(u8"かきき");
    keeper.save_now();
    EXPECT_TRUE(keeper.note().isEmpty()) << keeper.note().toStdString();
    keeper.close();
    DraftTexts back;
    ASSERT_EQ(DraftFile(draft()).load(back), DraftFile::Loaded::loaded);
    EXPECT_EQ(back.text, cp932(u8"かきき"));
    EXPECT_EQ(back.kept, std::vector<std::string>{cp932(u8"まえのぶん")});
  }
}

// A disk that fills up during the session (put in between the file calls, so it runs without
// root): the draft on disk stays byte for byte, the note gives the system's reason, and the
// first change after room is made is saved and the note goes.
TEST_F(DraftKeeperTest, AFullDiskMidSessionKeepsThePreviousDraft) {
  FullDisk disk;
  Window window;
  DraftKeeper keeper(folder(), disk, 10);
  keeper.load(window.engine, window.view);
  EXPECT_TRUE(keeper.note().isEmpty());
  window.type(u8"あいう");
  keeper.save_now();
  const QByteArray before = read_all(draft());
  ASSERT_TRUE(before.endsWith(utf8(u8"あいう")));

  disk.full = true;
  window.type(u8"あいうえ");
  keeper.save_now();
  EXPECT_EQ(keeper.note(), kCannotSave);
  EXPECT_TRUE(keeper.details().contains(QString::fromLocal8Bit(std::strerror(ENOSPC))));
  EXPECT_EQ(read_all(draft()), before);
  // Nothing but the draft and its lock is left beside it.
  EXPECT_EQ(QDir(folder()).entryList(QDir::Files | QDir::Hidden).size(), 2);

  disk.full = false;
  window.type(u8"あいうえお");
  keeper.schedule();
  EXPECT_TRUE(wait_until([&] { return keeper.note().isEmpty(); }));
  EXPECT_TRUE(read_all(draft()).endsWith(utf8(u8"あいうえお")));
}

// At start, the leftovers of processes that are gone are removed; a running process's save in
// progress and files of other names are left alone.
TEST_F(DraftKeeperTest, LeftoversOfCrashedSavesAreRemovedAtStart) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) ::_exit(0);
  ASSERT_EQ(::waitpid(child, nullptr, 0), child);  // a process id nobody uses now
  const QString dead = QString::number(child);
  const QString alive = QString::number(::getpid());
  const QStringList gone = {QStringLiteral(".draft.txt.%1-0.tmp").arg(dead),
                            QStringLiteral(".draft.txt.%1-17.tmp").arg(dead),
                            QStringLiteral(".draft-2.txt.%1-3.tmp").arg(dead)};
  const QStringList kept = {QStringLiteral(".draft.txt.%1-4.tmp").arg(alive),
                            QStringLiteral(".notes.txt.%1-0.tmp").arg(dead),
                            QStringLiteral(".draft.txt.%1-0.tmp.keep").arg(dead),
                            QStringLiteral("draft.txt")};
  for (const QString& name : gone + kept)
    ASSERT_TRUE(write_all(folder() + QLatin1Char('/') + name, draft_of(u8"あ")));
  Window window;
  DraftKeeper keeper(folder(), FileCalls::system(), 10);
  keeper.load(window.engine, window.view);
  for (const QString& name : gone)
    EXPECT_FALSE(QFile::exists(folder() + QLatin1Char('/') + name)) << name.toStdString();
  for (const QString& name : kept)
    EXPECT_TRUE(QFile::exists(folder() + QLatin1Char('/') + name)) << name.toStdString();
}

}  // namespace
}  // namespace lumeta
