#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "platform/database/database.h"
#include "platform/text/french.h"
#include "platform/text/text.h"
#include "platform/ui/interaction.h"

namespace platform {

namespace {

constexpr char kMagic[] = "SQLite format 3";  // with its terminating zero: 16 bytes
constexpr char kProcFolder[] = "/proc/self/fd/";
constexpr char kVfsName[] = "quorvane";

// SQLite counts the memory it takes under a lock, at every allocation, for statistics that
// nothing here reads; off before SQLite starts.
[[maybe_unused]] const int memoryStatisticsOff = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);

std::chrono::milliseconds lockWait{2000};
std::function<void(int)> lockRetryHook;



// ---- Reaching a file by a short path ------------------------------------------------------

// SQLite keeps a path in a buffer of a few hundred bytes and follows links to their end, so a
// database deep in a tree would not open. It is given "/proc/self/fd/N/name" instead, N being
// a descriptor of the database's folder that the connection holds open; this file system
// takes such paths as they are, and names the database's -wal, -shm and -journal beside it.
sqlite3_vfs* baseVfs = nullptr;

int FullPathname(sqlite3_vfs*, const char* path, int size, char* out) {
  if (std::strncmp(path, kProcFolder, sizeof kProcFolder - 1) == 0) {
    const std::size_t length = std::strlen(path);
    if (length >= static_cast<std::size_t>(size)) return SQLITE_CANTOPEN;
    std::memcpy(out, path, length + 1);
    return SQLITE_OK;
  }
  return baseVfs->xFullPathname(baseVfs, path, size, out);
}

const char* Vfs() {
  static const bool registered = [] {
    baseVfs = sqlite3_vfs_find(nullptr);
    if (!baseVfs) return false;
    // The base's own methods are called with this copy, and find their data in it.
    static sqlite3_vfs vfs = *baseVfs;
    vfs.zName = kVfsName;
    vfs.xFullPathname = &FullPathname;
    return sqlite3_vfs_register(&vfs, 0) == SQLITE_OK;
  }();
  return registered ? kVfsName : nullptr;
}

// "file:" URI of a path: every byte outside the unreserved set is percent-encoded.
String FileUri(const String& path) {
  static const char kHex[] = "0123456789ABCDEF";
  String uri = "file:";
  for (unsigned char c : path) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' || c == '-' ||
        c == '.' || c == '_' || c == '~') {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  return uri;
}

String FolderOf(const String& path) {
  const std::size_t slash = path.rfind('/');
  return slash == 0 ? String("/") : path.substr(0, slash);
}
String NameOf(const String& path) { return path.substr(path.rfind('/') + 1); }

bool FileExists(const String& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// ---- Why SQLite failed, in French -----------------------------------------------------------

String ReasonOf(sqlite3* handle, int code) {
  switch (code) {
    case SQLITE_READONLY_ROLLBACK:
      return french::kUnfinishedTransaction;
    case SQLITE_READONLY_RECOVERY:
    case SQLITE_READONLY_CANTINIT:
    case SQLITE_READONLY_CANTLOCK:
      return french::kWalToRepair;
    case SQLITE_IOERR_SHORT_READ:
      return french::kDamaged;
    default:
      break;
  }
  const int system = handle ? sqlite3_system_errno(handle) : 0;
  switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return french::kLocked;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT:
      return french::kDamaged;
    case SQLITE_NOMEM:
      return ReasonOfError(ENOMEM);
    case SQLITE_FULL:
      return ReasonOfError(system ? system : ENOSPC);
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return ReasonOfError(EACCES);
    case SQLITE_IOERR:
      return ReasonOfError(system ? system : EIO);
    case SQLITE_CANTOPEN:
      return system ? ReasonOfError(system) : String(french::kCannotOpen);
    default:
      return french::kSQLiteCannotRead + String(handle ? sqlite3_errmsg(handle) : sqlite3_errstr(code)) + ")";
  }
}

// ---- What a path holds ----------------------------------------------------------------------

enum class Kind { NotADatabase, Database, Unreadable };

struct Probe {
  Kind kind = Kind::NotADatabase;
  int error = 0;          // for Unreadable
  bool wal = false;       // for Database: its header asks for a -wal
};

bool Missing(int error) { return error == ENOENT || error == ENOTDIR || error == ELOOP; }

Probe Unreadable(int error) { return Missing(error) ? Probe{} : Probe{Kind::Unreadable, error}; }

// Looks at the first bytes of a regular, non-empty file. The file is opened without blocking,
// so a named pipe cannot hang the run. Given `keep`, a database's descriptor is handed back
// there instead of closed.
Probe ProbeFile(const String& path, int* keep = nullptr) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return Unreadable(errno);
  if (!S_ISREG(st.st_mode) || st.st_size == 0) return {};
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Unreadable(errno);
  unsigned char header[100];
  const ssize_t n = ::pread(fd, header, sizeof header, 0);
  const int error = errno;
  const bool database = n >= static_cast<ssize_t>(sizeof kMagic) && std::memcmp(header, kMagic, sizeof kMagic) == 0;
  if (database && keep)
    *keep = fd;
  else
    ::close(fd);
  if (n < 0) return Unreadable(error);
  if (!database) return {};
  return {Kind::Database, 0, n >= 20 && (header[18] == 2 || header[19] == 2)};
}

