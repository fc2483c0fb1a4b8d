// Writes the draft away from the user-interface thread: converting a long text and syncing it
// to disk can take tens of milliseconds (far more on a slow disk), and a key must never wait
// for it. One write runs at a time; a write asked for while one runs waits, and a newer one
// replaces it, so only the latest text is ever queued.
#pragma once

#include <QObject>
#include <QString>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "draft_file.h"

namespace lumeta {

class DraftWriter : public QObject {
  Q_OBJECT

 public:
  explicit DraftWriter(QString path, FileCalls& calls = FileCalls::system());
  ~DraftWriter() override;  // finishes what is queued

  // Queues the draft; returns at once.
  void write(DraftTexts draft);
  // Returns when nothing is queued or being written.
  void wait();

 signals:
  // Delivered on the thread that owns the writer, after each write.
  void written(bool ok, const QString& error);

 private:
  void run();

  DraftFile file_;  // used by the writing thread only
  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<DraftTexts> queued_;
  bool busy_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace lumeta
