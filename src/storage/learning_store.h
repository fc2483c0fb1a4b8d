// What the user taught Lumeta: every spelling confirmed for a reading (かく → 描く), and which
// word followed which (描く → 絵), kept in an SQLite file so that it survives a restart.
//
// Reads are served from memory at once; writes go to a thread of their own, gathered into one
// transaction at most a fraction of a second after the choice, so no key waits for the disk
// and a crash loses at most the last second. The file is in WAL mode, private (0600 in a 0700
// folder) and never opened through a link, in a folder of someone else's or one others can
// write to, nor when it belongs to someone else: then learning stays in memory. A damaged or
// foreign file is set aside as "….bad" and learning starts afresh. A store that cannot be
// written (a full disk, a read-only one) is reported once; what it held is still read, and
// what is learned meanwhile is kept and written as soon as the disk takes it. A store holding
// more than the capacity (a crafted one) is read only as far as the capacity and trimmed.
// All strings are Shift-JIS; the file holds UTF-8.
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

// Why learning is not kept as it should be, for the user: one kind and the details (the file
// and the system's reason, as the system gives them) for a tooltip.
struct LearningProblem {
  enum class Kind {
    cannot_write,  // a full or read-only disk, a folder that cannot be made: kept for later
    read_only,     // the file can be read, not written: what it held is used all the same
    not_private,   // a linked folder, someone else's or open to others, someone else's file
    set_aside,     // damaged or not Lumeta's: renamed to ….bad, learning starts afresh
    in_use,        // another program holds the file
  };
  Kind kind = Kind::cannot_write;
  std::string details;
  bool operator==(const LearningProblem&) const = default;

  // The short line under the keys, in Shift-JIS: cannot_write gives "学習を保存できません".
  std::string message() const;
};

class LearningStore : public Learning {
 public:
  // The most choices and pairs kept; past it the least recently used go first.
  static constexpr std::size_t kCapacity = 20'000;

  // Opens the store at `path` (created when missing) on its writer thread and loads what it
  // holds; until the load is done, what is recorded is kept and merged with it. `report` is
  // called once, from the writer thread, when the file cannot be used as it should.
  using Report = std::function<void(const LearningProblem&)>;
  explicit LearningStore(std::string path, Report report = {}, std::size_t capacity = kCapacity);
  // Writes everything recorded, then closes.
  ~LearningStore();
  LearningStore(const LearningStore&) = delete;
  LearningStore& operator=(const LearningStore&) = delete;

  void record_choice(std::string_view reading, std::string_view spelling) override;
  void record_pair(std::string_view previous, std::string_view next) override;
  std::vector<Choice> choices(std::string_view prefix, std::size_t limit) const override;
  std::vector<std::string> followers(std::string_view spelling, std::size_t limit) const override;
  std::size_t choice_count() const;

  // Waits until the file was read and everything recorded so far is written (or failed and
  // kept for the next try).
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
  // The two tables, in memory and in the file.
  enum Which { choice = 0, pair = 1 };
  struct Write {
    Which which;
    Key key;
    int64_t last_used;
  };
  // Writes not in the file yet, merged by table and key: kept while the disk refuses them.
  using Unwritten = std::map<std::pair<int, Key>, Stats>;
  enum class Opened { writable, read_only, none };
  enum class Check { good, foreign, busy, cannot_write };

  void record(Which which, std::string_view a, std::string_view b);
  void run();
  Opened open_file();
  bool private_place();
  Check check_and_prepare(bool writable);
  void use_wal();
  bool set_aside();
  void load();
  void trim_file();
  void keep_newest_unwritten();
  // Writes and trims in one transaction; SQLITE_OK, or the error that rolled it back.
  int write(const Unwritten& writes);
  void report(LearningProblem::Kind kind, std::string details);
  void close_file();
  int64_t next_tick();

  const std::string path_;
  const Report report_;
  const std::size_t capacity_;
  bool reported_ = false;    // writer thread only
  sqlite3* db_ = nullptr;    // writer thread only
  bool retry_open_ = false;  // writer thread only: the disk refused the file, not its owner
  Unwritten unwritten_;      // writer thread only

  mutable std::mutex memory_mutex_;
  Table tables_[2];  // by Which
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
