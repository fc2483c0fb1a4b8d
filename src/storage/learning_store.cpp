#include "learning_store.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <tuple>

#include "sjis.h"

namespace lumeta {
namespace {

// "LmLn": marks the file as Lumeta's, so a foreign SQLite file is never taken for ours.
constexpr int kApplicationId = 0x4C6D4C6E;
constexpr int kFormat = 1;
// How long the writer gathers choices before one transaction writes them all.
constexpr auto kGathering = std::chrono::milliseconds(200);
constexpr int kBusyMilliseconds = 5000;

constexpr const char* kSchema =
    "CREATE TABLE choices(reading TEXT NOT NULL, spelling TEXT NOT NULL,"
    " count INTEGER NOT NULL, last_used INTEGER NOT NULL,"
    " PRIMARY KEY(reading, spelling)) WITHOUT ROWID;"
    "CREATE INDEX choices_by_age ON choices(last_used);"
    "CREATE TABLE pairs(previous TEXT NOT NULL, next TEXT NOT NULL,"
    " count INTEGER NOT NULL, last_used INTEGER NOT NULL,"
    " PRIMARY KEY(previous, next)) WITHOUT ROWID;"
    "CREATE INDEX pairs_by_age ON pairs(last_used);";

// One row more or the same row again: the count grows, the newer time stays. By Which.
constexpr const char* kUpsert[2] = {
    "INSERT INTO choices VALUES(?1, ?2, ?4, ?3) ON CONFLICT(reading, spelling) DO UPDATE SET"
    " count = count + excluded.count, last_used = max(last_used, excluded.last_used)",
    "INSERT INTO pairs VALUES(?1, ?2, ?4, ?3) ON CONFLICT(previous, next) DO UPDATE SET"
    " count = count + excluded.count, last_used = max(last_used, excluded.last_used)"};
// The rows past the capacity (?1), the least recently used; ties broken by the key, so that
// exactly the capacity stays however many windows wrote at the same moment.
constexpr const char* kTrim[2] = {
    "DELETE FROM choices WHERE (reading, spelling) IN (SELECT reading, spelling FROM choices"
    " ORDER BY last_used DESC, reading DESC, spelling DESC LIMIT -1 OFFSET ?1)",
    "DELETE FROM pairs WHERE (previous, next) IN (SELECT previous, next FROM pairs"
    " ORDER BY last_used DESC, previous DESC, next DESC LIMIT -1 OFFSET ?1)"};
// A row past the capacity (?1), if there is one: the file holds more than it should.
constexpr const char* kBeyond[2] = {
    "SELECT 1 FROM choices ORDER BY last_used DESC LIMIT 1 OFFSET ?1",
    "SELECT 1 FROM pairs ORDER BY last_used DESC LIMIT 1 OFFSET ?1"};
// The most recently used rows, at most the capacity (?1): a crafted file of millions of rows
// is never read whole.
constexpr const char* kLoad[2] = {
    "SELECT reading, spelling, count, last_used FROM choices"
    " ORDER BY last_used DESC, reading DESC, spelling DESC LIMIT ?1",
    "SELECT previous, next, count, last_used FROM pairs"
    " ORDER BY last_used DESC, previous DESC, next DESC LIMIT ?1"};

// The tables and their order, most recently used first (ties by the key), by Which.
constexpr const char* kTableNames[2] = {"choices", "pairs"};
constexpr const char* kNewestFirst[2] = {"last_used DESC, reading DESC, spelling DESC",
                                         "last_used DESC, previous DESC, next DESC"};

// What the user reads under the keys, by LearningProblem::Kind.
constexpr const char* kMessages[] = {
    "学習を保存できません",
    "学習を保存できません。これまでの学習は使います",
    "学習のフォルダがほかの人にも使えるため、学習はこの窓の中だけにします",
    "学習の記録が読めないため .bad に移しました",
    "学習の記録がほかのプログラムに使われているため保存できません",
};

int64_t now_ms() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::string parent_folder(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Creates the folders down to `folder` that are missing, private (0700). The folders above
// may be links (~/.local/share often is); `folder` itself, the store's own, may not.
bool make_folders(const std::string& folder, bool own = true) {
  struct stat st {};
  if ((own ? lstat(folder.c_str(), &st) : stat(folder.c_str(), &st)) == 0) {
    return S_ISDIR(st.st_mode);
  }
  if (folder != "/" && folder != "." && !make_folders(parent_folder(folder), false)) return false;
  if (mkdir(folder.c_str(), 0700) == 0) return true;
  return errno == EEXIST && lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// `path` with the links in its folders resolved, the file's own name kept:
// /home/me/.local/share/lumeta/learning.sqlite3 → /data/me/share/lumeta/learning.sqlite3.
std::string resolved_name(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
  char* folder = realpath(parent_folder(path).c_str(), nullptr);
  if (!folder) return path;
  std::string name = folder;
  std::free(folder);
  if (name != "/") name += '/';
  return name + file;
}

// A statement that finalizes itself.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &s_, nullptr); }
  ~Statement() { sqlite3_finalize(s_); }
  sqlite3_stmt* get() const { return s_; }
  explicit operator bool() const { return s_ != nullptr; }

 private:
  sqlite3_stmt* s_ = nullptr;
};

// The single integer a query gives, or nothing when it fails, with `error` set to why.
std::optional<int64_t> query_integer(sqlite3* db, const char* sql, int* error = nullptr) {
  Statement s(db, sql);
  const int result = s ? sqlite3_step(s.get()) : sqlite3_errcode(db);
  if (result != SQLITE_ROW) {
    if (error) *error = result;
    return std::nullopt;
  }
  return sqlite3_column_int64(s.get(), 0);
}

// "file:/path?immutable=1": the file read as it is, for a store on a read-only disk where
// SQLite cannot make the shared-memory file WAL mode reads through.
std::string immutable_uri(const std::string& path) {
  std::string uri = "file:";
  for (const char c : path) {
    if (c == '%' || c == '?' || c == '#') {
      constexpr char kHex[] = "0123456789ABCDEF";
      uri += '%';
      uri += kHex[static_cast<unsigned char>(c) >> 4];
      uri += kHex[c & 15];
    } else {
      uri += c;
    }
  }
  return uri + "?immutable=1";
}

std::string with_reason(const std::string& name, int error) {
  return name + ": " + std::strerror(error);
}

std::string column_text(sqlite3_stmt* s, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
  return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(s, column)))
              : std::string();
}

}  // namespace

