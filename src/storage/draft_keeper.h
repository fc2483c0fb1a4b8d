// The window's draft policy: which draft this window writes, the drafts of earlier windows it
// takes in, when it writes, what it does after a failure and what it says about it. The window
// hands it its engine and its display and shows its notes; everything else is decided here.
//
// At start (load): leftovers of saves cut short by a crash are removed, this window's slot is
// claimed (draft.txt, or draft-2.txt while another window holds that), its draft and the drafts
// no running window holds are offered to 元に戻す, and the note says anything unusual. About a
// second after each change (schedule) and at quit (save_now) the text is written on a thread
// of its own. A failure never stops typing: the note says so and every change tries again,
// the lock included, so a window started on a full or read-only disk saves as soon as it can.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <memory>

#include "draft_file.h"
#include "draft_slots.h"
#include "draft_writer.h"

namespace lumeta {

class Engine;
class View;

class DraftKeeper : public QObject {
  Q_OBJECT

 public:
  // The drafts live in `folder`; saves go through `calls` (a test may make them fail).
  explicit DraftKeeper(QString folder = DraftFile::folder_path(),
                       FileCalls& calls = FileCalls::system(), int delay_ms = 1000);
  ~DraftKeeper() override;  // gives up the lock (close() writes first)

  // Claims this window's draft and offers the drafts kept from earlier runs to the engine's
  // 元に戻す, this window's own first. The draft then follows `engine`'s text and `view`'s caret.
  void load(Engine& engine, const View& view);
  // After any change: the draft is written about a second later.
  void schedule();
  // Writes the draft now and waits for it, if anything changed since the last write.
  void save_now();
  // The last save, then the lock goes: the window is closing.
  void close();

  // What the window shows under the keys (empty: nothing to say), and the details for its
  // tooltip: the file and the system's reason.
  const QString& note() const { return shown_note_; }
  const QString& details() const { return shown_details_; }
  // The draft this window writes, or empty when it writes none.
  QString path() const;
  bool locked() const { return slots_ && slots_->locked(); }

 signals:
  void note_changed(const QString& note, const QString& details);

 private:
  // What a write was made from: the display's text version, the caret, the size of the text
  // kept for 元に戻す, the number of texts offered from earlier runs. Unequal marks mean the
  // draft changed; the empty mark matches no text, so a failed write is tried again.
  struct Mark {
    uint64_t version = 0;
    int caret = -1;
    std::size_t kept = 0;
    std::size_t offered = 0;
    bool operator==(const Mark&) const = default;
  };
  Mark mark() const;
  void offer(const DraftTexts& draft);
  void take_in_others(QStringList& notes);
  // Hands the draft to the writing thread if it changed; false when nothing was queued.
  bool queue();
  // Makes sure this window holds a lock and has its writer; false, said, when it cannot.
  bool ready_to_write();
  void written(bool ok, const QString& error);
  void failed(const QString& error);
  void show(const QString& note, const QString& details);

  const QString folder_;
  FileCalls& calls_;
  Engine* engine_ = nullptr;
  const View* view_ = nullptr;
  bool enabled_ = false;  // false: the text stays in the window only
  std::unique_ptr<DraftSlots> slots_;
  std::unique_ptr<DraftWriter> writer_;
  QString writer_path_;
  bool taken_in_ = false;  // other windows' drafts were taken in; removed after the next write
  QTimer timer_;
  Mark written_;
  bool failing_ = false;  // the failure is on show, until a write succeeds
  QString start_note_;    // what start-up had to say, shown again once a write succeeds
  QString start_details_;
  QString shown_note_;
  QString shown_details_;
};

}  // namespace lumeta
