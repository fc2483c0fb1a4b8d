// The draft file: where it lives, what it holds, that a bad one is set aside whole without
// harming another, that only a regular file in a private folder is used, and that a failed
// save (a full disk) leaves the previous draft as it was.
#include "draft_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "draft_files.h"
#include "engine.h"
#include "sjis.h"

namespace lumeta {
namespace {

using testing::cp932;
using testing::read_all;
using testing::SmallDisk;
using testing::write_all;

mode_t mode_of(const QString& path) {
  struct stat st {};
  EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
  return st.st_mode & 0777;
}

TEST(DraftFile, PathFollowsXdgStateHome) {
  const QByteArray saved = qgetenv("XDG_STATE_HOME");
  qputenv("XDG_STATE_HOME", "/tmp/state-home");
  EXPECT_EQ(DraftFile::default_path(), QStringLiteral("/tmp/state-home/lumeta/draft.txt"));
  for (const char* unusable : {"", "relative/state"}) {
    qputenv("XDG_STATE_HOME", unusable);
    EXPECT_EQ(DraftFile::default_path(),
              QDir::homePath() + QStringLiteral("/.local/state/lumeta/draft.txt"));
  }
  qputenv("XDG_STATE_HOME", saved);
}

TEST(DraftFile, SavesPrivatelyAndLoadsBack) {
  QTemporaryDir home;
  const QString path = home.path() + QStringLiteral("/state/lumeta/draft.txt");
  DraftFile draft(path);
  const std::string text = cp932(u8"あい\r\n漢字ab");
  ASSERT_TRUE(draft.save(text, 6));  // after the line break
  EXPECT_EQ(read_all(path), QByteArray("Lumeta draft\ncaret 8\n") +
                                QByteArray(reinterpret_cast<const char*>(u8"あい\r\n漢字ab")));
  EXPECT_EQ(mode_of(path), 0600u);
  EXPECT_EQ(mode_of(home.path() + QStringLiteral("/state/lumeta")), 0700u);
  EXPECT_EQ(mode_of(home.path() + QStringLiteral("/state")), 0700u);  // the state folder too
  ASSERT_TRUE(draft.save(text, 3));  // inside い: before it; the file is replaced
  EXPECT_EQ(mode_of(path), 0600u);
  // Nothing but the draft is left beside it.
  EXPECT_EQ(QDir(home.path() + QStringLiteral("/state/lumeta")).entryList(QDir::Files),
            QStringList{QStringLiteral("draft.txt")});
  DraftTexts loaded;
  EXPECT_EQ(draft.load(loaded), DraftFile::Loaded::loaded);
  EXPECT_EQ(loaded.text, text);
  EXPECT_EQ(loaded.caret, 2);
  EXPECT_TRUE(loaded.kept.empty());
  ASSERT_TRUE(draft.save("", 0));
  EXPECT_EQ(draft.load(loaded), DraftFile::Loaded::loaded);
  EXPECT_EQ(loaded.text, "");
  // Texts kept for 元に戻す go in front, their sizes on a line of their own.
  ASSERT_TRUE(draft.save({cp932(u8"え"), 2, {cp932(u8"かき"), cp932(u8"く\r\nけ")}}));
  EXPECT_EQ(read_all(path), QByteArray(reinterpret_cast<const char*>(
                                u8"Lumeta draft\ncaret 3\nkept 6 8\nかきく\r\nけえ")));
  EXPECT_EQ(draft.load(loaded), DraftFile::Loaded::loaded);
  EXPECT_EQ(loaded.text, cp932(u8"え"));
  EXPECT_EQ(loaded.kept, (std::vector{cp932(u8"かき"), cp932(u8"く\r\nけ")}));
  // A text that merely looks like such a line is text: its line ends in CR LF.
  ASSERT_TRUE(write_all(path, "Lumeta draft\ncaret 0\nkept 1\r\nx"));
  EXPECT_EQ(draft.load(loaded), DraftFile::Loaded::loaded);
  EXPECT_EQ(loaded.text, "kept 1\r\nx");
  EXPECT_TRUE(loaded.kept.empty());
}

// Everything a window can hold comes back: a million characters kept for 元に戻す and more on
// display, offered one after the other where together they pass the display's limit.
TEST(DraftFile, AMillionCharactersKeptAndMoreOnDisplayComeBackWhole) {
  QTemporaryDir home;
  DraftFile draft(home.path() + QStringLiteral("/lumeta/draft.txt"));
  const std::string million(kMaxDisplayChars, 'a');
  const std::string ka = cp932(u8"か");
  ASSERT_TRUE(draft.save({ka, 2, {million}}));
  DraftTexts loaded;
  ASSERT_EQ(draft.load(loaded), DraftFile::Loaded::loaded);
  EXPECT_EQ(loaded.text, ka);
  ASSERT_EQ(loaded.kept.size(), 1u);
  EXPECT_EQ(loaded.kept[0], million);
  EXPECT_EQ(loaded.offers(), (std::vector{ka, million}));
  // Texts that fit together are one, the kept one in front, as 元に戻す would join them.
  EXPECT_EQ((DraftTexts{ka, 0, {"ab", "cd"}}.offers()), (std::vector{"cdab" + ka}));
  EXPECT_EQ((DraftTexts{"", 0, {"ab"}}.offers()), (std::vector<std::string>{"ab"}));
}

TEST(DraftFile, NoDraftIsNoDraft) {
  QTemporaryDir home;
  DraftFile draft(home.path() + QStringLiteral("/lumeta/draft.txt"));
  DraftTexts text{"x", 0, {}};
  EXPECT_EQ(draft.load(text), DraftFile::Loaded::none);
  EXPECT_EQ(text.text, "");
}

TEST(DraftFile, ABadDraftIsSetAsideWhole) {
  std::string huge = "Lumeta draft\ncaret 0\n";
  huge += std::string(kMaxDisplayChars + 1, 'a');
  const std::string at_limit = "Lumeta draft\ncaret 0\n" + std::string(kMaxDisplayChars, 'a');
  const QByteArray bad[] = {
      "",
      "Lumeta draft\n",
      "lumeta draft\ncaret 0\nabc",
      "Lumeta draft\ncaret x\nabc",
      "Lumeta draft\ncaret -1\nabc",
      "Lumeta draft\ncaret 4\nabc",               // past the end
      "Lumeta draft\ncaret 1\n\xe3\x81\x82",      // inside あ
      "Lumeta draft\ncaret 1\n\r\n",              // between CR and LF
      "Lumeta draft\ncaret 0\nab\xff",            // not UTF-8
      "Lumeta draft\ncaret 0\n\xf0\x9f\x98\x80",  // no Shift-JIS form
      "Lumeta draft\ncaret 0\na\nb",              // a lone LF
      "Lumeta draft\ncaret 0\nkept 4\nabc",       // a kept text past the end
      "Lumeta draft\ncaret 0\nkept 0\nabc",       // an empty one
      "Lumeta draft\ncaret 0\nkept 1 x\nabc",
      QByteArray::fromStdString(huge),
  };
  QTemporaryDir home;
  const QString path = home.path() + QStringLiteral("/lumeta/draft.txt");
  for (const QByteArray& contents : bad) {
    ASSERT_TRUE(write_all(path, contents));
    DraftFile draft(path);
    DraftTexts text{"left over", 7, {"x"}};
    EXPECT_EQ(draft.load(text), DraftFile::Loaded::set_aside) << contents.left(40).data();
    EXPECT_EQ(text.text, "");
    EXPECT_EQ(text.caret, 0);
    EXPECT_TRUE(text.kept.empty());
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(read_all(draft.set_aside_as()), contents);
    QFile::remove(draft.set_aside_as());
  }
  ASSERT_TRUE(write_all(path, QByteArray::fromStdString(at_limit)));  // the limit itself is fine
  DraftTexts text;
  EXPECT_EQ(DraftFile(path).load(text), DraftFile::Loaded::loaded);
  EXPECT_EQ(text.text.size(), kMaxDisplayChars);
}

// Each bad draft gets a name of its own; none is ever deleted or written over, and one that
// cannot be moved stays where it is.
TEST(DraftFile, BadDraftsAreAllKept) {
  QTemporaryDir home;
  const QString folder = home.path() + QStringLiteral("/lumeta");
  const QString path = folder + QStringLiteral("/draft.txt");
  ASSERT_TRUE(QDir().mkpath(path + QStringLiteral(".bad.1")));  // a folder takes a name
  for (const char* first : {"first", "second"}) {
    ASSERT_TRUE(write_all(path, first));
    DraftTexts draft;
    EXPECT_EQ(DraftFile(path).load(draft), DraftFile::Loaded::set_aside);
  }
  EXPECT_EQ(read_all(path + QStringLiteral(".bad")), "first");
  EXPECT_EQ(read_all(path + QStringLiteral(".bad.2")), "second");

  SmallDisk disk(folder, 64);
  if (!disk.mounted() && ::geteuid() == 0) GTEST_SKIP() << "cannot mount a tmpfs here";
  ASSERT_TRUE(write_all(path, "third"));
  if (disk.mounted()) {
    ASSERT_TRUE(disk.make_read_only());
  } else {
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0500), 0);
  }
  DraftFile draft(path);
  DraftTexts loaded;
  EXPECT_EQ(draft.load(loaded), DraftFile::Loaded::left_bad);
  EXPECT_FALSE(draft.error().isEmpty());
  EXPECT_EQ(read_all(path), "third");
  ::chmod(QFile::encodeName(folder).constData(), 0700);
}

