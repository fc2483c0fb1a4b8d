// The draft's writing thread: the caller never waits, the newest text is what ends up on disk,
// and each write's outcome comes back on the caller's thread.
#include "draft_writer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <string>
#include <vector>

#include "draft_files.h"

namespace lumeta {
namespace {

using testing::cp932;
using testing::read_all;

// The outcomes delivered so far, in order.
struct Outcomes {
  std::vector<bool> ok;
  std::vector<QString> errors;
  std::vector<bool> on_callers_thread;
};

void listen(DraftWriter& writer, Outcomes& outcomes) {
  QObject::connect(&writer, &DraftWriter::written, [&outcomes](bool ok, const QString& error) {
    outcomes.ok.push_back(ok);
    outcomes.errors.push_back(error);
    outcomes.on_callers_thread.push_back(QThread::currentThread() ==
                                         QCoreApplication::instance()->thread());
  });
}

class DraftWriterTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "draft_writer_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) app_ = new QCoreApplication(argc, argv);
  }
  static inline QCoreApplication* app_ = nullptr;
};

TEST_F(DraftWriterTest, TheNewestTextEndsUpOnDiskAndEachOutcomeComesBack) {
  QTemporaryDir home;
  const QString path = home.path() + QStringLiteral("/lumeta/draft.txt");
  Outcomes outcomes;
  {
    DraftWriter writer(path);
    listen(writer, outcomes);
    for (const char8_t* text : {u8"あ", u8"あい", u8"あいう"})
      writer.write({cp932(text), 0, {}});
    writer.wait();
    QCoreApplication::sendPostedEvents(&writer, QEvent::MetaCall);
    EXPECT_EQ(read_all(path),
              QByteArray("Lumeta draft\ncaret 0\n") + reinterpret_cast<const char*>(u8"あいう"));
    // A write queued behind a running one is replaced, never lost or reordered: at least one
    // and at most three writes ran, all of them well.
    ASSERT_GE(outcomes.ok.size(), 1u);
    ASSERT_LE(outcomes.ok.size(), 3u);
    for (std::size_t i = 0; i < outcomes.ok.size(); ++i) {
      EXPECT_TRUE(outcomes.ok[i]);
      EXPECT_TRUE(outcomes.on_callers_thread[i]);
    }
    writer.write(
        {cp932(u8"えお"), 2, {}});  // still queued when the writer goes: written all the same
  }
  EXPECT_EQ(read_all(path),
            QByteArray("Lumeta draft\ncaret 3\n") + reinterpret_cast<const char*>(u8"えお"));
}

TEST_F(DraftWriterTest, AFailedWriteIsReportedWithItsReason) {
  QTemporaryDir home;
  QFile blocker(home.path() + QStringLiteral("/state"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));  // a file where the directory should be
  blocker.close();
  Outcomes outcomes;
  DraftWriter writer(home.path() + QStringLiteral("/state/lumeta/draft.txt"));
  listen(writer, outcomes);
  writer.write({cp932(u8"あ"), 0, {}});
  writer.wait();
  QCoreApplication::sendPostedEvents(&writer, QEvent::MetaCall);
  ASSERT_EQ(outcomes.ok.size(), 1u);
  EXPECT_FALSE(outcomes.ok[0]);
  EXPECT_FALSE(outcomes.errors[0].isEmpty());
}

}  // namespace
}  // namespace lumeta
