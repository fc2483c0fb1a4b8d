// The learning store on a real file system: what is learned survives closing, a kill during
// writing, a damaged or foreign file and a link in its place; a read-only folder or a full disk
// (a small real tmpfs, as root) is reported and never stops learning in memory, and what the
// disk refused is written once it takes it (the kernel refusing every byte, RLIMIT_FSIZE, where
// no tmpfs can be mounted); a folder or file others can reach is never used; the file is in WAL
// mode and never holds more than the capacity, however many windows write at once and however
// many rows a crafted file holds.
#include "learning_store.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace lumeta::testing {
namespace {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed afterwards.
struct Scratch {
  fs::path dir;
  Scratch() {
    std::string name = (fs::temp_directory_path() / "lumeta-learning-XXXXXX").string();
    dir = mkdtemp(name.data());
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(dir, ignored);
  }
  std::string path(const std::string& name) const { return (dir / name).string(); }
};

// What the store said to the user, gathered from its writer thread.
struct Reports {
  std::mutex mutex;
  std::vector<LearningProblem> problems;
  std::vector<std::string> messages;  // their details
  LearningStore::Report listener() {
    return [this](const LearningProblem& p) {
      std::lock_guard lock(mutex);
      problems.push_back(p);
      messages.push_back(p.details);
    };
  }
  std::size_t count() {
    std::lock_guard lock(mutex);
    return problems.size();
  }
  bool only(LearningProblem::Kind kind) {
    std::lock_guard lock(mutex);
    return problems.size() == 1 && problems[0].kind == kind;
  }
};

// Every byte written to a file refused by the kernel while it lives, as a full disk refuses
// them (RLIMIT_FSIZE 0; no root needed). Nothing else may write to a file meanwhile.
struct NoBytesWritten {
  rlimit saved{};
  NoBytesWritten() {
    signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit none = saved;
    none.rlim_cur = 0;
    setrlimit(RLIMIT_FSIZE, &none);
  }
  ~NoBytesWritten() { setrlimit(RLIMIT_FSIZE, &saved); }
};

// The single value a query gives on the file, read by a connection of its own.
std::string ask(const std::string& path, const char* sql) {
  sqlite3* db = nullptr;
  std::string result = "cannot open";
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    result = s && sqlite3_step(s) == SQLITE_ROW
                 ? reinterpret_cast<const char*>(sqlite3_column_text(s, 0))
                 : sqlite3_errmsg(db);
    sqlite3_finalize(s);
  }
  sqlite3_close(db);
  return result;
}

std::vector<std::string> spellings(const LearningStore& store, std::string_view prefix) {
  std::vector<std::string> out;
  for (const LearningStore::Choice& c : store.choices(prefix, 100))
    out.push_back(c.spelling);
  return out;
}

std::string integrity(const std::string& path) {
  sqlite3* db = nullptr;
  std::string result = "cannot open";
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr);
    if (s && sqlite3_step(s) == SQLITE_ROW)
      result = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
    sqlite3_finalize(s);
  }
  sqlite3_close(db);
  return result;
}

