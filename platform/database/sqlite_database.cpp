#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/database/database.h"

namespace platform {

namespace {

constexpr char kMagic[] = "SQLite format 3";  // with its terminating zero: 16 bytes

// Reads the first 100 bytes of a regular, non-empty file; false for anything else. The file
// is opened without blocking, so a named pipe cannot hang the run.
bool ReadHeader(const String& path, unsigned char (&header)[100]) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 100) return false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
            ::pread(fd, header, sizeof header, 0) == static_cast<ssize_t>(sizeof header);
  ::close(fd);
  return ok && std::memcmp(header, kMagic, sizeof kMagic) == 0;
}

bool FileExists(const String& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// "file:" URI of a path: every byte outside the unreserved set is percent-encoded.
String FileUri(const String& path) {
  static const char kHex[] = "0123456789ABCDEF";
  String uri = "file:";
  for (unsigned char c : path) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' ||
        c == '-' || c == '.' || c == '_' || c == '~') {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  return uri;
}

}  // namespace

// ---- DatabaseField ------------------------------------------------------------------------

String DatabaseField::StringValue() const {
  if (!owner_ || !owner_->statement_ || owner_->eof_) return String();
  sqlite3_stmt* statement = owner_->statement_;
  switch (sqlite3_column_type(statement, column_)) {
    case SQLITE_NULL:
      return String();
    case SQLITE_BLOB: {
      const void* bytes = sqlite3_column_blob(statement, column_);
      return String(static_cast<const char*>(bytes), static_cast<std::size_t>(sqlite3_column_bytes(statement, column_)));
    }
    default: {
      const unsigned char* text = sqlite3_column_text(statement, column_);
      if (!text) return String();
      return String(reinterpret_cast<const char*>(text), static_cast<std::size_t>(sqlite3_column_bytes(statement, column_)));
    }
  }
}

// ---- RecordSet ----------------------------------------------------------------------------

Connection::~Connection() {
  sqlite3_close_v2(handle_);  // its statements are all finalised: the close is done at once
  if (!madeShm_.empty()) ::unlink(madeShm_.c_str());
}

RecordSet::RecordSet(Ref<Connection> connection, sqlite3_stmt* statement, String sql)
    : connection_(std::move(connection)), statement_(statement), sql_(std::move(sql)), fieldCount_(sqlite3_column_count(statement)) {
  fields_.reserve(static_cast<std::size_t>(fieldCount_));
  for (int column = 0; column < fieldCount_; ++column)
    fields_.push_back(Ref<DatabaseField>(new DatabaseField(this, column)));
}

RecordSet::~RecordSet() {
  for (auto& field : fields_) field->owner_ = nullptr;
  Close();
}

Ref<DatabaseField> RecordSet::IdxField(int index) const {
  if (index < 1 || index > fieldCount_) return nullptr;
  return fields_[static_cast<std::size_t>(index - 1)];
}

void RecordSet::Step() {
  // A read error in the middle of a table (a damaged page) ends its rows there.
  eof_ = !statement_ || sqlite3_step(statement_) != SQLITE_ROW;
}

void RecordSet::MoveNext() {
  if (!eof_) Step();
}

std::int64_t RecordSet::RecordCount() {
  if (!recordCount_) {
    recordCount_ = 0;
    sqlite3_stmt* count = nullptr;
    const String sql = "SELECT count(*) FROM (" + sql_ + ")";
    if (connection_ && sqlite3_prepare_v2(connection_->Handle(), sql.c_str(), -1, &count, nullptr) == SQLITE_OK &&
        sqlite3_step(count) == SQLITE_ROW)
      recordCount_ = sqlite3_column_int64(count, 0);
    sqlite3_finalize(count);
  }
  return *recordCount_;
}

void RecordSet::Close() {
  sqlite3_finalize(statement_);
  statement_ = nullptr;
  connection_ = nullptr;
  eof_ = true;
}

