#include "storage/database.h"

#include "shell/messages.h"
#include "shell/text.h"
#include "storage/access.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unordered_map>

namespace vandro {

namespace {

// Code points of the upper half of code page 1251, mapped back to their bytes.
const std::unordered_map<char32_t, unsigned char>& HighHalf() {
  static const auto table = [] {
    std::unordered_map<char32_t, unsigned char> map;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
      const std::string utf8 = Cp1251ToUtf8(std::string(1, static_cast<char>(byte)));
      char32_t cp = 0;
      for (size_t i = 0; i < utf8.size(); ++i) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        cp = i == 0 ? (b < 0xE0 ? b & 0x1F : b & 0x0F) : (cp << 6) | (b & 0x3F);
      }
      map.emplace(cp, static_cast<unsigned char>(byte));
    }
    return map;
  }();
  return table;
}

// The next unit the name collation compares, read from UTF-8 at text[i]. A
// character the code page holds counts as its upper-cased byte, so names
// sort as CompareText sorts them. Anything else (which our own writes never
// produce) sorts after those by code point, and a byte that starts no valid
// sequence after everything; the order stays total whatever the file holds.
uint32_t NextUnit(const unsigned char* text, int length, int& i) {
  const unsigned char b0 = text[i];
  if (b0 < 0x80) {
    ++i;
    return static_cast<unsigned char>(UpperChar(static_cast<char>(b0)));
  }
  int size = 0;
  char32_t cp = 0;
  if ((b0 & 0xE0) == 0xC0)
    size = 2, cp = b0 & 0x1F;
  else if ((b0 & 0xF0) == 0xE0)
    size = 3, cp = b0 & 0x0F;
  else if ((b0 & 0xF8) == 0xF0)
    size = 4, cp = b0 & 0x07;
  bool valid = size > 0 && i + size <= length;
  for (int k = 1; valid && k < size; ++k) {
    if ((text[i + k] & 0xC0) != 0x80) valid = false;
    cp = (cp << 6) | (text[i + k] & 0x3F);
  }
  if (!valid) {
    ++i;
    return 0x200000u + b0;
  }
  i += size;
  const auto& map = HighHalf();
  if (const auto it = map.find(cp); it != map.end())
    return static_cast<unsigned char>(UpperChar(static_cast<char>(it->second)));
  return 0x100u + cp;
}

int CompareNames(void*, int lengthA, const void* a, int lengthB, const void* b) {
  const auto* textA = static_cast<const unsigned char*>(a);
  const auto* textB = static_cast<const unsigned char*>(b);
  int i = 0, j = 0;
  while (i < lengthA && j < lengthB) {
    const uint32_t unitA = NextUnit(textA, lengthA, i);
    const uint32_t unitB = NextUnit(textB, lengthB, j);
    if (unitA != unitB) return unitA < unitB ? -1 : 1;
  }
  if (i < lengthA) return 1;
  if (j < lengthB) return -1;
  return 0;
}

constexpr int kBusyMilliseconds = 10000;

// A rename reaches the disk with the folder that holds the file.
void SyncFolderOf(const std::string& path) {
  const std::string folder = std::filesystem::path(OsPath(path)).parent_path().string();
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool IsError(int code) {
  const int primary = code & 0xFF;
  return primary != SQLITE_OK && primary != SQLITE_ROW && primary != SQLITE_DONE;
}

} // namespace

void RaiseDatabaseFailure(const TDatabaseFailure& failure) {
  ShowMsg(std::string(kSystemErrorPrefix) + kLineBreak + failure.what());
  throw TStorageFailure(failure.what());
}

// ---------------------------------------------------------------------------

TQuery::TQuery(TDatabase& database, std::shared_ptr<TStatementSlot> slot)
    : database_(&database), slot_(std::move(slot)), statement_(slot_->statement) {}

TQuery::TQuery(TQuery&& other) noexcept
    : database_(other.database_), slot_(std::move(other.slot_)), statement_(other.statement_) {
  other.statement_ = nullptr;
}

