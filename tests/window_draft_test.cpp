// The draft as the window keeps it, on real file systems (offscreen): a full disk (a small
// tmpfs) never costs the draft on disk and is said once; a million characters kept for 元に戻す
// and more on display all come back after a restart; a second window writes a draft of its
// own and both come back; a FIFO, a link or a folder others can write to never stops start-up
// and is never written through.
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "dictionary.h"
#include "draft_files.h"
#include "main_window.h"
#include "qt_text.h"

namespace lumeta {

using testing::read_all;
using testing::SmallDisk;
using testing::write_all;

class WindowDraftTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir state_home;

  QString folder() const { return state_home.path() + QStringLiteral("/lumeta"); }
  QString draft_path() const { return folder() + QStringLiteral("/draft.txt"); }
  static std::unique_ptr<MainWindow> start() {
    auto form = std::make_unique<MainWindow>(MainWindow::Draft::kept);
    form->keypad().conversion().dictionaries = Dictionaries::builtin;
    form->show();
    form->idle_pass();
    return form;
  }
  static QString text(MainWindow& form) { return to_qstring(form.engine().display().text()); }
  static void clicks(MainWindow& form, std::initializer_list<int> keys) {
    for (int key : keys) {
      QTest::mousePress(form.key(key), Qt::LeftButton);
      QTest::mouseRelease(form.key(key), Qt::LeftButton);
      form.idle_pass();
    }
  }
  static void undo(MainWindow& form) {
    QTest::mouseClick(form.undo_key(), Qt::LeftButton);
    form.idle_pass();
  }
  static QString note(MainWindow& form) {
    return form.draft_label()->isVisibleTo(&form) ? form.draft_label()->message() : QString();
  }
  // The note fits its place in the free space beside the window keys and covers no key.
  static bool note_fits(MainWindow& form) {
    const QRect place = form.draft_label()->geometry();
    if (form.draft_label()->heightForWidth(place.width()) > place.height()) return false;
    for (QWidget* child : form.findChildren<QWidget*>()) {
      if (child->parentWidget() == &form && child->inherits("QAbstractButton") &&
          child->isVisibleTo(&form) && child->geometry().intersects(place)) {
        return false;
      }
    }
    return place.right() < form.width() && place.bottom() < form.height();
  }

 private slots:
  void initTestCase() {
    QVERIFY(state_home.isValid());
    qputenv("XDG_STATE_HOME", QFile::encodeName(state_home.path()));
  }
  void init() {
    ::chmod(QFile::encodeName(folder()).constData(), 0700);
    QDir(folder()).removeRecursively();
  }

  // Ten kana saved, the disk filled, one more key: the draft on disk stays byte for byte, the
  // window says so once, and the first change after room is made is saved.
  void aFullDiskKeepsThePreviousDraftAndSaysSo() {
    SmallDisk disk(folder(), 64);
    if (!disk.mounted()) QSKIP("cannot mount a tmpfs here (needs root)");
    auto form = start();
    clicks(*form, {key::A, key::I, key::U, key::E, key::O, key::K, key::A, key::K, key::I, key::K,
                   key::U, key::K, key::E, key::K, key::O});
    QCOMPARE(text(*form), QStringLiteral("あいうえおかきくけこ"));
    form->save_draft();
    const QByteArray before = read_all(draft_path());
    QVERIFY(before.endsWith(QStringLiteral("あいうえおかきくけこ").toUtf8()));
    disk.fill();
    clicks(*form, {key::S});
    form->save_draft();
    QCOMPARE(note(*form), QStringLiteral("下書きを保存できません"));
    QVERIFY(!form->draft_label()->toolTip().isEmpty());
    QCOMPARE(read_all(draft_path()), before);
    clicks(*form, {key::A});
    form->save_draft();
    QCOMPARE(read_all(draft_path()), before);
    QVERIFY(QFile::remove(folder() + QStringLiteral("/filler")));
    clicks(*form, {key::centre});
    form->save_draft();
    QCOMPARE(note(*form), QString());
    QVERIFY(read_all(draft_path()).endsWith(QStringLiteral("あいうえおかきくけこさ").toUtf8()));
  }