// A FIFO, a link or a folder others can write to: start-up never waits, nothing is written
// through a link, and a folder others could tamper with is not used at all.
TEST(DraftFile, OnlyARegularFileInAPrivateFolder) {
  QTemporaryDir home;
  const QString folder = home.path() + QStringLiteral("/lumeta");
  const QString path = folder + QStringLiteral("/draft.txt");
  ASSERT_TRUE(QDir().mkpath(folder));
  ::chmod(QFile::encodeName(folder).constData(), 0700);
  DraftFile draft(path);
  DraftTexts loaded;

  ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
  EXPECT_EQ(draft.load(loaded), DraftFile::Loaded::set_aside);  // at once, with no writer
  EXPECT_TRUE(QFileInfo(path + QStringLiteral(".bad")).exists());
  EXPECT_FALSE(QFileInfo::exists(path));

  const QString target = home.path() + QStringLiteral("/target");
  ASSERT_TRUE(write_all(target, "Lumeta draft\ncaret 0\nsomeone else's"));
  ASSERT_TRUE(QFile::link(target, path));
  EXPECT_EQ(draft.load(loaded), DraftFile::Loaded::set_aside);  // never read through a link
  EXPECT_EQ(loaded.text, "");
  ASSERT_TRUE(QFile::link(target, path));
  ASSERT_TRUE(draft.save("mine", 0));  // the link is replaced, its target left alone
  EXPECT_EQ(read_all(target), "Lumeta draft\ncaret 0\nsomeone else's");
  EXPECT_FALSE(QFileInfo(path).isSymLink());

  ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0777), 0);
  EXPECT_EQ(draft.load(loaded), DraftFile::Loaded::unsafe_folder);
  EXPECT_EQ(DraftFile::prepare_folder(folder), DraftFile::Folder::unsafe);
  EXPECT_FALSE(draft.save("changed", 0));
  EXPECT_EQ(read_all(path), "Lumeta draft\ncaret 0\nmine");

  const QString linked = home.path() + QStringLiteral("/linked");
  ASSERT_TRUE(QFile::link(folder, linked));  // a link to a folder is not a folder
  EXPECT_EQ(DraftFile::prepare_folder(linked), DraftFile::Folder::unsafe);
}