std::string LearningProblem::message() const {
  return kMessages[static_cast<int>(kind)];
}

void LearningStore::Table::put(const Key& key, Stats stats, std::size_t capacity) {
  auto [it, added] = entries.try_emplace(key, stats);
  if (!added) {
    by_age.erase({it->second.last_used, key});
    it->second.count += stats.count;
    it->second.last_used = std::max(it->second.last_used, stats.last_used);
  }
  by_age.insert({it->second.last_used, key});
  while (entries.size() > capacity) {
    entries.erase(by_age.begin()->second);
    by_age.erase(by_age.begin());
  }
}

LearningStore::LearningStore(std::string path, Report report, std::size_t capacity)
    : path_(std::move(path)), report_(std::move(report)), capacity_(capacity) {
  writer_ = std::thread([this] { run(); });
}

LearningStore::~LearningStore() {
  {
    std::lock_guard lock(queue_mutex_);
    stopping_ = true;
  }
  queue_changed_.notify_all();
  writer_.join();
}

std::string LearningStore::default_path() {
  const char* data = std::getenv("XDG_DATA_HOME");
  std::string folder;
  if (data && data[0] == '/') {
    folder = data;
  } else {
    const char* home = std::getenv("HOME");
    folder = std::string(home ? home : "") + "/.local/share";
  }
  return folder + "/lumeta/learning.sqlite3";
}

bool LearningStore::forget(const std::string& path, std::string& error) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    const std::string name = path + suffix;
    if (unlink(name.c_str()) != 0 && errno != ENOENT) {
      error = with_reason(name, errno);
      return false;
    }
  }
  return true;
}

int64_t LearningStore::next_tick() {
  last_tick_ = std::max(now_ms(), last_tick_ + 1);
  return last_tick_;
}

void LearningStore::record_choice(std::string_view reading, std::string_view spelling) {
  record(choice, reading, spelling);
}