TEST(LearningStore, WhatIsLearnedIsKeptPrivateAndMostRecentFirst) {
  Scratch scratch;
  const std::string path = scratch.path("new/lumeta/learning.sqlite3");
  {
    LearningStore store(path);
    store.record_choice("かく", "書く");
    store.record_choice("かく", "描く");
    store.record_choice("かくにん", "確認");
    store.record_choice("がぞう", "画像");
    store.record_pair("描く", "絵");
    store.record_pair("描く", "線");
    // Served from memory at once, before anything is written.
    EXPECT_EQ(spellings(store, "かく"), (std::vector<std::string>{"確認", "描く", "書く"}));
  }
  struct stat file {
  }, folder{};
  ASSERT_EQ(lstat(path.c_str(), &file), 0);
  ASSERT_EQ(lstat(scratch.path("new/lumeta").c_str(), &folder), 0);
  EXPECT_EQ(file.st_mode & 0777, 0600u);
  EXPECT_EQ(folder.st_mode & 0777, 0700u);
  EXPECT_EQ(ask(path, "PRAGMA journal_mode"), "wal");

  LearningStore again(path);
  again.flush();
  EXPECT_EQ(spellings(again, "かく"), (std::vector<std::string>{"確認", "描く", "書く"}));
  EXPECT_EQ(spellings(again, "が"), (std::vector<std::string>{"画像"}));
  EXPECT_EQ(spellings(again, "かくに"), (std::vector<std::string>{"確認"}));
  EXPECT_TRUE(spellings(again, "き").empty());
  EXPECT_EQ(again.followers("描く", 5), (std::vector<std::string>{"線", "絵"}));
  // Seen twice, a follower comes before one seen once more recently.
  again.record_pair("描く", "絵");
  EXPECT_EQ(again.followers("描く", 5), (std::vector<std::string>{"絵", "線"}));
  // Chosen again, an old choice comes first again, counted twice.
  again.record_choice("かく", "書く");
  const auto now = again.choices("かく", 1);
  ASSERT_EQ(now.size(), 1u);
  EXPECT_EQ(now[0].spelling, "書く");
  EXPECT_EQ(now[0].count, 2);
}

TEST(LearningStore, TheLeastRecentlyUsedGoPastTheCapacity) {
  Scratch scratch;
  const std::string path = scratch.path("learning.sqlite3");
  const std::vector<std::string> kana = {"あ", "い", "う", "え", "お", "か", "き"};
  {
    LearningStore store(path, {}, 5);
    for (const std::string& k : kana)
      store.record_choice(k, k + "字");
    store.record_choice("う", "う字");  // used again: stays
    EXPECT_EQ(store.choice_count(), 5u);
    EXPECT_TRUE(spellings(store, "あ").empty());
    EXPECT_TRUE(spellings(store, "い").empty());
    EXPECT_FALSE(spellings(store, "う").empty());
  }
  LearningStore again(path, {}, 5);
  again.flush();
  EXPECT_EQ(again.choice_count(), 5u);
  EXPECT_TRUE(spellings(again, "あ").empty());
  EXPECT_TRUE(spellings(again, "い").empty());
  EXPECT_FALSE(spellings(again, "え").empty());
  EXPECT_FALSE(spellings(again, "う").empty());
  EXPECT_FALSE(spellings(again, "き").empty());
}

TEST(LearningStore, TwoWindowsShareOneFile) {
  Scratch scratch;
  const std::string path = scratch.path("learning.sqlite3");
  {
    Reports reports;
    LearningStore first(path, reports.listener());
    LearningStore second(path, reports.listener());
    for (int i = 0; i < 300; ++i) {
      first.record_choice("かく", "書く" + std::to_string(i));
      second.record_choice("かく", "描く" + std::to_string(i));
    }
    first.flush();
    second.flush();
    EXPECT_EQ(reports.count(), 0u) << (reports.count() ? reports.messages[0] : "");
  }
  LearningStore again(path);
  again.flush();
  EXPECT_EQ(again.choice_count(), 600u);
}

TEST(LearningStore, AKillDuringWritingNeverDamagesTheFile) {
  Scratch scratch;
  const std::string path = scratch.path("learning.sqlite3");
  std::size_t learned_before = 0;
  for (int round = 0; round < 6; ++round) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Learns without pause until killed, a transaction every few moments; says so once the
      // first choice is on disk.
      LearningStore store(path);
      store.record_choice("かく", "書く" + std::to_string(round * 1000000));
      store.flush();
      (void)!write(ready[1], "r", 1);
      for (int i = 1;; ++i) {
        store.record_choice("かく", "書く" + std::to_string(round * 1000000 + i));
        if (i % 4 == 0) usleep(1000);
      }
    }
    close(ready[1]);
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    close(ready[0]);
    usleep(50'000 + static_cast<useconds_t>(round) * 45'000);  // in the midst of writing
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    Reports reports;
    {
      LearningStore store(path, reports.listener());
      store.flush();
      // Everything but at most the last moments before the kill is there.
      EXPECT_GT(store.choice_count(), learned_before) << "round " << round;
      learned_before = store.choice_count();
    }
    EXPECT_EQ(reports.count(), 0u) << reports.messages.front();
    EXPECT_FALSE(fs::exists(path + ".bad"));
    EXPECT_EQ(integrity(path), "ok");
  }
}