// A full disk: the kernel takes part of the write and refuses the rest. The previous draft
// stays byte for byte, nothing is left beside it, and the next save after room is made works.
TEST(DraftFile, AFullDiskKeepsThePreviousDraft) {
  QTemporaryDir home;
  const QString folder = home.path() + QStringLiteral("/lumeta");
  SmallDisk disk(folder, 64);
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
  const QString path = folder + QStringLiteral("/draft.txt");
  DraftFile draft(path);
  ASSERT_TRUE(draft.save(cp932(u8"あいうえおかきくけこ"), 30));
  const QByteArray before = read_all(path);
  disk.fill();
  EXPECT_FALSE(draft.save(cp932(u8"あいうえおかきくけこさ"), 33));
  EXPECT_FALSE(draft.error().isEmpty());
  EXPECT_EQ(read_all(path), before);
  EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
            (QStringList{QStringLiteral("draft.txt"), QStringLiteral("filler")}));
  // Larger than the whole disk: refused just the same.
  EXPECT_FALSE(draft.save(std::string(200'000, 'a'), 0));
  EXPECT_EQ(read_all(path), before);
  QFile::remove(folder + QStringLiteral("/filler"));
  EXPECT_TRUE(draft.save(cp932(u8"さ"), 0));
}

// The calls a save makes, in order; fsync or write made to fail on demand.
struct Recorder : FileCalls {
  std::vector<std::string> calls;
  int fail_fsync = 0;  // the errno fsync fails with, or 0
  int fail_write = 0;  // the errno a write after the first fails with, or 0
  ssize_t write(int fd, const void* bytes, std::size_t size) override {
    calls.push_back("write");
    if (fail_write && calls.size() > 1) {
      errno = fail_write;
      return -1;
    }
    return FileCalls::write(fd, bytes, size);
  }
  int fsync(int fd) override {
    calls.push_back("fsync");
    if (fail_fsync) {
      errno = fail_fsync;
      return -1;
    }
    return FileCalls::fsync(fd);
  }
  int renameat(int from_dir, const char* from, int to_dir, const char* to) override {
    calls.push_back("rename");
    return FileCalls::renameat(from_dir, from, to_dir, to);
  }
};

// A new draft reaches the disk whole (written, then synced) before it takes the old one's
// place; when the sync or a write fails (a full disk, as the kernel would say, without root)
// it never does, the old draft stays byte for byte, and nothing is left beside it.
TEST(DraftFile, ANewDraftIsSyncedBeforeItReplacesTheOld) {
  QTemporaryDir home;
  const QString folder = home.path() + QStringLiteral("/lumeta");
  const QString path = folder + QStringLiteral("/draft.txt");
  Recorder recorder;
  DraftFile draft(path, recorder);
  ASSERT_TRUE(draft.save(cp932(u8"あいう"), 0));
  ASSERT_GE(recorder.calls.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(recorder.calls.end() - 2, recorder.calls.end()),
            (std::vector<std::string>{"fsync", "rename"}));
  EXPECT_EQ(std::count(recorder.calls.begin(), recorder.calls.end(), "fsync"), 1);
  const QByteArray before = read_all(path);

  for (const bool sync_fails : {true, false}) {
    recorder.calls.clear();
    recorder.fail_fsync = sync_fails ? EIO : 0;
    recorder.fail_write = sync_fails ? 0 : ENOSPC;
    EXPECT_FALSE(draft.save(cp932(u8"あいうえお"), 0));
    EXPECT_EQ(std::count(recorder.calls.begin(), recorder.calls.end(), "rename"), 0);
    EXPECT_TRUE(
        draft.error().contains(QString::fromLocal8Bit(std::strerror(sync_fails ? EIO : ENOSPC))))
        << draft.error().toStdString();
    EXPECT_EQ(read_all(path), before);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("draft.txt")});
  }
}

TEST(DraftFile, AFailedSaveSaysWhy) {
  QTemporaryDir home;
  ASSERT_TRUE(
      write_all(home.path() + QStringLiteral("/state"), "a file where a directory should be"));
  DraftFile draft(home.path() + QStringLiteral("/state/lumeta/draft.txt"));
  EXPECT_FALSE(draft.save(cp932(u8"あ"), 0));
  EXPECT_FALSE(draft.error().isEmpty());
  DraftFile read_only(QStringLiteral("/proc/lumeta-draft.txt"));
  EXPECT_FALSE(read_only.save(cp932(u8"あ"), 0));
  EXPECT_FALSE(read_only.error().isEmpty());
}

}  // namespace
}  // namespace lumeta
