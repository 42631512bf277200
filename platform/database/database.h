// The database classes: SQLiteDatabase, RecordSet and DatabaseField.
//
// Databases are opened read-only and never modified: a run leaves their folders as it found
// them.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/files/files.h"
#include "platform/runtime/object.h"

struct sqlite3;
struct sqlite3_stmt;

namespace platform {

class RecordSet;

// An open SQLite connection, shared by its database object and the record sets made on it:
// it closes when the last of them lets it go.
class Connection : public Object {
 public:
  // madeShm names a -shm file that opening made and that closing removes.
  Connection(sqlite3* handle, String madeShm) : handle_(handle), madeShm_(std::move(madeShm)) {}
  ~Connection() override;
  sqlite3* Handle() const noexcept { return handle_; }

 private:
  sqlite3* handle_;
  String madeShm_;
};

// One value of the current row of a record set.
class DatabaseField : public Object {
 public:
  // The value as text: NULL reads as the empty text, a number as SQLite's own text for it,
  // a BLOB as its bytes. Empty once its record set is closed.
  String StringValue() const;

 private:
  friend class RecordSet;
  DatabaseField(RecordSet* owner, int column) : owner_(owner), column_(column) {}
  RecordSet* owner_;
  int column_;
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
  Ref<DatabaseField> IdxField(int index) const;
  void MoveNext();
  // The true number of rows of the select.
  std::int64_t RecordCount();
  void Close();

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
  std::vector<Ref<DatabaseField>> fields_;
};

class Database : public Object {
 public:
  ~Database() override;

  // One row per table of the database, its name in column 1, in the order of the schema.
  // The database's own internal tables ("sqlite_...") are not listed.
  Ref<RecordSet> TableSchema();
  // One row per column of the table, in column order, its name in column 1; nil when the
  // table has no column list.
  Ref<RecordSet> FieldSchema(const String& tableName);
  // The rows of the query; nil when the query fails.
  Ref<RecordSet> SQLSelect(const String& sql);
  // Closes the connection; the object can take another file and connect again.
  void Close();

 protected:
  Ref<Connection> connection_;

 private:
  Ref<RecordSet> Select(const String& sql, const String* parameter);
};

class SQLiteDatabase : public Database {
 public:
  const Ref<FolderItem>& DatabaseFile() const noexcept { return databaseFile_; }
  void SetDatabaseFile(Ref<FolderItem> file) { databaseFile_ = std::move(file); }

  // True when the file opened as an SQLite database and its schema could be read. False for
  // no or a missing file, a folder, anything that is not a regular file, an empty file, a
  // file of another kind, and a corrupt or encrypted database.
  bool Connect();

 private:
  Ref<FolderItem> databaseFile_;
};

}  // namespace platform
