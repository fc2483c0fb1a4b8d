// Which draft a window writes, so that two Lumeta windows never write over each other's text.
// The first window takes draft.txt; while it runs, a second one takes draft-2.txt, a third
// draft-3.txt, and so on up to kSlots. Each holds a lock beside its draft (draft.txt.lock,
// draft-2.txt.lock: DraftLock, given up by a window that ends or crashes).
//
// At start a window also takes in the drafts of the other slots that no window holds, so the
// text of a window that ran beside it comes back too; they are removed once its own draft,
// which then holds their texts as well, has been written.
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

namespace lumeta {

// A lock file held with flock(2): the kernel gives it up when its process ends, however it
// ends, and no other process (nor another DraftLock in this one) takes it meanwhile. Released,
// the file is removed. Nothing is synced to disk: a lock says nothing after a restart.
class DraftLock {
 public:
  // The lock of the file at `path` (created when missing), or null: `held` tells whether
  // another holder has it, `why` what went wrong.
  static std::unique_ptr<DraftLock> take(const QString& path, bool* held, QString* why);
  ~DraftLock();
  DraftLock(const DraftLock&) = delete;
  DraftLock& operator=(const DraftLock&) = delete;

 private:
  DraftLock(QByteArray path, int fd) : path_(std::move(path)), fd_(fd) {}
  QByteArray path_;
  int fd_;
};

class DraftSlots {
 public:
  static constexpr int kSlots = 9;

  explicit DraftSlots(QString folder);
  ~DraftSlots();

  // The draft of slot `n`: 1 draft.txt, 2 draft-2.txt.
  QString path_of(int n) const;

  // Takes the first slot no other window holds and returns its number, or 0 when every slot is
  // held. When that slot's lock cannot be made (a full or read-only disk, a missing folder) the
  // slot is returned all the same, unlocked: locked() is false, error() says why, and claim()
  // may be called again later.
  int claim();
  int slot() const { return slot_; }
  bool locked() const { return own_ != nullptr; }
  const QString& error() const { return error_; }

  // Locks the drafts of the other slots that exist and that no window holds; returns their
  // paths, lowest slot first.
  std::vector<QString> take_in();
  // Unlocks a draft taken in without removing it (one that could not be read nor moved).
  void give_back(const QString& path);
  // Removes the drafts taken in and gives up their locks: their texts are safe in this
  // window's own draft now.
  void drop_taken_in();

 private:
  struct Held {
    QString path;
    std::unique_ptr<DraftLock> lock;
  };
  QString folder_;
  int slot_ = 0;
  std::unique_ptr<DraftLock> own_;
  QString error_;
  std::vector<Held> taken_in_;
};

}  // namespace lumeta
