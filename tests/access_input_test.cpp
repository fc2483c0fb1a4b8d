// Scanning in the window as the switches and a screen reader meet it: Enter and Space work the
// highlight and nothing else types, the overlay's accessible name and frame follow the
// highlight, and the settings panel, opened by scanning, is scanned alone and applies its
// changes at once.
#include <QAccessible>
#include <QTest>

#include "access_input.h"
#include "main_window.h"

namespace lumeta {

class AccessInputTest : public QObject {
  Q_OBJECT

 private:
  static QString heard(const AccessInput& access) {
    return QAccessible::queryAccessibleInterface(access.overlay())->text(QAccessible::Name);
  }
  static QRect rect_of(int key) {
    const KeyPlace p = find_key(key)->place;
    return {p.left, p.top, p.width, p.height};
  }

 private slots:
  void switchesMoveTheHighlightAndAScreenReaderHearsIt() {
    MainWindow window;
    AccessSettings settings;
    settings.scan = QStringLiteral("two-switch");
    AccessInput access(window, settings, QString(), settings);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(heard(access), QStringLiteral("グループ A K H"));
    QCOMPARE(access.overlay()->frame(), rect_of(key::A) | rect_of(key::H));
    // Letters, arrows and Alt shortcuts do nothing in scan mode.
    QTest::keyClick(window.display(), Qt::Key_A);
    QTest::keyClick(window.display(), Qt::Key_Down);
    QTest::keyClick(window.display(), Qt::Key_Q, Qt::AltModifier);
    QVERIFY(window.isVisible());
    QCOMPARE(window.engine().state().tap_count[key::A], 0);
    QTest::keyClick(window.display(), Qt::Key_Return);
    QCOMPARE(heard(access), QStringLiteral("キー A"));
    QTest::keyClick(window.display(), Qt::Key_Space);
    QCOMPARE(heard(access), QStringLiteral("キー K"));
    QCOMPARE(access.overlay()->frame(), rect_of(key::K));
    QTest::keyClick(window.display(), Qt::Key_Return);
    QCOMPARE(window.engine().state().tap_count[key::K], 1);
    QCOMPARE(heard(access), QStringLiteral("グループ A K H"));
  }

  void theSettingsPanelIsReachedByScanningAndAppliesItsChanges() {
    MainWindow window;
    AccessSettings settings;
    settings.scan = QStringLiteral("two-switch");
    AccessInput access(window, settings, QString(), settings);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto press = [&](Qt::Key key, int times = 1) {
      for (int i = 0; i < times; ++i)
        QTest::keyClick(window.display(), key);
    };
    // The window keys are the last group; 設定 is its seventh key.
    press(Qt::Key_Space, static_cast<int>(access.scanner()->groups().size()) - 1);
    QCOMPARE(heard(access), QStringLiteral("グループ ウィンドウのキー"));
    press(Qt::Key_Return);
    press(Qt::Key_Space, 6);
    QCOMPARE(heard(access), QStringLiteral("設定"));
    press(Qt::Key_Return);
    QVERIFY(access.panel()->isVisible());
    // Its keys stand alone: ＋ of the dwell time is the second.
    QCOMPARE(heard(access), QStringLiteral("停留時間を短く"));
    press(Qt::Key_Space);
    press(Qt::Key_Return);
    QCOMPARE(access.settings().dwell_seconds, 0.1);
    QVERIFY(access.dwell() != nullptr);
    // 切替 steps なし → 1 スイッチ → 2 スイッチ → なし: from two switches, scanning ends and the
    // keys type again.
    press(Qt::Key_Space, 2);
    QCOMPARE(heard(access), QStringLiteral("走査の方法を切り替える"));
    press(Qt::Key_Return);
    QCOMPARE(access.settings().scan, QStringLiteral("off"));
    QVERIFY(access.scanner() == nullptr);
  }
};

}  // namespace lumeta

QTEST_MAIN(lumeta::AccessInputTest)
#include "access_input_test.moc"