TQuery::~TQuery() {
  if (!statement_) return;
  if (slot_->finalizeOnRelease) {
    sqlite3_finalize(statement_);
    return;
  }
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
  slot_->inUse = false;
}

void TQuery::Check(int code) const {
  // The statement's text only for the message: it is measured on every call.
  if (!IsError(code)) [[likely]]
    return;
  database_->Check(code, sqlite3_sql(statement_));
}

void TQuery::BindOne(int index, int64_t value) {
  Check(sqlite3_bind_int64(statement_, index + 1, value));
}

void TQuery::BindOne(int index, double value) {
  Check(sqlite3_bind_double(statement_, index + 1, value));
}

void TQuery::BindText(int index, std::string_view text, bool lasting) {
  // Most texts are plain ASCII, the same bytes in both encodings.
  const bool ascii = std::all_of(text.begin(), text.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) {
    Check(sqlite3_bind_text64(statement_, index + 1, text.empty() ? "" : text.data(), text.size(),
                              lasting ? SQLITE_STATIC : SQLITE_TRANSIENT, SQLITE_UTF8));
    return;
  }
  const std::string utf8 = Cp1251ToUtf8(text);
  Check(sqlite3_bind_text64(statement_, index + 1, utf8.data(), utf8.size(), SQLITE_TRANSIENT,
                            SQLITE_UTF8));
}

void TQuery::BindOne(int index, TLastingText text) {
  BindText(index, text.text, true);
}

void TQuery::BindOne(int index, TBlob blob) {
  // A zero-length blob, not NULL, for an empty memo: readers treat both alike.
  Check(sqlite3_bind_blob64(statement_, index + 1, blob.bytes.empty() ? "" : blob.bytes.data(),
                            blob.bytes.size(), blob.lasting ? SQLITE_STATIC : SQLITE_TRANSIENT));
}

bool TQuery::Step() {
  const int code = sqlite3_step(statement_);
  if (code == SQLITE_ROW) return true;
  Check(code);
  return false;
}

void TQuery::Run() {
  while (Step()) {
  }
}