// ---- Database -----------------------------------------------------------------------------

Database::~Database() { Close(); }

void Database::Close() {
  // A record set still open keeps the connection until it is closed in turn.
  connection_ = nullptr;
}

Ref<RecordSet> Database::Select(const String& sql, const String* parameter) {
  if (!connection_) return nullptr;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(connection_->Handle(), sql.c_str(), static_cast<int>(sql.size()), &statement, nullptr) != SQLITE_OK ||
      !statement) {
    sqlite3_finalize(statement);
    return nullptr;
  }
  if (parameter)
    sqlite3_bind_text(statement, 1, parameter->data(), static_cast<int>(parameter->size()), SQLITE_TRANSIENT);
  const int first = sqlite3_step(statement);
  if (first != SQLITE_ROW && first != SQLITE_DONE) {
    sqlite3_finalize(statement);
    return nullptr;
  }
  // The count query needs the statement's text with its parameter in place.
  String text = sql;
  if (parameter) {
    char* expanded = sqlite3_expanded_sql(statement);
    if (expanded) text = expanded;
    sqlite3_free(expanded);
  }
  Ref<RecordSet> rows(new RecordSet(connection_, statement, std::move(text)));
  rows->eof_ = first != SQLITE_ROW;
  return rows;
}

Ref<RecordSet> Database::TableSchema() {
  Ref<RecordSet> tables = Select(
      "SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
      "ORDER BY rowid",
      nullptr);
  if (!tables) throw RuntimeException("the table list of the database cannot be read");
  return tables;
}

Ref<RecordSet> Database::FieldSchema(const String& tableName) {
  // Hidden columns of virtual tables (1) are not in "select *"; generated ones (2, 3) are.
  Ref<RecordSet> columns =
      Select("SELECT name FROM pragma_table_xinfo(?1) WHERE hidden <> 1 ORDER BY cid", &tableName);
  if (columns && columns->IsEOF()) return nullptr;  // no such table
  return columns;
}

Ref<RecordSet> Database::SQLSelect(const String& sql) { return Select(sql, nullptr); }

// ---- SQLiteDatabase -----------------------------------------------------------------------

bool SQLiteDatabase::Connect() {
  Close();
  if (!databaseFile_) return false;
  // SQLite keeps a database's -wal and -shm beside the real file, not beside a link to it.
  char* real = ::realpath(databaseFile_->NativePath().c_str(), nullptr);
  if (!real) return false;
  const String path = real;
  std::free(real);
  unsigned char header[100];
  if (!ReadHeader(path, header)) return false;

  // A database in WAL mode (format bytes 2) whose -wal file is absent holds all of its content
  // in the main file: it is read as immutable, so that nothing is made beside it. With a -wal
  // present, someone may be writing it: it is read normally, read-only. A -wal without its
  // -shm was left by a writer that is gone; SQLite cannot read it without making a -shm,
  // which goes again with the connection.
  String options = "?mode=ro";
  String madeShm;
  if (header[18] == 2 || header[19] == 2) {
    if (!FileExists(path + "-wal"))
      options = "?immutable=1";
    else if (!FileExists(path + "-shm"))
      madeShm = path + "-shm";
  }
  sqlite3* handle = nullptr;
  const int opened = sqlite3_open_v2((FileUri(path) + options).c_str(), &handle,
                                     SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
  connection_ = New<Connection>(handle, std::move(madeShm));
  if (opened != SQLITE_OK) {
    Close();
    return false;
  }
  // A database that another program is writing at this moment is waited for a little, rather
  // than taken for a file that is no database.
  sqlite3_busy_timeout(handle, 2000);
  // The files come from anywhere: their schemas get no trust.
  sqlite3_db_config(handle, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  sqlite3_db_config(handle, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  if (sqlite3_exec(handle, "SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr) != SQLITE_OK) {
    Close();
    return false;
  }
  return true;
}

}  // namespace platform