void LearningStore::record_pair(std::string_view previous, std::string_view next) {
  record(pair, previous, next);
}

// Learned in memory at once, written by the writer thread a moment later.
void LearningStore::record(Which which, std::string_view a, std::string_view b) {
  if (a.empty() || b.empty()) return;
  Write w{which, {std::string(a), std::string(b)}, 0};
  {
    std::lock_guard lock(memory_mutex_);
    w.last_used = next_tick();
    tables_[which].put(w.key, {1, w.last_used}, capacity_);
  }
  {
    std::lock_guard lock(queue_mutex_);
    queue_.push_back(std::move(w));
    ++queued_;
  }
  queue_changed_.notify_all();
}

std::vector<LearningStore::Choice> LearningStore::choices(std::string_view prefix,
                                                          std::size_t limit) const {
  std::vector<Choice> out;
  std::lock_guard lock(memory_mutex_);
  const Table& table = tables_[choice];
  for (auto it = table.entries.lower_bound({std::string(prefix), std::string()});
       it != table.entries.end() && it->first.first.starts_with(prefix); ++it) {
    out.push_back({it->first.first, it->first.second, it->second.count, it->second.last_used});
  }
  const std::size_t n = std::min(limit, out.size());
  std::partial_sort(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n), out.end(),
                    [](const Choice& a, const Choice& b) { return a.last_used > b.last_used; });
  out.resize(n);
  return out;
}

std::vector<std::string> LearningStore::followers(std::string_view spelling,
                                                  std::size_t limit) const {
  std::vector<std::tuple<int64_t, int64_t, std::string>> found;  // count, last used, word
  {
    std::lock_guard lock(memory_mutex_);
    const Table& table = tables_[pair];
    for (auto it = table.entries.lower_bound({std::string(spelling), std::string()});
         it != table.entries.end() && it->first.first == spelling; ++it) {
      found.push_back({it->second.count, it->second.last_used, it->first.second});
    }
  }
  std::sort(found.begin(), found.end(), std::greater<>());
  std::vector<std::string> out;
  for (std::size_t i = 0; i < found.size() && i < limit; ++i)
    out.push_back(std::move(std::get<2>(found[i])));
  return out;
}

std::size_t LearningStore::choice_count() const {
  std::lock_guard lock(memory_mutex_);
  return tables_[choice].entries.size();
}

void LearningStore::flush() {
  std::unique_lock lock(queue_mutex_);
  const uint64_t target = queued_;
  queue_changed_.notify_all();
  queue_changed_.wait(lock, [&] { return loaded_ && written_ >= target; });
}

// ---- The writer thread ------------------------------------------------------------------

void LearningStore::run() {
  // A disk that refused the file at start (full, or a folder not there yet) is tried again
  // with the next choice; a store that is not private or belongs to someone else is not.
  bool try_again = false;
  const auto open_and_load = [this, &try_again] {
    const Opened opened = open_file();
    try_again = opened == Opened::none && retry_open_;
    if (opened == Opened::none) return;
    load();
    if (opened == Opened::read_only) {
      close_file();  // read once; nothing is written to it
    } else {
      trim_file();
    }
  };
  open_and_load();
  {
    std::lock_guard lock(queue_mutex_);
    loaded_ = true;
  }
  queue_changed_.notify_all();
  std::unique_lock lock(queue_mutex_);
  for (;;) {
    queue_changed_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
    if (queue_.empty() && stopping_) break;
    // A short wait gathers the choices of a few keys into one transaction.
    queue_changed_.wait_for(lock, kGathering, [&] { return stopping_; });
    std::vector<Write> batch;
    batch.swap(queue_);
    lock.unlock();
    if (!db_ && try_again) open_and_load();
    if (db_ || try_again) {
      for (const Write& w : batch) {
        Stats& stats = unwritten_[{w.which, w.key}];
        stats.count += 1;
        stats.last_used = std::max(stats.last_used, w.last_used);
      }
      keep_newest_unwritten();
    }
    if (db_) {
      const int result = write(unwritten_);
      if (result == SQLITE_OK) {
        unwritten_.clear();
      } else if (result != SQLITE_BUSY && result != SQLITE_LOCKED) {
        // Kept, and written with the next choice once the disk takes it; another window
        // writing at length is waited for the same way, without a word.
        report(LearningProblem::Kind::cannot_write, path_ + ": " + sqlite3_errstr(result));
      }
    }
    lock.lock();
    written_ += batch.size();
    queue_changed_.notify_all();
  }
  lock.unlock();
  // A last try for what another window's long write or a full disk held back.
  if (db_ && !unwritten_.empty()) write(unwritten_);
  close_file();
}