  // A million characters brought back, erased, か typed, quit: after a restart 元に戻す gives
  // back か, and once there is room for it the million too.
  void aMillionCharactersComeBackAfterARestart() {
    QByteArray million = "Lumeta draft\ncaret 0\n";
    million += QStringLiteral("あ").toUtf8().repeated(kMaxDisplayChars);
    QVERIFY(write_all(draft_path(), million));
    auto form = start();
    undo(*form);
    QCOMPARE(form->engine().display().chars(), kMaxDisplayChars);
    QTest::mousePress(form->delete_all_key(), Qt::LeftButton);
    QTest::mouseRelease(form->delete_all_key(), Qt::LeftButton);
    clicks(*form, {key::K, key::A});
    QCOMPARE(text(*form), QStringLiteral("か"));
    QTest::mouseClick(form->quit_key(), Qt::LeftButton);
    form.reset();

    form = start();
    QCOMPARE(note(*form), QString());  // read whole, nothing set aside
    QVERIFY(!QFile::exists(draft_path() + QStringLiteral(".bad")));
    undo(*form);
    QCOMPARE(text(*form), QStringLiteral("か"));
    QVERIFY(form->undo_key()->isEnabled());  // the million waits behind it
    clicks(*form, {key::clear});
    undo(*form);
    QCOMPARE(form->engine().display().chars(), kMaxDisplayChars);
    QVERIFY(text(*form) == QStringLiteral("あ").repeated(kMaxDisplayChars));
  }

  // A types あいう, B starts beside it and types かき, A types え: B says where its text goes,
  // and after both quit and a restart 元に戻す brings back A's text, then B's in front of it.
  void twoWindowsKeepTheirOwnDrafts() {
    auto a = start();
    clicks(*a, {key::A, key::I, key::U});
    a->save_draft();
    auto b = start();
    QVERIFY(note(*b).contains(QStringLiteral("draft-2.txt")));
    QVERIFY(note_fits(*b));
    clicks(*b, {key::K, key::A, key::K, key::I});
    b->save_draft();
    clicks(*a, {key::E});
    QTest::mouseClick(a->quit_key(), Qt::LeftButton);
    QTest::mouseClick(b->quit_key(), Qt::LeftButton);
    a.reset();
    b.reset();
    QVERIFY(QFile::exists(folder() + QStringLiteral("/draft-2.txt")));

    auto next = start();
    QCOMPARE(note(*next), QString());
    undo(*next);
    QCOMPARE(text(*next), QStringLiteral("あいうえ"));
    undo(*next);
    QCOMPARE(text(*next), QStringLiteral("かきあいうえ"));
    // Taken into the window's own draft, the second one is gone from disk.
    next->save_draft();
    QVERIFY(!QFile::exists(folder() + QStringLiteral("/draft-2.txt")));
    QVERIFY(read_all(draft_path()).endsWith(QStringLiteral("かきあいうえ").toUtf8()));
  }

  // Start-up never waits for a FIFO nor reads through a link; each is set aside and said so,
  // in the free space beside the window keys. A folder others can write to is not used at all.
  void strangeDraftsNeverStopStartUp() {
    QVERIFY(QDir().mkpath(folder()));
    QCOMPARE(::mkfifo(QFile::encodeName(draft_path()).constData(), 0600), 0);
    auto form = start();
    QVERIFY(note(*form).contains(QStringLiteral("draft.txt.bad")));
    QVERIFY(note_fits(*form));
    form.reset();

    const QString target = state_home.path() + QStringLiteral("/elsewhere.txt");
    QVERIFY(write_all(target, "Lumeta draft\ncaret 0\nnot mine"));
    QVERIFY(QFile::link(target, draft_path()));
    form = start();
    QVERIFY(note(*form).contains(QStringLiteral("draft.txt.bad.1")));
    QVERIFY(!form->undo_key()->isEnabled());
    clicks(*form, {key::A});
    form->save_draft();
    QCOMPARE(read_all(target), QByteArray("Lumeta draft\ncaret 0\nnot mine"));
    form.reset();

    QVERIFY(QFile::remove(draft_path()));
    QCOMPARE(::chmod(QFile::encodeName(folder()).constData(), 0777), 0);
    form = start();
    QVERIFY(note(*form).contains(QStringLiteral("ほかの人も書き込める")));
    QVERIFY(note_fits(*form));
    clicks(*form, {key::K, key::A});
    form->save_draft();
    QCOMPARE(text(*form), QStringLiteral("か"));
    QVERIFY(!QFile::exists(draft_path()));
  }
};

}  // namespace lumeta

QTEST_MAIN(lumeta::WindowDraftTest)
#include "window_draft_test.moc"
