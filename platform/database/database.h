// The database classes: SQLiteDatabase, RecordSet and DatabaseField.
//
// Databases are only ever read: nothing is written into them, created beside them, removed or
// replaced. Each is read in one consistent snapshot, whatever other programs do meanwhile. A
// database that cannot be read so in place (a WAL database without its -wal, which another
// program may open and checkpoint into at any moment; a -wal without its -shm; a transaction
// left unfinished, which only a writer can roll back) is read from a private copy in the
// temporary folder, removed with the connection.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/files/files.h"
#include "platform/runtime/object.h"

struct sqlite3;
struct sqlite3_stmt;

namespace platform {

class RecordSet;

// An open SQLite connection, shared by its database object and the record sets made on it:
// it closes when the last of them lets it go. It holds open the folder of the database file,
// through which SQLite reaches the file by a short path whatever the length of the real one,
// and the private copy it reads from, if any.
class Connection : public Object {
 public:
  Connection(sqlite3* handle, int folder, String privateFolder);
  // A descriptor that holds a read lock on the database file, released after SQLite lets the
  // file go.
  void KeepLock(int descriptor) noexcept { lock_ = descriptor; }
  // The database is read in place, opened through the VFS that refuses every read once a -wal
  // has appeared beside it; `reason` is what such a refusal says.
  void GuardAgainstChange(String reason) { changeReason_ = std::move(reason); }
  ~Connection() override;
  sqlite3* Handle() const noexcept { return handle_; }
  // True when SQLite read only a part of the schema (the rest in a syntax or with a meaning it
  // does not know), or only as much of the file as there is: what it took in is then looked at
  // more closely before it is believed.
  bool ReadInPart() const noexcept { return readInPart_; }
  void SetReadInPart() noexcept { readInPart_ = true; }
  // Why SQLite failed with `code`, in French: that the database changed, when it did.
  String Why(int code) const;
  // True once a read was refused because the database changed under a guarded connection.
  bool Changed() const;
  // SQLite's busy handler for the connection: waits while another program holds the database.
  static int WaitForLock(void* connection, int retries);

 private:
  sqlite3* handle_;
  std::chrono::steady_clock::time_point firstLockedTry_{};
  bool readInPart_ = false;
  int lock_ = -1;
  int folder_;
  String privateFolder_;
  String changeReason_;
};

// The room that a buffer holding one value, or one line of values, at a time keeps between
// two of them: past it, a huge value's room goes back once the value is used, rather than
// staying taken for the rest of the run.
inline constexpr std::size_t kRoomKeptBetweenValues = std::size_t{16} << 20;  // 16 MiB

// One value of the current row of a record set.
class DatabaseField : public Object {
 public:
  // The value as text: NULL reads as the empty text, a number as SQLite's own text for it, a
  // text as its bytes. A BLOB whose bytes are valid UTF-8 without NUL reads as that text, any
  // other BLOB as SQLite's literal X'0A1B...'. Empty once its record set is closed.
  String StringValue() const { return String(StringView()); }
  // The same text without a copy: valid until the record set moves, closes or is read again
  // in this column.
  std::string_view StringView() const;
  // The value as a whole number, exactly (0 for NULL and for a text that is no number).
  std::int64_t Int64Value() const;
  // Appends the same text to the line, a BLOB's literal written straight into it: a large
  // value is in memory twice at the most, SQLite's and the line's.
  void AppendTo(String& line) const;

 private:
  friend class RecordSet;
  DatabaseField(RecordSet* owner, int column) : owner_(owner), column_(column) {}
  std::string_view Bytes(bool& literal) const;
  RecordSet* owner_;
  int column_;
  mutable String converted_;  // a BLOB's literal
};

// The rows of a select, stepped through in order. Rows are read one at a time, so memory
// does not grow with the size of a table.
class RecordSet : public Object {
 public:
  ~RecordSet() override;

  // True once the rows are exhausted, at once when there are none. ("EOF" itself is a
  // macro of the C library.)
  bool IsEOF() const noexcept { return eof_; }
  int FieldCount() const noexcept { return fieldCount_; }
  // The current row's value in column 1 to FieldCount, or nil outside that range.
  Ref<DatabaseField> IdxField(int index) const {
    if (index < 1 || index > fieldCount_) return nullptr;
    return fields_[static_cast<std::size_t>(index - 1)];
  }
  void MoveNext();
  // The number of rows of the select. When the database cannot count them (a damaged page),
  // the number of rows that can be read before the damage.
  std::int64_t RecordCount();
  void Close();