// What waits to be written stays within the capacity of each table: the oldest go first, as
// they would from the file.
void LearningStore::keep_newest_unwritten() {
  if (unwritten_.size() <= capacity_) return;
  for (const int which : {choice, pair}) {
    std::vector<std::pair<int64_t, Unwritten::iterator>> ages;
    for (auto it = unwritten_.begin(); it != unwritten_.end(); ++it) {
      if (it->first.first == which) ages.push_back({it->second.last_used, it});
    }
    if (ages.size() <= capacity_) continue;
    const auto cut = ages.end() - static_cast<std::ptrdiff_t>(capacity_);
    std::nth_element(ages.begin(), cut, ages.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto it = ages.begin(); it != cut; ++it)
      unwritten_.erase(it->second);
  }
}

void LearningStore::report(LearningProblem::Kind kind, std::string details) {
  if (reported_) return;
  reported_ = true;
  if (report_) report_({kind, std::move(details)});
}

void LearningStore::close_file() {
  if (db_) sqlite3_close_v2(db_);
  db_ = nullptr;
}

// The store's own folder must be a folder of this user's that nobody else can write to, or
// what is learned could be read or replaced by someone else.
bool LearningStore::private_place() {
  const std::string folder = parent_folder(path_);
  struct stat st {};
  if (lstat(folder.c_str(), &st) != 0) {
    report(LearningProblem::Kind::cannot_write, with_reason(folder, errno));
    return false;
  }
  if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid() || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    report(LearningProblem::Kind::not_private, folder + ": not a private folder of this user");
    return false;
  }
  return true;
}

LearningStore::Opened LearningStore::open_file() {
  retry_open_ = false;
  const std::string folder = parent_folder(path_);
  struct stat st {};
  if (lstat(folder.c_str(), &st) != 0 && !make_folders(folder)) {
    retry_open_ = true;
    report(LearningProblem::Kind::cannot_write, with_reason(folder, errno));
    return Opened::none;
  }
  if (!private_place()) return Opened::none;
  for (int attempt = 0; attempt < 2; ++attempt) {
    const bool exists = lstat(path_.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
      // A link or anything else that is not a plain file is never opened.
      if (!set_aside()) return Opened::none;
      continue;
    }
    if (exists && st.st_uid != geteuid()) {
      report(LearningProblem::Kind::not_private, path_ + ": belongs to another user");
      return Opened::none;
    }
    // Created private before SQLite sees it; its journal files take the same mode.
    const int fd = open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    const int open_error = errno;
    const bool writable = fd >= 0;
    if (writable) {
      fchmod(fd, 0600);
      close(fd);
    } else if (!exists || (open_error != EROFS && open_error != EACCES && open_error != EPERM)) {
      retry_open_ = true;
      report(LearningProblem::Kind::cannot_write, with_reason(path_, open_error));
      return Opened::none;
    }
    // SQLite refuses a link anywhere in the name; the folders above ours may be links, so it
    // is given the name with them resolved.
    const std::string name = resolved_name(path_);
    Check check = Check::cannot_write;
    if (sqlite3_open_v2(
            name.c_str(), &db_,
            (writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY) | SQLITE_OPEN_NOFOLLOW,
            nullptr) == SQLITE_OK) {
      sqlite3_busy_timeout(db_, kBusyMilliseconds);
      check = check_and_prepare(writable);
    }
    if (check != Check::good && !writable) {
      // On a read-only disk WAL mode cannot make its shared-memory file: read it as it is.
      close_file();
      if (sqlite3_open_v2(immutable_uri(name).c_str(), &db_,
                          SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOFOLLOW,
                          nullptr) == SQLITE_OK) {
        check = check_and_prepare(false);
      }
    }
    if (check == Check::good) {
      if (writable) {
        use_wal();
        return Opened::writable;
      }
      report(LearningProblem::Kind::read_only, with_reason(path_, open_error));
      return Opened::read_only;
    }
    const std::string why = path_ + ": " + (db_ ? sqlite3_errmsg(db_) : "cannot be opened");
    close_file();
    if (check == Check::busy) {
      report(LearningProblem::Kind::in_use, why);
      return Opened::none;
    }
    if (check == Check::cannot_write || !writable) {
      retry_open_ = writable;
      report(LearningProblem::Kind::cannot_write, why);
      return Opened::none;
    }
    if (attempt == 0 && !set_aside()) return Opened::none;
  }
  report(LearningProblem::Kind::cannot_write, path_);
  return Opened::none;
}