// One wait while another program holds the database, as SQLite's busy handler and the hold
// below both do: the hook is told, and the wait goes on in small steps until the lock wait has
// passed since the first try. False once it has.
bool WaitAgainForLock(int retry, std::chrono::steady_clock::time_point& firstTry) {
  if (retry == 0) firstTry = MonotonicNow();
  if (lockRetryHook) lockRetryHook(retry + 1);
  if (MonotonicNow() - firstTry >= lockWait) return false;
  std::this_thread::sleep_for(std::chrono::milliseconds(retry < 10 ? 1 : 10));
  return true;
}

// ---- Another program's hold ------------------------------------------------------------------

// A reader of SQLite holds a read lock on these bytes of the file; a program that takes the
// file for itself (to write it, or to delete its -wal and -shm as it closes) needs them all.
constexpr off_t kSharedBytesStart = 0x40000002;
constexpr off_t kSharedBytesLength = 510;

// Takes that read lock on the file's descriptor, which the connection keeps, so that nothing
// that was seen of the database (its -wal, its -shm) changes hands before SQLite has it:
// waits as for a locked database, and gives false when another program keeps the file for
// itself. On a file system that has no such locks, SQLite's own serve.
bool HoldForReading(int fd) {
  struct flock lock = {};
  lock.l_type = F_RDLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = kSharedBytesStart;
  lock.l_len = kSharedBytesLength;
  std::chrono::steady_clock::time_point firstTry;
  for (int retry = 0;; ++retry) {
    if (::fcntl(fd, F_OFD_SETLK, &lock) == 0 || (errno != EAGAIN && errno != EACCES)) return true;
    if (!WaitAgainForLock(retry, firstTry)) return false;
  }
}

// ---- Opening ------------------------------------------------------------------------------

// Byte copy of one regular file, as large as it is when opened; the OS error number, or 0.
int CopyFile(const String& from, const String& to) {
  const int in = ::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (in < 0) return errno;
  struct stat st;
  if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(in);
    return EINVAL;  // a link to a device or a pipe has no bytes of a database
  }
  auto left = static_cast<std::uint64_t>(st.st_size);
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) {
    const int error = errno;
    ::close(in);
    return error;
  }
  int error = 0;
  char buffer[1 << 16];
  while (left > 0) {
    const ssize_t n = ::read(in, buffer, left < sizeof buffer ? static_cast<std::size_t>(left) : sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    for (ssize_t done = 0; done < n && !error;) {
      const ssize_t w = ::write(out, buffer + done, static_cast<std::size_t>(n - done));
      if (w < 0 && errno != EINTR) error = errno;
      if (w > 0) done += w;
    }
    if (error) break;
    left -= static_cast<std::uint64_t>(n);
  }
  ::close(in);
  if (::close(out) != 0 && !error) error = errno;
  return error;
}