bool TQuery::IsNull(int column) const {
  return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

int64_t TQuery::Int(int column) const {
  return sqlite3_column_int64(statement_, column);
}

double TQuery::Real(int column) const {
  return sqlite3_column_double(statement_, column);
}

std::string TQuery::Text(int column) const {
  const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
  if (!data) return {};
  const std::string_view utf8(data, static_cast<size_t>(sqlite3_column_bytes(statement_, column)));
  if (std::all_of(utf8.begin(), utf8.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return std::string(utf8);
  std::string text, error;
  if (!Utf8ToCp1251(utf8, text, &error)) {
    const char* name = sqlite3_column_name(statement_, column);
    throw TDatabaseFailure("Damaged text in column " + std::string(name ? name : "?") + " of " +
                           database_->Path() + ": " + error);
  }
  return text;
}

std::string_view TQuery::BlobView(int column) const {
  const auto* data = static_cast<const char*>(sqlite3_column_blob(statement_, column));
  if (!data) return {};
  return std::string_view(data, static_cast<size_t>(sqlite3_column_bytes(statement_, column)));
}

std::string TQuery::Blob(int column) const {
  const auto* data = static_cast<const char*>(sqlite3_column_blob(statement_, column));
  if (!data) return {};
  return std::string(data, static_cast<size_t>(sqlite3_column_bytes(statement_, column)));
}

// ---------------------------------------------------------------------------

TDatabase::~TDatabase() {
  Close();
}

bool TDatabase::Open(const std::string& path, TMode mode, std::string* reason) {
  Close();
  // One thread uses a connection: SQLite need not lock its own mutexes at
  // every call.
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
  if (mode == TMode::ReadOnly) flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX;
  if (mode == TMode::Create) flags |= SQLITE_OPEN_CREATE;
  sqlite3* handle = nullptr;
  int code = sqlite3_open_v2(OsPath(path).c_str(), &handle, flags, nullptr);
  if (code == SQLITE_OK) {
    sqlite3_extended_result_codes(handle, 1);
    // Readers share the file with a writer in another process: each waits
    // while the other holds SQLite's lock for a moment (a commit, a read)
    // instead of failing at once.
    sqlite3_busy_timeout(handle, kBusyMilliseconds);
    code = sqlite3_create_collation_v2(handle, kLegacyNameCollation, SQLITE_UTF8, nullptr,
                                       CompareNames, nullptr);
  }
  if (code == SQLITE_OK && mode == TMode::Look)
    code = sqlite3_exec(handle, "PRAGMA query_only = 1", nullptr, nullptr, nullptr);
  if (code == SQLITE_OK) {
    // SQLite reads the file lazily: a file that is not a database (or is
    // locked mid-recovery) shows only at the first read.
    code = sqlite3_exec(handle, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
  }
  if (code == SQLITE_OK && mode == TMode::Create) {
    // Writes the header, so the file exists from now on.
    code = sqlite3_exec(handle, "PRAGMA user_version = 1", nullptr, nullptr, nullptr);
  }
  if (code != SQLITE_OK) {
    if (reason)
      *reason = code == SQLITE_READONLY_ROLLBACK ? kHalfWrittenReason
                : handle                         ? sqlite3_errmsg(handle)
                                                 : sqlite3_errstr(code);
    sqlite3_close_v2(handle);
    return false;
  }
  handle_ = handle;
  path_ = path;
  return true;
}

void TDatabase::Close() {
  for (auto& [sql, slot] : statements_) {
    if (slot->inUse)
      slot->finalizeOnRelease = true;
    else
      sqlite3_finalize(slot->statement);
  }
  statements_.clear();
  if (handle_) sqlite3_close_v2(handle_);
  handle_ = nullptr;
}

void TDatabase::Check(int code, std::string_view what) const {
  if (!IsError(code)) return;
  std::string message = "Database error in " + path_ + kLineBreak;
  const int primary = code & 0xff;
  if (handle_ && (primary == SQLITE_IOERR || primary == SQLITE_FULL) &&
      sqlite3_system_errno(handle_) == EFBIG)
    // A write past the file size limit (ulimit -f): for this program the
    // disk is full, and the engine's "disk I/O error" would not say so.
    message += "database or disk is full (the file size limit is reached)";
  else
    message += handle_ ? sqlite3_errmsg(handle_) : sqlite3_errstr(code);
  if (!what.empty()) message += std::string(kLineBreak) + "(" + std::string(what) + ")";
  throw TDatabaseFailure(message);
}

void TDatabase::Execute(const char* sql) {
  if (!handle_) throw TDatabaseFailure("Database error: no database is open");
  Check(sqlite3_exec(handle_, sql, nullptr, nullptr, nullptr), sql);
}

TQuery TDatabase::Query(const char* sql) {
  if (!handle_) throw TDatabaseFailure("Database error: no database is open");
  auto it = statements_.find(std::string_view(sql));
  if (it != statements_.end() && !it->second->inUse) {
    it->second->inUse = true;
    return TQuery(*this, it->second);
  }
  auto slot = std::make_shared<TStatementSlot>();
  Check(sqlite3_prepare_v3(handle_, sql, -1, SQLITE_PREPARE_PERSISTENT, &slot->statement, nullptr),
        sql);
  slot->inUse = true;
  // The cached one is busy (a query inside a loop over the same query).
  if (it != statements_.end())
    slot->finalizeOnRelease = true;
  else
    statements_.emplace(sql, slot);
  return TQuery(*this, std::move(slot));
}

int TDatabase::Changes() const {
  return handle_ ? sqlite3_changes(handle_) : 0;
}

bool TDatabase::InTransaction() const {
  return handle_ && !sqlite3_get_autocommit(handle_);
}

bool TDatabase::CopyTo(const std::string& path, std::string& reason,
                       const std::function<void(double done)>& done) {
  if (!handle_) {
    reason = "no database is open";
    return false;
  }
  // 4 MB with SQLite's default page size: a big database reports its
  // progress often, a small one is copied in one slice.
  constexpr int kPagesPerSlice = 1024;
  const std::string copying = CopyingName(path);
  const auto removeCopying = [&] {
    std::error_code error;
    std::filesystem::remove(OsPath(copying), error);
    std::filesystem::remove(OsPath(copying + "-journal"), error);
  };
  // Left by a copy that was stopped: its journal would be played into
  // the new copy.
  removeCopying();
  sqlite3* copy = nullptr;
  int code = sqlite3_open_v2(OsPath(copying).c_str(), &copy,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  // The copy is new and unnamed until it is whole: there is nothing a
  // journal could restore.
  if (code == SQLITE_OK)
    code = sqlite3_exec(copy, "PRAGMA journal_mode = OFF", nullptr, nullptr, nullptr);
  if (code == SQLITE_OK) {
    sqlite3_backup* backup = sqlite3_backup_init(copy, "main", handle_, "main");
    if (!backup) {
      code = sqlite3_errcode(copy);
    } else {
      do {
        code = sqlite3_backup_step(backup, kPagesPerSlice);
        const int total = sqlite3_backup_pagecount(backup);
        if (done && total > 0)
          done(static_cast<double>(total - sqlite3_backup_remaining(backup)) / total);
      } while (code == SQLITE_OK);
      // finish reports an error of the steps, not a busy or locked source:
      // a copy that stopped for either is as incomplete as a failed one.
      const int finished = sqlite3_backup_finish(backup);
      if (code == SQLITE_DONE) code = finished;
    }
  }
  if (code != SQLITE_OK)
    reason =
        copy && sqlite3_errcode(copy) != SQLITE_OK ? sqlite3_errmsg(copy) : sqlite3_errstr(code);
  if (sqlite3_close(copy) != SQLITE_OK && code == SQLITE_OK) {
    code = SQLITE_ERROR;
    reason = "the copy could not be closed";
  }
  // The backup's commit has synced the copy; the rename reaches the disk
  // with the folder.
  if (code == SQLITE_OK && ::rename(OsPath(copying).c_str(), OsPath(path).c_str()) != 0) {
    code = SQLITE_ERROR;
    reason = std::strerror(errno);
  }
  if (code != SQLITE_OK) {
    removeCopying();
    return false;
  }
  SyncFolderOf(path);
  return true;
}

// ---------------------------------------------------------------------------

TTransaction::TTransaction(TDatabase& database, bool rollBackOnFailure)
    : database_(database), rollBackOnFailure_(rollBackOnFailure) {
  database_.Execute("SAVEPOINT vd");
}

TTransaction::~TTransaction() {
  if (done_) return;
  if (rollBackOnFailure_) database_.NoteRollback();
  try {
    if (rollBackOnFailure_) database_.Execute("ROLLBACK TO vd");
    database_.Execute("RELEASE vd");
  } catch (const TDatabaseFailure&) {
    // The engine has already rolled the whole transaction back (a full disk
    // or an I/O error does that); nothing is left to undo.
  }
}

TReadTogether::TReadTogether(TDatabase& database) : database_(database) {
  if (!database_.IsOpen() || database_.InTransaction()) return;
  database_.Execute("BEGIN");
  began_ = true;
}

TReadTogether::~TReadTogether() {
  if (!began_ || !database_.InTransaction()) return;
  try {
    database_.Execute("COMMIT");
  } catch (const TDatabaseFailure&) {
    // A write made meanwhile could not be committed: the engine has undone
    // it, and the statement that wrote it has reported that already.
    database_.NoteRollback();
    try {
      database_.Execute("ROLLBACK");
    } catch (const TDatabaseFailure&) {
    }
  }
}

void TTransaction::Commit() {
  database_.Execute("RELEASE vd");
  done_ = true;
}

} // namespace vandro