TEST(LearningStore, ADamagedForeignOrLinkedFileIsSetAside) {
  Scratch scratch;
  const std::string path = scratch.path("learning.sqlite3");
  {
    LearningStore store(path);
    store.record_choice("かく", "描く");
  }
  // Damaged: the middle of the file overwritten.
  {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(100);
    f << std::string(3000, 'x');
  }
  {
    Reports reports;
    LearningStore store(path, reports.listener());
    store.flush();
    EXPECT_EQ(reports.count(), 1u);
    EXPECT_TRUE(fs::exists(path + ".bad"));
    store.record_choice("がぞう", "画像");
  }
  {
    LearningStore store(path);
    store.flush();
    EXPECT_EQ(spellings(store, "が"), (std::vector<std::string>{"画像"}));
  }
  // Another program's database: set aside under the next free name.
  fs::remove(path);
  {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE notes(x); INSERT INTO notes VALUES(1)", nullptr, nullptr,
                 nullptr);
    sqlite3_close(db);
  }
  {
    LearningStore store(path);
    store.flush();
    store.record_choice("かく", "描く");
  }
  EXPECT_TRUE(fs::exists(path + ".bad.2"));
  // Folders above the store's own may be links; the store's own folder may not.
  fs::create_directory(scratch.path("real"));
  fs::create_directory_symlink(scratch.path("real"), scratch.path("share"));
  {
    Reports reports;
    LearningStore store(scratch.path("share/lumeta/learning.sqlite3"), reports.listener());
    store.flush();
    EXPECT_EQ(reports.count(), 0u);
  }
  EXPECT_TRUE(fs::exists(scratch.path("real/lumeta/learning.sqlite3")));
  fs::create_directory_symlink(scratch.path("real/lumeta"), scratch.path("linked"));
  {
    Reports reports;
    LearningStore store(scratch.path("linked/learning.sqlite3"), reports.listener());
    store.record_choice("かく", "描く");
    store.flush();
    EXPECT_TRUE(reports.only(LearningProblem::Kind::not_private));
  }
  // A link in the file's place is never followed: the link goes aside, its target untouched.
  fs::remove(path);
  const std::string target = scratch.path("elsewhere");
  { std::ofstream(target) << "keep me"; }
  fs::create_symlink(target, path);
  {
    LearningStore store(path);
    store.record_choice("かく", "描く");
    store.flush();
  }
  EXPECT_TRUE(fs::is_symlink(path + ".bad.3"));
  EXPECT_FALSE(fs::is_symlink(path));
  std::ifstream kept(target);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep me");
  EXPECT_EQ(integrity(path), "ok");
}

// A small tmpfs of its own, mounted while it lives (root only).
struct SmallDisk {
  Scratch scratch;
  bool mounted = false;
  SmallDisk(const char* options, unsigned long flags = 0) {
    mounted = mount("tmpfs", scratch.dir.c_str(), "tmpfs", flags, options) == 0;
  }
  ~SmallDisk() {
    if (mounted) umount2(scratch.dir.c_str(), MNT_DETACH);
  }
};