void RemovePrivateFolder(const String& folder) {
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

struct Opened {
  Ref<Connection> connection;
  int code = SQLITE_OK;
  String reason;
};

// Opens the file at the real path with the URI options, reads its schema and starts the one
// read transaction in which all of it is read. The private folder, if any, goes with the
// connection.
Opened OpenDatabase(const String& path, const char* options, int flags, String privateFolder) {
  Opened result;
  const int folder = ::open(FolderOf(path).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) {
    result.code = SQLITE_CANTOPEN;
    result.reason = ReasonOfError(errno);
    if (!privateFolder.empty()) RemovePrivateFolder(privateFolder);
    return result;
  }
  const String shortPath = kProcFolder + std::to_string(folder) + "/" + NameOf(path);
  sqlite3* handle = nullptr;
  int code = sqlite3_open_v2((FileUri(shortPath) + options).c_str(), &handle,
                             flags | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, Vfs());
  result.connection = New<Connection>(handle, folder, std::move(privateFolder));
  if (code == SQLITE_OK) {
    sqlite3_extended_result_codes(handle, 1);
    // A database that another program is writing at this moment is waited for a little.
    sqlite3_busy_handler(handle, &Connection::WaitForLock, result.connection.get());
    // The files come from anywhere: their schemas get no trust.
    sqlite3_db_config(handle, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    code = sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr);
    if (code == SQLITE_OK) code = sqlite3_exec(handle, "SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr);
  }
  if (code != SQLITE_OK) {
    result.code = code;
    result.reason = ReasonOf(handle, code);
    result.connection = nullptr;
  }
  return result;
}

// Reads the database and its -wal from copies in a folder of our own, where SQLite may make
// whatever it needs.
Opened OpenPrivateCopy(const String& path) {
  Opened result;
  std::error_code error;
  String pattern = (std::filesystem::temp_directory_path(error) / "quorvane-XXXXXX").string();
  if (error || !::mkdtemp(pattern.data())) {
    result.code = SQLITE_CANTOPEN;
    result.reason = ReasonOfError(error ? error.value() : errno);
    return result;
  }
  const String copy = pattern + "/" + NameOf(path);
  int failed = CopyFile(path, copy);
  if (!failed && FileExists(path + "-wal")) failed = CopyFile(path + "-wal", copy + "-wal");
  if (failed) {
    RemovePrivateFolder(pattern);
    result.code = SQLITE_CANTOPEN;
    result.reason = failed == EINVAL ? String(french::kWalNotAFile) : ReasonOfError(failed);
    return result;
  }
  return OpenDatabase(copy, "?mode=ro", SQLITE_OPEN_READONLY, pattern);
}

// Failures that reading from a private copy gets round: SQLite could not make or use the
// -shm beside the database.
bool CopyHelps(int code) {
  return (code & 0xFF) == SQLITE_CANTOPEN || code == SQLITE_READONLY_RECOVERY || code == SQLITE_READONLY_CANTINIT ||
         code == SQLITE_READONLY_CANTLOCK || code == SQLITE_READONLY_DIRECTORY || (code & 0xFF) == SQLITE_IOERR;
}

}  // namespace

void SetLockWait(std::chrono::milliseconds wait) { lockWait = wait; }
void SetLockRetryHookForTesting(std::function<void(int)> hook) { lockRetryHook = std::move(hook); }

// SQLite asks again and again while another program holds the database.
int Connection::WaitForLock(void* connection, int retries) {
  return WaitAgainForLock(retries, static_cast<Connection*>(connection)->firstLockedTry_) ? 1 : 0;
}

Connection::~Connection() {
  sqlite3_close_v2(handle_);  // its statements are all finalised: the close is done at once
  if (lock_ >= 0) ::close(lock_);
  if (folder_ >= 0) ::close(folder_);
  if (!privateFolder_.empty()) RemovePrivateFolder(privateFolder_);
}

// ---- DatabaseField ------------------------------------------------------------------------

namespace {

// Room for what a line is about to take, with some to spare, but no more than that for a large
// value: doubling after a value of 200 MB would take 400 MB more.
void MakeRoom(String& line, std::size_t more) {
  const std::size_t needed = line.size() + more;
  if (needed > line.capacity()) line.reserve(needed + needed / 8);
}

// A BLOB that is no text, as SQLite's literal: X'0A1B...'.
void AppendBlobLiteral(String& out, std::string_view blob) {
  static const char kHex[] = "0123456789ABCDEF";
  MakeRoom(out, blob.size() * 2 + 3);
  out += "X'";
  for (unsigned char c : blob) {
    out += kHex[c >> 4];
    out += kHex[c & 15];
  }
  out += '\'';
}

bool IsText(std::string_view bytes) {
  return ValidUtf8Prefix(bytes) == bytes.size() && bytes.find('\0') == std::string_view::npos;
}

}  // namespace

// The value's text as SQLite gives it; `literal` when it is a BLOB that is no text, to be written
// as its literal instead. The value itself is read without the column calls' checks: the
// connection has one thread.
std::string_view DatabaseField::Bytes(bool& literal) const {
  literal = false;
  if (!owner_ || !owner_->statement_ || owner_->eof_) return {};
  sqlite3_value* value = sqlite3_column_value(owner_->statement_, column_);
  switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
      return {};
    case SQLITE_BLOB: {
      const auto* bytes = static_cast<const char*>(sqlite3_value_blob(value));
      const std::string_view blob(bytes ? bytes : "", static_cast<std::size_t>(sqlite3_value_bytes(value)));
      literal = !IsText(blob);
      return blob;
    }
    default: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
      if (!text) return {};
      return {text, static_cast<std::size_t>(sqlite3_value_bytes(value))};
    }
  }
}

