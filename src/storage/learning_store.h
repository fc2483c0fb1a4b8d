// What the user taught Lumeta: every spelling confirmed for a reading (かく → 描く), and which
// word followed which (描く → 絵), kept in an SQLite file so that it survives a restart.
//
// Reads are served from memory at once; writes go to a thread of their own, gathered into one
// transaction at most a fraction of a second after the choice, so no key waits for the disk
// and a crash loses at most the last second. The file is private (0600 in a 0700 folder) and
// never opened through a link; a damaged or foreign file is set aside as "….bad" and learning
// starts afresh; a disk that is full or read-only is reported once and learning goes on in
// memory. All strings are Shift-JIS; the file holds UTF-8.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "learning.h"

struct sqlite3;

namespace lumeta {

class LearningStore : public Learning {
 public:
  // The most choices and pairs kept; past it the least recently used go first.
  static constexpr std::size_t kCapacity = 20'000;

  // Opens the store at `path` (created when missing) on its writer thread and loads what it
  // holds; until the load is done, what is recorded is kept and merged with it. `report` is
  // called once, from the writer thread, with a short message for the user when the file
  // cannot be written ("学習を保存できません: …") or was set aside.
  explicit LearningStore(std::string path, std::function<void(const std::string&)> report = {},
                         std::size_t capacity = kCapacity);
  // Writes everything recorded, then closes.
  ~LearningStore();
  LearningStore(const LearningStore&) = delete;
  LearningStore& operator=(const LearningStore&) = delete;

  void record_choice(std::string_view reading, std::string_view spelling) override;
  void record_pair(std::string_view previous, std::string_view next) override;
  std::vector<Choice> choices(std::string_view prefix, std::size_t limit) const override;
  std::vector<std::string> followers(std::string_view spelling, std::size_t limit) const override;
  std::size_t choice_count() const;

  // Waits until the file was read and everything recorded so far is written (or failed).
  void flush();

  // The file in use: $XDG_DATA_HOME/lumeta/learning.sqlite3, by default
  // ~/.local/share/lumeta/learning.sqlite3.
  static std::string default_path();
  // Removes the file and its journal; false with `error` set when one could not be removed.
  static bool forget(const std::string& path, std::string& error);

 private:
  using Key = std::pair<std::string, std::string>;  // reading and spelling, or two words
  struct Stats {
    int64_t count = 0;
    int64_t last_used = 0;
  };
  // One table in memory, with its entries by age for dropping the oldest.
  struct Table {
    std::map<Key, Stats> entries;
    std::set<std::pair<int64_t, Key>> by_age;
    void put(const Key& key, Stats stats, std::size_t capacity);
  };
  struct Write {
    bool pair;
    Key key;
    int64_t last_used;
  };

  void run();
  bool open_file();
  bool check_and_prepare();
  void set_aside();
  void load();
  bool write(const std::vector<Write>& batch);
  void report(const std::string& message);
  void close_file();
  int64_t next_tick();

  const std::string path_;
  const std::function<void(const std::string&)> report_;
  const std::size_t capacity_;
  bool reported_ = false;  // writer thread only
  sqlite3* db_ = nullptr;  // writer thread only

  mutable std::mutex memory_mutex_;
  Table choices_;
  Table pairs_;
  int64_t last_tick_ = 0;

  std::mutex queue_mutex_;
  std::condition_variable queue_changed_;
  std::vector<Write> queue_;
  uint64_t queued_ = 0;   // writes queued so far
  uint64_t written_ = 0;  // of them, written or given up
  bool loaded_ = false;
  bool stopping_ = false;
  std::thread writer_;
};

}  // namespace lumeta
