// One SQLite connection, as the storage layer uses it.
//
// Text inside the core is code page 1251; the database's text columns hold
// UTF-8 so that any SQLite tool shows readable names. TQuery converts on the
// way in and out, so no other storage code sees UTF-8. Packed values go to
// BLOB columns byte for byte (bind them as TBlob).
//
// Databases written by earlier versions declare the collation
// kLegacyNameCollation on their name columns (ordering texts as CompareText
// orders them in code page 1251). Every connection registers it so that such
// a database can still be read, and converted when it is opened as a
// project (schema.h); the current schema declares no collation.
//
// Every statement is prepared once per connection and bound; no SQL is ever
// built from user text. Engine failures throw TDatabaseFailure, which is not
// shown: the public storage functions turn it into a system error (Guarded).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace vandro {

inline constexpr const char* kLegacyNameCollation = "VD_NOCASE";

// Why a database whose files cannot be written cannot be read: a writer
// stopped in the middle of a change, and only a connection that may write
// can roll the change back.
inline constexpr const char* kHalfWrittenReason =
    "The project was left half-written by a program that stopped; open it once with write access "
    "to repair it";

class TDatabaseFailure : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Runs body; an engine failure becomes RaiseSystemError naming what failed.
template <class Body> auto Guarded(Body&& body) -> decltype(body());
[[noreturn]] void RaiseDatabaseFailure(const TDatabaseFailure& failure);

// A byte string bound as a BLOB instead of text. lasting: the bytes stay
// where they are, unchanged, until the query is gone, so SQLite reads them
// in place instead of copying them (records are written by the million).
struct TBlob {
  std::string_view bytes;
  bool lasting = false;
};

// A text that stays where it is, unchanged, until the query is gone: bound
// without a copy when it needs no conversion.
struct TLastingText {
  std::string_view text;
};

class TDatabase;

// A prepared statement and whether a TQuery is using it. A statement whose
// connection closes while a query still uses it is left to that query to
// free (SQLite keeps the closed connection until then).
struct TStatementSlot {
  sqlite3_stmt* statement = nullptr;
  bool inUse = false;
  bool finalizeOnRelease = false; // a one-off, or its connection has closed
};

// A prepared statement in use: bind, step, read columns. Columns and
// parameters are numbered from 0 here (SQLite counts parameters from 1).
class TQuery {
public:
  TQuery(TDatabase& database, std::shared_ptr<TStatementSlot> slot);
  ~TQuery();
  TQuery(TQuery&& other) noexcept;
  TQuery(const TQuery&) = delete;
  TQuery& operator=(const TQuery&) = delete;
  TQuery& operator=(TQuery&&) = delete;

  // Binds the arguments to the parameters in order: integers, doubles,
  // bools (1 or 0), texts (code page 1251, stored as UTF-8), TBlob.
  template <class... Args> TQuery& Bind(const Args&... args) {
    int index = 0;
    (BindOne(index++, args), ...);
    return *this;
  }

  // Moves to the next row; false when there is none.
  bool Step();
  // Runs a statement that returns no rows.
  void Run();

  bool IsNull(int column) const;
  int64_t Int(int column) const;
  double Real(int column) const;
  // Converts to code page 1251; a text that does not convert means a damaged
  // row and throws TDatabaseFailure naming the column.
  std::string Text(int column) const;
  std::string Blob(int column) const;
  // The same bytes where SQLite keeps them: valid until the next Step or
  // until the query is gone.
  std::string_view BlobView(int column) const;

private:
  void BindOne(int index, int64_t value);
  void BindOne(int index, int32_t value) { BindOne(index, int64_t{value}); }
  void BindOne(int index, bool value) { BindOne(index, int64_t{value ? 1 : 0}); }
  void BindOne(int index, double value);
  void BindOne(int index, std::string_view text) { BindText(index, text, false); }
  void BindOne(int index, const std::string& text) { BindOne(index, std::string_view(text)); }
  void BindOne(int index, const char* text) { BindOne(index, std::string_view(text)); }
  void BindOne(int index, TBlob blob);
  void BindOne(int index, TLastingText text);
  void BindText(int index, std::string_view text, bool lasting);
  void Check(int code) const;