std::string_view DatabaseField::StringView() const {
  bool literal;
  const std::string_view bytes = Bytes(literal);
  if (!literal) return bytes;
  if (converted_.capacity() > (std::size_t{1} << 24)) String().swap(converted_);  // a huge BLOB's room
  converted_.clear();
  AppendBlobLiteral(converted_, bytes);
  return converted_;
}

std::int64_t DatabaseField::Int64Value() const {
  if (!owner_ || !owner_->statement_ || owner_->eof_) return 0;
  return sqlite3_value_int64(sqlite3_column_value(owner_->statement_, column_));
}

void DatabaseField::AppendTo(String& line) const {
  bool literal;
  const std::string_view bytes = Bytes(literal);
  if (literal) {
    AppendBlobLiteral(line, bytes);
    return;
  }
  MakeRoom(line, bytes.size());
  line.append(bytes.data(), bytes.size());
}

// ---- RecordSet ----------------------------------------------------------------------------

RecordSet::RecordSet(Ref<Connection> connection, sqlite3_stmt* statement, String sql)
    : connection_(std::move(connection)),
      statement_(statement),
      sql_(std::move(sql)),
      fieldCount_(statement ? sqlite3_column_count(statement) : 0) {
  fields_.reserve(static_cast<std::size_t>(fieldCount_));
  for (int column = 0; column < fieldCount_; ++column)
    fields_.push_back(Ref<DatabaseField>(new DatabaseField(this, column)));
}

RecordSet::~RecordSet() {
  for (auto& field : fields_) field->owner_ = nullptr;
  Close();
}