// Whether the file is Lumeta's store in good order, or was empty and now is one; or what kept
// it from being checked.
LearningStore::Check LearningStore::check_and_prepare(bool writable) {
  const auto failure = [](int error) {
    switch (error) {
      case SQLITE_BUSY:
      case SQLITE_LOCKED:
        return Check::busy;
      case SQLITE_NOTADB:
      case SQLITE_CORRUPT:
      case SQLITE_ERROR:
        return Check::foreign;
      default:
        return Check::cannot_write;  // full, read-only, an input or output error
    }
  };
  // The objects first: another window may create the store between the two reads, and an
  // application id read before its schema would make it look foreign.
  int error = SQLITE_OK;
  const std::optional<int64_t> objects =
      query_integer(db_, "SELECT count(*) FROM sqlite_master", &error);
  if (!objects) return failure(error);  // not a database, a damaged one, or not readable
  const std::optional<int64_t> id = query_integer(db_, "PRAGMA application_id", &error);
  if (!id) return failure(error);
  if (*objects == 0) {
    if (!writable) return Check::good;  // empty, and nothing to read
    const std::string create = "BEGIN IMMEDIATE;" + std::string(kSchema) +
                               "PRAGMA application_id=" + std::to_string(kApplicationId) +
                               ";PRAGMA user_version=" + std::to_string(kFormat) + ";COMMIT;";
    if (sqlite3_exec(db_, create.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
      const Check why = failure(sqlite3_errcode(db_));
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      // Another window may have made it at the same moment.
      if (query_integer(db_, "PRAGMA application_id").value_or(0) != kApplicationId) {
        return why == Check::foreign ? Check::cannot_write : why;
      }
    }
  } else if (*id != kApplicationId ||
             query_integer(db_, "PRAGMA user_version").value_or(0) != kFormat) {
    return Check::foreign;  // someone else's database, or one this version cannot read
  }
  // Finished before anything else runs: an open statement would hold a read transaction.
  Statement check(db_, "PRAGMA quick_check");
  error = check ? sqlite3_step(check.get()) : sqlite3_errcode(db_);
  if (error != SQLITE_ROW) return failure(error);
  return column_text(check.get(), 0) == "ok" ? Check::good : Check::foreign;
}

// Write-ahead logging: a commit costs one sync instead of the journal's several, and readers
// in another window never wait for a writer. Where it cannot be had the rollback journal stays.
void LearningStore::use_wal() {
  bool wal = false;
  {
    Statement mode(db_, "PRAGMA journal_mode=WAL");
    wal = mode && sqlite3_step(mode.get()) == SQLITE_ROW && column_text(mode.get(), 0) == "wal";
  }
  if (wal) sqlite3_exec(db_, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
}

// Renames the file (and its journal) to the first of path.bad, path.bad.2, … not yet taken.
bool LearningStore::set_aside() {
  std::string bad = path_ + ".bad";
  struct stat st {};
  for (int n = 2; lstat(bad.c_str(), &st) == 0; ++n)
    bad = path_ + ".bad." + std::to_string(n);
  if (rename(path_.c_str(), bad.c_str()) != 0) {
    report(LearningProblem::Kind::cannot_write, with_reason(path_, errno));
    return false;
  }
  for (const char* suffix : {"-wal", "-shm", "-journal"}) {
    rename((path_ + suffix).c_str(), (bad + suffix).c_str());
  }
  report(LearningProblem::Kind::set_aside, bad);
  return true;
}

// The most recently used rows of each table, at most the capacity, merged in small steps so a
// key never waits long for the lock.
void LearningStore::load() {
  for (const Which which : {choice, pair}) {
    Statement s(db_, kLoad[which]);
    if (s) sqlite3_bind_int64(s.get(), 1, static_cast<int64_t>(capacity_));
    std::vector<std::pair<Key, Stats>> rows;
    while (s && sqlite3_step(s.get()) == SQLITE_ROW) {
      const std::optional<std::string> a = sjis::from_utf8(column_text(s.get(), 0));
      const std::optional<std::string> b = sjis::from_utf8(column_text(s.get(), 1));
      if (!a || !b || a->empty() || b->empty()) continue;
      rows.push_back(
          {{*a, *b}, {sqlite3_column_int64(s.get(), 2), sqlite3_column_int64(s.get(), 3)}});
    }
    constexpr std::size_t kStep = 1000;
    for (std::size_t i = 0; i < rows.size(); i += kStep) {
      std::lock_guard lock(memory_mutex_);
      for (std::size_t k = i; k < std::min(rows.size(), i + kStep); ++k) {
        tables_[which].put(rows[k].first, rows[k].second, capacity_);
        last_tick_ = std::max(last_tick_, rows[k].second.last_used);
      }
    }
  }
}

// A file holding more than the capacity (written by hand or by another program) is cut down
// to it, so it never grows past what is read: the rows kept are copied aside, the table is
// emptied at once (a DELETE without WHERE drops its pages whole) and they are put back. On
// 2,000,000 rows that takes a few seconds on this thread, where deleting them one by one takes
// many more.
void LearningStore::trim_file() {
  for (const Which which : {choice, pair}) {
    Statement beyond(db_, kBeyond[which]);
    if (!beyond) continue;
    sqlite3_bind_int64(beyond.get(), 1, static_cast<int64_t>(capacity_));
    if (sqlite3_step(beyond.get()) != SQLITE_ROW) continue;
    sqlite3_reset(beyond.get());
    const std::string table = kTableNames[which];
    const std::string rebuild =
        "BEGIN IMMEDIATE; DROP TABLE IF EXISTS temp.kept; CREATE TEMP TABLE kept AS SELECT * "
        "FROM " +
        table + " ORDER BY " + kNewestFirst[which] + " LIMIT " + std::to_string(capacity_) +
        "; DELETE FROM " + table + "; INSERT INTO " + table +
        " SELECT * FROM kept; DROP TABLE kept; COMMIT;";
    if (sqlite3_exec(db_, rebuild.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
  }
}

int LearningStore::write(const Unwritten& writes) {
  int result = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  if (result != SQLITE_OK) return result;
  const auto step = [&result](sqlite3_stmt* s) {
    const int done = sqlite3_step(s);
    if (done != SQLITE_DONE && result == SQLITE_OK) result = done;
  };
  {
    Statement upsert[2] = {{db_, kUpsert[choice]}, {db_, kUpsert[pair]}};
    for (const auto& [where, stats] : writes) {
      sqlite3_stmt* s = upsert[where.first].get();
      const std::optional<std::string> a = sjis::to_utf8(where.second.first);
      const std::optional<std::string> b = sjis::to_utf8(where.second.second);
      if (!s || !a || !b) continue;
      sqlite3_bind_text(s, 1, a->data(), static_cast<int>(a->size()), SQLITE_TRANSIENT);
      sqlite3_bind_text(s, 2, b->data(), static_cast<int>(b->size()), SQLITE_TRANSIENT);
      sqlite3_bind_int64(s, 3, stats.last_used);
      sqlite3_bind_int64(s, 4, stats.count);
      step(s);
      sqlite3_reset(s);
    }
    for (const char* sql : kTrim) {
      Statement trim(db_, sql);
      if (!trim) {
        result = sqlite3_errcode(db_);
        continue;
      }
      sqlite3_bind_int64(trim.get(), 1, static_cast<int64_t>(capacity_));
      step(trim.get());
    }
  }
  if (result == SQLITE_OK) {
    result = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    if (result == SQLITE_OK) return result;
  }
  sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  return result;
}

}  // namespace lumeta
