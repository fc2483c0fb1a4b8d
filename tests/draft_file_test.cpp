// The draft file: where it lives, what it holds, and that a bad one is set aside whole.
#include "draft_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>

#include "draft_files.h"
#include "engine.h"
#include "sjis.h"

namespace lumeta {
namespace {

using testing::cp932;
using testing::read_all;
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
  ASSERT_TRUE(draft.save(text, 3));  // inside い: before it; the file is replaced
  EXPECT_EQ(mode_of(path), 0600u);
  // Nothing but the draft is left beside it.
  EXPECT_EQ(QDir(home.path() + QStringLiteral("/state/lumeta")).entryList(QDir::Files),
            QStringList{QStringLiteral("draft.txt")});
  std::string loaded;
  int caret = -1;
  EXPECT_EQ(draft.load(loaded, caret), DraftFile::Loaded::loaded);
  EXPECT_EQ(loaded, text);
  EXPECT_EQ(caret, 2);
  ASSERT_TRUE(draft.save("", 0));
  EXPECT_EQ(draft.load(loaded, caret), DraftFile::Loaded::loaded);
  EXPECT_EQ(loaded, "");
}

TEST(DraftFile, NoDraftIsNoDraft) {
  QTemporaryDir home;
  DraftFile draft(home.path() + QStringLiteral("/lumeta/draft.txt"));
  std::string text = "x";
  int caret = 0;
  EXPECT_EQ(draft.load(text, caret), DraftFile::Loaded::none);
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
      QByteArray::fromStdString(huge),
  };
  QTemporaryDir home;
  const QString path = home.path() + QStringLiteral("/lumeta/draft.txt");
  for (const QByteArray& contents : bad) {
    ASSERT_TRUE(write_all(path, contents));
    DraftFile draft(path);
    std::string text = "left over";
    int caret = 7;
    EXPECT_EQ(draft.load(text, caret), DraftFile::Loaded::set_aside) << contents.left(40).data();
    EXPECT_EQ(text, "");
    EXPECT_EQ(caret, 0);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(read_all(path + QStringLiteral(".bad")), contents);
  }
  ASSERT_TRUE(write_all(path, QByteArray::fromStdString(at_limit)));  // the limit itself is fine
  std::string text;
  int caret = 0;
  EXPECT_EQ(DraftFile(path).load(text, caret), DraftFile::Loaded::loaded);
  EXPECT_EQ(text.size(), kMaxDisplayChars);
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