void RecordSet::Step() {
  if (!statement_) {
    eof_ = true;
    return;
  }
  const int code = sqlite3_step(statement_);
  eof_ = code != SQLITE_ROW;
  if (code != SQLITE_ROW && code != SQLITE_DONE) {
    // SQLite gives the statement's own error code with its reset.
    errorMessage_ = ReasonOf(connection_->Handle(), sqlite3_reset(statement_));
  }
}

void RecordSet::MoveNext() {
  if (!eof_) Step();
}

std::int64_t RecordSet::RecordCount() {
  if (recordCount_) return *recordCount_;
  recordCount_ = 0;
  if (!connection_) return 0;
  sqlite3* handle = connection_->Handle();
  sqlite3_stmt* count = nullptr;
  const String sql = "SELECT count(*) FROM (" + sql_ + ")";
  // SQLite may count from an index; one that is damaged, or out of step with its table, must
  // not make a table with rows look empty.
  if (sqlite3_prepare_v2(handle, sql.c_str(), -1, &count, nullptr) == SQLITE_OK && sqlite3_step(count) == SQLITE_ROW &&
      (sqlite3_column_int64(count, 0) > 0 || !hadFirstRow_)) {
    recordCount_ = sqlite3_column_int64(count, 0);
  } else {
    // A damaged table cannot be counted at once: its rows are counted up to the damage.
    sqlite3_finalize(count);
    count = nullptr;
    if (sqlite3_prepare_v2(handle, sql_.c_str(), -1, &count, nullptr) == SQLITE_OK)
      while (sqlite3_step(count) == SQLITE_ROW) ++*recordCount_;
  }
  sqlite3_finalize(count);
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
  errorMessage_.clear();
  if (!connection_) {
    errorMessage_ = french::kNotConnected;
    return nullptr;
  }
  sqlite3* handle = connection_->Handle();
  sqlite3_stmt* statement = nullptr;
  int code = sqlite3_prepare_v2(handle, sql.c_str(), static_cast<int>(sql.size()), &statement, nullptr);
  if (code == SQLITE_OK && !statement) code = SQLITE_MISUSE;  // no statement in the text
  if (code == SQLITE_OK && parameter)
    sqlite3_bind_text(statement, 1, parameter->data(), static_cast<int>(parameter->size()), SQLITE_TRANSIENT);
  const int first = code == SQLITE_OK ? sqlite3_step(statement) : code;
  if (first != SQLITE_ROW && first != SQLITE_DONE) {
    errorMessage_ = ReasonOf(handle, statement ? sqlite3_reset(statement) : first);
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
  rows->hadFirstRow_ = first == SQLITE_ROW;
  return rows;
}

Ref<RecordSet> Database::TableSchema() {
  Ref<RecordSet> tables = Select("SELECT name FROM sqlite_schema WHERE type = 'table' ORDER BY rowid", nullptr);
  if (tables) return tables;
  Ref<RecordSet> none(new RecordSet(nullptr, nullptr, String()));
  none->eof_ = true;
  none->errorMessage_ = errorMessage_;
  return none;
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
  SetError(String());
  if (!databaseFile_) return false;
  // SQLite keeps a database's -wal and -shm beside the real file, not beside a link to it.
  int error = 0;
  const String path = PathBehindLinks(databaseFile_->NativePath(), error);
  if (path.empty()) {
    if (!Missing(error)) SetError(ReasonOfError(error));
    return false;
  }
  int hold = -1;
  const Probe probe = ProbeFile(path, &hold);
  if (probe.kind == Kind::Unreadable) SetError(ReasonOfError(probe.error));
  if (probe.kind != Kind::Database) return false;
  if (!HoldForReading(hold)) {
    ::close(hold);
    SetError(french::kLocked);
    return false;
  }
  // A database in WAL mode whose -wal is absent holds all of its content in the main file: it
  // is read as immutable, so that nothing is made beside it. A -wal without its -shm was
  // left by a writer that is gone: SQLite would make a -shm beside it, so it is read from a
  // private copy. Otherwise the database is read in place, read-only; a -shm that is there
  // is SQLite's to keep up to date.
  // SQLite reads a -wal that is there whatever the header says, and never makes a -shm here:
  // when it would need one, the private copy serves instead.
  const bool hasWal = FileExists(path + "-wal");
  Opened opened;
  if (probe.wal && !hasWal)
    opened = OpenDatabase(path, "?immutable=1", SQLITE_OPEN_READONLY, String());
  else if (hasWal && !FileExists(path + "-shm"))
    opened = OpenPrivateCopy(path);
  else
    opened = OpenDatabase(path, "?mode=ro&readonly_shm=1", SQLITE_OPEN_READONLY, String());
  // A -shm that cannot be used read-only (a folder nobody may write) is got round the same way.
  if (!opened.connection && hasWal && CopyHelps(opened.code)) opened = OpenPrivateCopy(path);
  if (!opened.connection) {
    ::close(hold);
    SetError(opened.reason);
    return false;
  }
  opened.connection->KeepLock(hold);
  connection_ = opened.connection;
  return true;
}

bool SQLiteDatabase::CopyTo(const Ref<FolderItem>& folder) {
  SetError(String());
  if (!connection_ || !databaseFile_) {
    SetError(french::kNotConnected);
    return false;
  }
  if (!folder) {
    SetError(french::kNoCopyFolder);
    return false;
  }
  const Ref<FolderItem> target = folder->CreateUniqueFile(databaseFile_->Name());
  if (!target) {
    SetError(folder->LastErrorMessage());
    return false;
  }
  const String path = target->NativePath();
  Opened destination = OpenDatabase(path, "?mode=rw", SQLITE_OPEN_READWRITE, String());
  // OpenDatabase began a read of the empty copy; the backup needs it writable.
  int code = destination.code;
  sqlite3* copy = destination.connection ? destination.connection->Handle() : nullptr;
  if (copy) code = sqlite3_exec(copy, "COMMIT; PRAGMA journal_mode = OFF", nullptr, nullptr, nullptr);
  String reason = destination.reason;
  if (copy && code == SQLITE_OK) {
    sqlite3_backup* backup = sqlite3_backup_init(copy, "main", connection_->Handle(), "main");
    if (!backup) {
      code = sqlite3_errcode(copy);
    } else {
      // In steps, so that the window stays alive while a large database is copied.
      do {
        code = sqlite3_backup_step(backup, 1024);
        RuntimeBackgroundTask();
      } while (code == SQLITE_OK);
      sqlite3_backup_finish(backup);
      if (code == SQLITE_DONE) code = SQLITE_OK;
    }
    if (code != SQLITE_OK) reason = ReasonOf(copy, code);
  } else if (copy) {
    reason = ReasonOf(copy, code);
  }
  destination.connection = nullptr;  // closes the copy
  if (code != SQLITE_OK) {
    ::unlink(path.c_str());
    ::unlink((path + "-journal").c_str());
    SetError(reason.empty() ? String(french::kCopyInterrupted) : reason);
    return false;
  }
  return true;
}

bool MayBeDatabaseFile(const Ref<FolderItem>& file) {
  if (!file) return false;
  // The file itself, where a link leads, is what would be replaced.
  char* real = ::realpath(file->NativePath().c_str(), nullptr);
  const String path = real ? String(real) : file->NativePath();
  std::free(real);
  if (ProbeFile(path).kind != Kind::NotADatabase) return true;
  for (const std::string_view suffix : {"-wal", "-shm", "-journal"})
    if (path.size() > suffix.size() && path.ends_with(suffix) &&
        ProbeFile(path.substr(0, path.size() - suffix.size())).kind != Kind::NotADatabase)
      return true;
  return false;
}

}  // namespace platform
