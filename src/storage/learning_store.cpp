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

// One row more or the same row again: the count grows, the newer time stays.
constexpr const char* kUpsert[2] = {
    "INSERT INTO choices VALUES(?1, ?2, 1, ?3) ON CONFLICT(reading, spelling) DO UPDATE SET"
    " count = count + 1, last_used = max(last_used, excluded.last_used)",
    "INSERT INTO pairs VALUES(?1, ?2, 1, ?3) ON CONFLICT(previous, next) DO UPDATE SET"
    " count = count + 1, last_used = max(last_used, excluded.last_used)"};
// The oldest rows past the capacity (?1).
constexpr const char* kTrim[2] = {
    "DELETE FROM choices WHERE last_used < (SELECT last_used FROM choices"
    " ORDER BY last_used DESC LIMIT 1 OFFSET ?1)",
    "DELETE FROM pairs WHERE last_used < (SELECT last_used FROM pairs"
    " ORDER BY last_used DESC LIMIT 1 OFFSET ?1)"};

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

// The single integer a query gives, or nothing when it fails.
std::optional<int64_t> query_integer(sqlite3* db, const char* sql) {
  Statement s(db, sql);
  if (!s || sqlite3_step(s.get()) != SQLITE_ROW) return std::nullopt;
  return sqlite3_column_int64(s.get(), 0);
}

std::string column_text(sqlite3_stmt* s, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
  return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(s, column)))
              : std::string();
}

}  // namespace

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

LearningStore::LearningStore(std::string path, std::function<void(const std::string&)> report,
                             std::size_t capacity)
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
      error = name + ": " + std::strerror(errno);
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
  if (reading.empty() || spelling.empty()) return;
  Write w{false, {std::string(reading), std::string(spelling)}, 0};
  {
    std::lock_guard lock(memory_mutex_);
    w.last_used = next_tick();
    choices_.put(w.key, {1, w.last_used}, capacity_);
  }
  {
    std::lock_guard lock(queue_mutex_);
    queue_.push_back(std::move(w));
    ++queued_;
  }
  queue_changed_.notify_all();
}

