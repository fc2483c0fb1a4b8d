// A quiet message under the keys: what 送る did, what went wrong with the draft or with what is
// learned. Grey and small, wrapped to its place between phrases, never inside one: "1 文字を
// 送りました（元に戻すで戻せます）" breaks before （, not in 戻せます. Assistive tools read it:
// its name and its accessible text are the message, its description says what it is about
// ("送信の状況"), and each new message is announced as a notification shown anew.
#pragma once

#include <QLabel>
#include <QString>
#include <QStringList>

namespace lumeta {

class MessageLabel : public QLabel {
  Q_OBJECT

 public:
  // At `place` in `parent`; `about` says what its messages are about.
  MessageLabel(QWidget* parent, const QString& about, const QRect& place);

  // Shows `message` (an empty one hides the label), the tooltip `details`. `announce` tells
  // assistive tools of it; progress that changes many times a second is shown quietly.
  void say(const QString& message, const QString& details = {}, bool announce = true);
  // The message as said, without the line breaks of its wrapping.
  const QString& message() const { return message_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void wrap();

  QString message_;
};

// `text` cut into lines no wider than `width` for `metrics`, breaking between phrases where it
// can: "送り先がありません。送り先のウィンドウを選んでから送ってください" at 100 px of 12 px
// characters gives "送り先がありません。", "送り先の", "ウィンドウを", "選んでから",
// "送ってください". A phrase is a word of kanji, katakana, Latin letters or digits with the
// hiragana and punctuation after it; a phrase wider than the line is cut between characters. Line
// breaks in `text` stay.
QStringList phrase_lines(const QString& text, const QFontMetrics& metrics, int width);

}  // namespace lumeta