  // True when the rows ended early because the next one could not be read, with the reason
  // in French; the rows before it were read as usual.
  bool Error() const noexcept { return !errorMessage_.empty(); }
  const String& ErrorMessage() const noexcept { return errorMessage_; }

 private:
  friend class Database;
  friend class DatabaseField;
  RecordSet(Ref<Connection> connection, sqlite3_stmt* statement, String sql);
  void Step();

  Ref<Connection> connection_;
  sqlite3_stmt* statement_;
  String sql_;
  int fieldCount_;
  bool eof_ = false;
  std::optional<std::int64_t> recordCount_;
  bool hadFirstRow_ = false;  // the select gave a row at its first step
  std::vector<Ref<DatabaseField>> fields_;
  String errorMessage_;
};

class Database : public Object {
 public:
  ~Database() override;

  // One row per table of the database, its name in column 1, in the order of the schema;
  // SQLite's own tables (sqlite_sequence, sqlite_stat1, ...) are tables like the others.
  // Never nil: a list that cannot be read is empty, or ends early, with its Error set.
  Ref<RecordSet> TableSchema();
  // One row per view of the database, its name in column 1, in the order of the schema; never
  // nil, as TableSchema.
  Ref<RecordSet> ViewSchema();
  // One row per column of the table (or view), in column order, its name in column 1 and in
  // column 2 why its values cannot be read (a generated column that SQLite cannot compute),
  // empty when they can. Nil when the table has no column list, with the reason in
  // ErrorMessage (SQLite did not take in its definition, or cannot read it).
  Ref<RecordSet> FieldSchema(const String& tableName);
  // The rows of the query; nil when the query fails, with the reason in ErrorMessage.
  Ref<RecordSet> SQLSelect(const String& sql);
  // Closes the connection; the object can take another file and connect again.
  void Close();

  // True after a Connect that found a database it could not read, or a query that failed;
  // ErrorMessage says why, in French. False after a success, and after a Connect to anything
  // that is no SQLite database.
  bool Error() const noexcept { return !errorMessage_.empty(); }
  const String& ErrorMessage() const noexcept { return errorMessage_; }

 protected:
  void SetError(String reason) { errorMessage_ = std::move(reason); }
  Ref<Connection> connection_;

 private:
  Ref<RecordSet> Select(const String& sql, const std::vector<String>& parameters = {});
  Ref<RecordSet> SchemaList(const char* type);
  String errorMessage_;
};

class SQLiteDatabase : public Database {
 public:
  const Ref<FolderItem>& DatabaseFile() const noexcept { return databaseFile_; }
  void SetDatabaseFile(Ref<FolderItem> file) { databaseFile_ = std::move(file); }

  // True when the file opened as an SQLite database and its schema could be read; its tables
  // are then read in one snapshot until Close: the database as it was at Connect, or, for a
  // transaction that a writer left unfinished, as it is once that transaction is rolled back.
  // False for no or a missing file, a folder, anything that is not a regular file, an empty
  // file and a file of another kind; False with Error set for an SQLite database that cannot
  // be read now (locked, damaged, not permitted).
  bool Connect();

  // Writes a copy of the connected database, as it is read in its snapshot (rows still in a
  // -wal included), into the folder under the database file's name; a name already taken
  // there gets " (2)", " (3)", ... False when no copy could be made, with the reason in
  // ErrorMessage; no partial copy is left.
  bool CopyTo(const Ref<FolderItem>& folder);

 private:
  Ref<FolderItem> databaseFile_;
};

// True when the file is an SQLite database, or the -wal, -shm or -journal file of one, or
// cannot be read to tell: a file that must never be replaced.
bool MayBeDatabaseFile(const Ref<FolderItem>& file);

// A private copy that could not be removed: its folder in the temporary folder, and why, in
// French.
struct LeftoverCopy {
  String folder;
  String reason;
};
// The private copies that could not be removed with their connection since the last call,
// tried once more: those that still cannot be, for the user to be told (a copy of a database
// left behind). Each is given once.
std::vector<LeftoverCopy> TakeLeftoverCopies();

// How long Connect waits for a database that another program is writing at that moment (2 s
// unless set), by the platform's MonotonicNow.
void SetLockWait(std::chrono::milliseconds wait);
// Called each time Connect finds the database locked, before it waits a little and tries
// again (1 for the first time): a test can let the lock go there. Empty: nothing is called.
void SetLockRetryHookForTesting(std::function<void(int retry)> hook);
// Called when Connect has copied a WAL database that has no -wal, before it looks whether one
// has appeared meanwhile: a test can open the database there. Empty: nothing is called.
void SetSnapshotHookForTesting(std::function<void()> hook);

}  // namespace platform