TEST(LearningStore, AReadOnlyFolderOrAFullDiskIsReportedAndLearningGoesOn) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting a tmpfs needs root";
  {
    SmallDisk disk("size=64k,mode=700", MS_RDONLY);
    ASSERT_TRUE(disk.mounted);
    Reports reports;
    LearningStore store(disk.scratch.path("learning.sqlite3"), reports.listener());
    store.record_choice("かく", "描く");
    store.flush();
    EXPECT_TRUE(reports.only(LearningProblem::Kind::cannot_write));
    EXPECT_EQ(spellings(store, "かく"), (std::vector<std::string>{"描く"}));
  }
  {
    SmallDisk disk("size=256k,mode=700");
    ASSERT_TRUE(disk.mounted);
    const std::string path = disk.scratch.path("learning.sqlite3");
    Reports reports;
    LearningStore store(path, reports.listener());
    store.record_choice("かく", "描く");
    store.flush();
    ASSERT_EQ(reports.count(), 0u);
    // The rest of the disk taken by another file.
    {
      std::ofstream filler(disk.scratch.path("filler"), std::ios::binary);
      const std::string block(4096, 'x');
      while (filler.write(block.data(), block.size()) && filler.flush()) {
      }
    }
    for (int i = 0; i < 2000; ++i)
      store.record_choice("かんじ", "漢字" + std::to_string(i));
    store.flush();
    EXPECT_TRUE(reports.only(LearningProblem::Kind::cannot_write));
    EXPECT_EQ(store.choices("かんじ", 3000).size(), 2000u);  // still learned in memory
    EXPECT_EQ(integrity(path), "ok");
    // Room again: the next choice writes everything the full disk refused.
    fs::remove(disk.scratch.path("filler"));
    store.record_choice("かく", "書く");
    store.flush();
    EXPECT_EQ(ask(path, "SELECT count(*) FROM choices"), "2002");
  }
}

// Learned while the kernel refuses every byte: kept, reported once, and written with the next
// choice once bytes can be written again; none is lost.
TEST(LearningStore, ChoicesTheDiskRefusedAreWrittenOnceItTakesThem) {
  Scratch scratch;
  const std::string path = scratch.path("learning.sqlite3");
  Reports reports;
  {
    LearningStore store(path, reports.listener());
    store.record_choice("かく", "書く");
    store.flush();
    {
      NoBytesWritten refused;
      for (int i = 0; i < 9; ++i)
        store.record_choice("かんじ", "漢字" + std::to_string(i));
      store.record_pair("漢字0", "を");
      store.flush();
    }
    EXPECT_TRUE(reports.only(LearningProblem::Kind::cannot_write));
    store.record_choice("がぞう", "画像");
    store.flush();
  }
  EXPECT_EQ(ask(path, "SELECT count(*) FROM choices"), "11");
  EXPECT_EQ(ask(path, "SELECT count(*) FROM pairs"), "1");
  EXPECT_EQ(integrity(path), "ok");
}