void LearningStore::record_pair(std::string_view previous, std::string_view next) {
  if (previous.empty() || next.empty()) return;
  Write w{true, {std::string(previous), std::string(next)}, 0};
  {
    std::lock_guard lock(memory_mutex_);
    w.last_used = next_tick();
    pairs_.put(w.key, {1, w.last_used}, capacity_);
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
  for (auto it = choices_.entries.lower_bound({std::string(prefix), std::string()});
       it != choices_.entries.end() && it->first.first.starts_with(prefix); ++it) {
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
    for (auto it = pairs_.entries.lower_bound({std::string(spelling), std::string()});
         it != pairs_.entries.end() && it->first.first == spelling; ++it) {
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
  return choices_.entries.size();
}

void LearningStore::flush() {
  std::unique_lock lock(queue_mutex_);
  const uint64_t target = queued_;
  queue_changed_.notify_all();
  queue_changed_.wait(lock, [&] { return loaded_ && written_ >= target; });
}

// ---- The writer thread ------------------------------------------------------------------

void LearningStore::run() {
  if (open_file()) load();
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
    if (db_ && !write(batch)) report("学習を保存できません");
    lock.lock();
    written_ += batch.size();
    queue_changed_.notify_all();
  }
  lock.unlock();
  close_file();
}

void LearningStore::report(const std::string& message) {
  if (reported_) return;
  reported_ = true;
  if (report_) report_(message);
}

void LearningStore::close_file() {
  if (db_) sqlite3_close_v2(db_);
  db_ = nullptr;
}

bool LearningStore::open_file() {
  if (!make_folders(parent_folder(path_))) {
    report("学習を保存できません: フォルダを作れません");
    return false;
  }
  for (int attempt = 0; attempt < 2; ++attempt) {
    struct stat st {};
    if (lstat(path_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
      set_aside();  // a link or anything else that is not a plain file is never opened
      continue;
    }
    // Created private before SQLite sees it; its journal files take the same mode.
    const int fd = open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
      report(std::string("学習を保存できません: ") + std::strerror(errno));
      return false;
    }
    fchmod(fd, 0600);
    close(fd);
    // SQLite refuses a link anywhere in the name; the folders above ours may be links, so it
    // is given the name with them resolved.
    if (sqlite3_open_v2(resolved_name(path_).c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr) != SQLITE_OK) {
      close_file();
      report("学習を保存できません");
      return false;
    }
    sqlite3_busy_timeout(db_, kBusyMilliseconds);
    if (check_and_prepare()) return true;
    if (db_ && sqlite3_errcode(db_) == SQLITE_BUSY) {
      close_file();
      report("学習を保存できません: 使用中です");
      return false;
    }
    close_file();
    if (attempt == 0) set_aside();
  }
  report("学習を保存できません");
  return false;
}

// True when the file is Lumeta's store in good order, or was empty and now is one.
bool LearningStore::check_and_prepare() {
  const std::optional<int64_t> id = query_integer(db_, "PRAGMA application_id");
  const std::optional<int64_t> objects = query_integer(db_, "SELECT count(*) FROM sqlite_master");
  if (!id || !objects) return false;  // not a database, or a damaged one
  if (*objects == 0) {
    char* error = nullptr;
    const std::string create = "BEGIN IMMEDIATE;" + std::string(kSchema) +
                               "PRAGMA application_id=" + std::to_string(kApplicationId) +
                               ";PRAGMA user_version=" + std::to_string(kFormat) + ";COMMIT;";
    if (sqlite3_exec(db_, create.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
      sqlite3_free(error);
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      // Another window may have made it at the same moment.
      if (query_integer(db_, "PRAGMA application_id").value_or(0) != kApplicationId) return false;
    }
  } else if (*id != kApplicationId ||
             query_integer(db_, "PRAGMA user_version").value_or(0) != kFormat) {
    return false;  // someone else's database, or one this version cannot read
  }
  Statement check(db_, "PRAGMA quick_check");
  if (!check || sqlite3_step(check.get()) != SQLITE_ROW || column_text(check.get(), 0) != "ok") {
    return false;
  }
  sqlite3_exec(db_, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL", nullptr, nullptr,
               nullptr);
  return true;
}

// Renames the file (and its journal) to the first of path.bad, path.bad.2, … not yet taken.
void LearningStore::set_aside() {
  std::string bad = path_ + ".bad";
  struct stat st {};
  for (int n = 2; lstat(bad.c_str(), &st) == 0; ++n)
    bad = path_ + ".bad." + std::to_string(n);
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    rename((path_ + suffix).c_str(), (bad + suffix).c_str());
  }
  report("学習の記録が読めないため .bad に移しました");
}

void LearningStore::load() {
  for (const bool pair : {false, true}) {
    Statement s(db_, pair ? "SELECT previous, next, count, last_used FROM pairs"
                          : "SELECT reading, spelling, count, last_used FROM choices");
    std::vector<std::pair<Key, Stats>> rows;
    while (s && sqlite3_step(s.get()) == SQLITE_ROW) {
      const std::optional<std::string> a = sjis::from_utf8(column_text(s.get(), 0));
      const std::optional<std::string> b = sjis::from_utf8(column_text(s.get(), 1));
      if (!a || !b || a->empty() || b->empty()) continue;
      rows.push_back(
          {{*a, *b}, {sqlite3_column_int64(s.get(), 2), sqlite3_column_int64(s.get(), 3)}});
    }
    // Merged in small steps, so a key never waits long for the lock.
    constexpr std::size_t kStep = 1000;
    for (std::size_t i = 0; i < rows.size(); i += kStep) {
      std::lock_guard lock(memory_mutex_);
      Table& table = pair ? pairs_ : choices_;
      for (std::size_t k = i; k < std::min(rows.size(), i + kStep); ++k) {
        table.put(rows[k].first, rows[k].second, capacity_);
        last_tick_ = std::max(last_tick_, rows[k].second.last_used);
      }
    }
  }
}

bool LearningStore::write(const std::vector<Write>& batch) {
  if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) return false;
  bool good = true;
  {
    Statement upsert[2] = {{db_, kUpsert[0]}, {db_, kUpsert[1]}};
    for (const Write& w : batch) {
      sqlite3_stmt* s = upsert[w.pair].get();
      const std::optional<std::string> a = sjis::to_utf8(w.key.first);
      const std::optional<std::string> b = sjis::to_utf8(w.key.second);
      if (!s || !a || !b) continue;
      sqlite3_bind_text(s, 1, a->data(), static_cast<int>(a->size()), SQLITE_TRANSIENT);
      sqlite3_bind_text(s, 2, b->data(), static_cast<int>(b->size()), SQLITE_TRANSIENT);
      sqlite3_bind_int64(s, 3, w.last_used);
      good = sqlite3_step(s) == SQLITE_DONE && good;
      sqlite3_reset(s);
    }
    for (const char* sql : kTrim) {
      Statement trim(db_, sql);
      sqlite3_bind_int64(trim.get(), 1, static_cast<int64_t>(capacity_) - 1);
      good = trim && sqlite3_step(trim.get()) == SQLITE_DONE && good;
    }
  }
  if (good && sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK) return true;
  sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  return false;
}

}  // namespace lumeta