  TDatabase* database_;
  std::shared_ptr<TStatementSlot> slot_;
  sqlite3_stmt* statement_;
};

class TDatabase {
public:
  // Look: no statement may write (query_only), but the connection may write
  // the files, so that the journal a stopped writer left behind is rolled
  // back before the first read instead of failing every read. ReadOnly
  // cannot do that: it refuses a database with such a journal (reason says
  // so).
  enum class TMode { ReadWrite, ReadOnly, Look, Create };

  TDatabase() = default;
  ~TDatabase();
  TDatabase(const TDatabase&) = delete;
  TDatabase& operator=(const TDatabase&) = delete;

  // Opens the file and checks that it is a database SQLite can read. False,
  // with the engine's reason in reason, when it cannot be used.
  bool Open(const std::string& path, TMode mode, std::string* reason = nullptr);
  void Close();
  bool IsOpen() const { return handle_ != nullptr; }
  const std::string& Path() const { return path_; }

  // Runs fixed SQL (schema statements, transaction control).
  void Execute(const char* sql);
  TQuery Query(const char* sql);
  // Rows changed by the last INSERT, UPDATE or DELETE.
  int Changes() const;
  // Whether a transaction is open (else each statement is one of its own).
  bool InTransaction() const;
  // How many times written rows were undone (a transaction or savepoint
  // rolled back): what was read before such a time may be gone.
  uint64_t Rollbacks() const { return rollbacks_; }
  void NoteRollback() { ++rollbacks_; }

  // Writes a consistent copy of the whole database to path (replacing a file
  // there) through SQLite's online backup, a slice of pages at a time; done
  // hears the share copied after each slice. Call it outside a unit of work:
  // the copy holds what is committed. The copy is written under
  // CopyingName(path) and takes path only when whole, so path never names a
  // half-written copy, even after a crash. False, with the reason, when it
  // cannot; a partial copy is removed.
  bool CopyTo(const std::string& path, std::string& reason,
              const std::function<void(double done)>& done = {});

  static std::string CopyingName(const std::string& path) { return path + ".incomplete"; }

  // Throws TDatabaseFailure for an SQLite result code that is an error.
  void Check(int code, std::string_view what) const;

private:
  sqlite3* handle_ = nullptr;
  std::string path_;
  uint64_t rollbacks_ = 0;
  // By SQL text. Hashed: a lookup is one pass over the text, where an
  // ordered map would compare texts that share long beginnings many times.
  struct TTextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  std::unordered_map<std::string, std::shared_ptr<TStatementSlot>, TTextHash, std::equal_to<>>
      statements_;
};

// A unit of work: everything between construction and Commit is written
// whole or not at all. Transactions nest (savepoints). Without Commit the
// destructor rolls back; a batch (rollBackOnFailure false) keeps and commits
// what was written before a failure.
class TTransaction {
public:
  explicit TTransaction(TDatabase& database, bool rollBackOnFailure = true);
  ~TTransaction();
  TTransaction(const TTransaction&) = delete;
  TTransaction& operator=(const TTransaction&) = delete;
  void Commit();

private:
  TDatabase& database_;
  bool rollBackOnFailure_;
  bool done_ = false;
};

// Reads that belong together (a walk over every object's history) in one
// transaction: SQLite then takes its file lock and checks its journal once
// instead of at every statement. Nothing when a transaction is open already.
// Whatever is written meanwhile is committed when the scope ends, whichever
// way it ends, as it would have been statement by statement.
class TReadTogether {
public:
  explicit TReadTogether(TDatabase& database);
  ~TReadTogether();
  TReadTogether(const TReadTogether&) = delete;
  TReadTogether& operator=(const TReadTogether&) = delete;

private:
  TDatabase& database_;
  bool began_ = false;
};

template <class Body> auto Guarded(Body&& body) -> decltype(body()) {
  try {
    return body();
  } catch (const TDatabaseFailure& failure) {
    RaiseDatabaseFailure(failure);
  }
}

} // namespace vandro