// A store others can reach is never read nor written: a folder open to everyone holding a
// file anyone may write, and (as root, who can give a file away) a file of someone else's in
// a private folder. Learning goes on in memory and the user is told.
TEST(LearningStore, AStoreOthersCanReachIsNeverUsed) {
  Scratch scratch;
  const std::string open_folder = scratch.path("open");
  fs::create_directory(open_folder);
  const std::string planted = open_folder + "/learning.sqlite3";
  {
    LearningStore store(planted);
    store.record_choice("かく", "書く");
  }
  chmod(open_folder.c_str(), 0777);
  chmod(planted.c_str(), 0666);
  {
    Reports reports;
    LearningStore store(planted, reports.listener());
    store.record_choice("かく", "描く");
    store.flush();
    EXPECT_TRUE(reports.only(LearningProblem::Kind::not_private));
    EXPECT_EQ(spellings(store, "かく"), (std::vector<std::string>{"描く"}));  // nothing read
  }
  EXPECT_EQ(ask(planted, "SELECT count(*) FROM choices"), "1");

  if (geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
  const std::string mine = scratch.path("mine");
  fs::create_directory(mine);
  chmod(mine.c_str(), 0700);
  fs::copy_file(planted, mine + "/learning.sqlite3");
  ASSERT_EQ(chown((mine + "/learning.sqlite3").c_str(), 65534, 65534), 0);
  {
    Reports reports;
    LearningStore store(mine + "/learning.sqlite3", reports.listener());
    store.record_choice("かく", "描く");
    store.flush();
    EXPECT_TRUE(reports.only(LearningProblem::Kind::not_private));
  }
  EXPECT_EQ(ask(mine + "/learning.sqlite3", "SELECT count(*) FROM choices"), "1");
}

// A store that can be read but not written (a read-only tmpfs as root, a file and folder
// without write permission otherwise): what it holds is used, the user is told, and new
// choices are learned in memory.
TEST(LearningStore, AReadOnlyStoreIsStillRead) {
  std::unique_ptr<SmallDisk> disk;
  Scratch scratch;
  std::string folder = scratch.path("lumeta");
  if (geteuid() == 0) {
    disk = std::make_unique<SmallDisk>("size=256k,mode=700");
    ASSERT_TRUE(disk->mounted);
    folder = disk->scratch.path("lumeta");
  }
  fs::create_directory(folder);
  chmod(folder.c_str(), 0700);
  const std::string path = folder + "/learning.sqlite3";
  {
    LearningStore store(path);
    store.record_choice("かく", "書く");
    store.record_pair("書く", "を");
  }
  if (disk) {
    ASSERT_EQ(mount(nullptr, disk->scratch.dir.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr),
              0);
  } else {
    chmod(path.c_str(), 0400);
    chmod(folder.c_str(), 0500);
  }
  Reports reports;
  {
    LearningStore store(path, reports.listener());
    store.flush();
    EXPECT_EQ(spellings(store, "か"), (std::vector<std::string>{"書く"}));
    EXPECT_EQ(store.followers("書く", 5), (std::vector<std::string>{"を"}));
    store.record_choice("がぞう", "画像");
    store.flush();
    EXPECT_EQ(spellings(store, "が"), (std::vector<std::string>{"画像"}));
  }
  EXPECT_TRUE(reports.only(LearningProblem::Kind::read_only))
      << (reports.count() ? reports.messages[0] : "");
  chmod(folder.c_str(), 0700);
}

// Eight windows writing at once keep exactly the capacity, in both tables, even where their
// times tie.
TEST(LearningStore, TheCapacityIsExactWithEightWritersAtOnce) {
  Scratch scratch;
  const std::string path = scratch.path("learning.sqlite3");
  { LearningStore create(path); }
  std::vector<std::thread> windows;
  for (int w = 0; w < 8; ++w) {
    windows.emplace_back([&path, w] {
      LearningStore store(path, {}, 50);
      for (int i = 0; i < 60; ++i) {
        store.record_choice("かく", "書く" + std::to_string(w * 100 + i));
        store.record_pair("書く", "を" + std::to_string(w * 100 + i));
      }
      store.flush();
    });
  }
  for (std::thread& window : windows)
    window.join();
  EXPECT_EQ(ask(path, "SELECT count(*) FROM choices"), "50");
  EXPECT_EQ(ask(path, "SELECT count(*) FROM pairs"), "50");
}

// A crafted store of far more rows than the capacity: the most recently used are read, only
// as many as the capacity, and the file is cut down to them.
TEST(LearningStore, ACraftedHugeStoreIsReadOnlyAsFarAsTheCapacity) {
  Scratch scratch;
  const std::string path = scratch.path("learning.sqlite3");
  { LearningStore create(path); }
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_exec(db,
                 "BEGIN; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n"
                 " WHERE i < 200000) INSERT INTO choices SELECT 'r', 'x' || i, 1, i FROM n;"
                 "COMMIT",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  ASSERT_EQ(ask(path, "SELECT count(*) FROM choices"), "200000");
  {
    LearningStore store(path, {}, 100);
    store.flush();
    EXPECT_EQ(store.choice_count(), 100u);
    const auto newest = store.choices("r", 1);
    ASSERT_EQ(newest.size(), 1u);
    EXPECT_EQ(newest[0].spelling, "x200000");
    EXPECT_EQ(store.choices("r", 1000).back().spelling, "x199901");
  }
  EXPECT_EQ(ask(path, "SELECT count(*) FROM choices"), "100");
  EXPECT_EQ(integrity(path), "ok");
}

}  // namespace
}  // namespace lumeta::testing
