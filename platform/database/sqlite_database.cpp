#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>
#include <utility>

#include "platform/database/database.h"
#include "platform/runtime/events.h"
#include "platform/text/french.h"
#include "platform/text/text.h"

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
std::function<void()> snapshotHook;

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

// Descriptors of the folders of the connections now open (see Connection).
std::vector<int> connectionFolders;

// SQLite may remove only a file that a connection reaches through its folder: a journal of a
// private copy, or of a copy being made (inputs are opened read-only, and SQLite removes
// nothing of theirs). Never a file that a journal names: rolling back a copied -journal,
// SQLite may want to remove the super-journal of the writer's transaction over several
// databases, which stands beside those databases; it is told that it did, and the copy is
// read as rolled back.
int Delete(sqlite3_vfs*, const char* path, int syncFolder) {
  const std::string_view name = path;
  if (name.starts_with(kProcFolder)) {
    int folder = -1;
    const char* const end = name.data() + name.size();
    const auto [slash, error] = std::from_chars(name.data() + sizeof kProcFolder - 1, end, folder);
    if (error == std::errc() && slash < end && *slash == '/' && std::find(slash + 1, end, '/') == end &&
        std::find(connectionFolders.begin(), connectionFolders.end(), folder) != connectionFolders.end())
      return baseVfs->xDelete(baseVfs, path, syncFolder);
  }
  return SQLITE_OK;
}

// ---- The database file as SQLite reads it -----------------------------------------------------

// A database opened read-only is read through a file of ours laid over the base's, which
// changes two things. The file ends, for SQLite, at its last whole page: a database cut short
// in the middle of a page would have the rest of that page read as zeros, and zeros as rows
// that were never written; a page past the end is then damage, as any page that cannot be
// read. And, when the connection asks for it, the file is guarded: a WAL database without its
// -wal holds all of its content in its file, which stays as it is until a -wal appears (a
// program that opens it makes its -wal first, and only then writes and checkpoints into the
// file). When such a database cannot be copied, it is read in place as immutable, and the
// guard looks after every read whether a -wal has appeared yet; once one has, the read and
// every one after it fail. What was read before is of the one state the file had until then.
// (While the connection holds the file for reading, a -wal that appeared cannot be removed.)
constexpr char kGuardParameter[] = "guard_against_wal";

struct OurFile {
  sqlite3_file base;   // its methods: one of kWholePageMethods, or kGuardedMethods
  sqlite3_file* real;  // the base's file, just after this record
  const char* wal;     // guarded: the name of the database's -wal
  bool changed;        // guarded: a -wal appeared
};

OurFile* Ours(sqlite3_file* file) { return reinterpret_cast<OurFile*>(file); }
sqlite3_file* Real(sqlite3_file* file) { return Ours(file)->real; }

int FileSizeInWholePages(sqlite3_file* file, sqlite3_int64* size) {
  sqlite3_file* real = Real(file);
  const int code = real->pMethods->xFileSize(real, size);
  unsigned char bytes[2];
  if (code != SQLITE_OK || *size < 100 || real->pMethods->xRead(real, bytes, 2, 16) != SQLITE_OK) return code;
  // The page size, at offset 16 of the header; 1 stands for 65536.
  const sqlite3_int64 pageSize = bytes[0] == 0 && bytes[1] == 1 ? 65536 : bytes[0] << 8 | bytes[1];
  const bool valid = pageSize >= 512 && (pageSize & (pageSize - 1)) == 0;
  // A file shorter than a page is left to SQLite, which finds it no database.
  if (valid && *size >= pageSize) *size -= *size % pageSize;
  return SQLITE_OK;
}

// Looked at after the read, whatever it gave: a file that a checkpoint made shorter reads short.
// The read's own error number is kept for SQLite to report.
bool WalAppeared(const char* wal) {
  const int error = errno;
  struct stat st;
  const bool appeared = ::lstat(wal, &st) == 0 || errno != ENOENT;
  errno = error;
  return appeared;
}

int GuardedRead(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
  OurFile* ours = Ours(file);
  if (ours->changed) return SQLITE_IOERR_READ;
  const int code = ours->real->pMethods->xRead(ours->real, buffer, amount, offset);
  if (WalAppeared(ours->wal)) {
    ours->changed = true;
    return SQLITE_IOERR_READ;
  }
  return code;
}

// The base's methods, the file's size and, when given, the read aside. Version 1 has neither
// shared memory nor mapping; a higher one passes them on to the base's file, which has them.
constexpr sqlite3_io_methods OurMethods(int version, int (*read)(sqlite3_file*, void*, int, sqlite3_int64)) {
  return {
      version,
      [](sqlite3_file* f) { return Real(f)->pMethods->xClose(Real(f)); },
      read ? read : [](sqlite3_file* f, void* b, int n, sqlite3_int64 o) { return Real(f)->pMethods->xRead(Real(f), b, n, o); },
      [](sqlite3_file* f, const void* b, int n, sqlite3_int64 o) { return Real(f)->pMethods->xWrite(Real(f), b, n, o); },
      [](sqlite3_file* f, sqlite3_int64 size) { return Real(f)->pMethods->xTruncate(Real(f), size); },
      [](sqlite3_file* f, int flags) { return Real(f)->pMethods->xSync(Real(f), flags); },
      &FileSizeInWholePages,
      [](sqlite3_file* f, int lock) { return Real(f)->pMethods->xLock(Real(f), lock); },
      [](sqlite3_file* f, int lock) { return Real(f)->pMethods->xUnlock(Real(f), lock); },
      [](sqlite3_file* f, int* out) { return Real(f)->pMethods->xCheckReservedLock(Real(f), out); },
      [](sqlite3_file* f, int op, void* arg) { return Real(f)->pMethods->xFileControl(Real(f), op, arg); },
      [](sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); },
      [](sqlite3_file* f) { return Real(f)->pMethods->xDeviceCharacteristics(Real(f)); },
      [](sqlite3_file* f, int page, int size, int extend, void volatile** out) {
        return Real(f)->pMethods->xShmMap(Real(f), page, size, extend, out);
      },
      [](sqlite3_file* f, int offset, int n, int flags) { return Real(f)->pMethods->xShmLock(Real(f), offset, n, flags); },
      [](sqlite3_file* f) { Real(f)->pMethods->xShmBarrier(Real(f)); },
      [](sqlite3_file* f, int remove) { return Real(f)->pMethods->xShmUnmap(Real(f), remove); },
      [](sqlite3_file* f, sqlite3_int64 o, int n, void** out) { return Real(f)->pMethods->xFetch(Real(f), o, n, out); },
      [](sqlite3_file* f, sqlite3_int64 o, void* p) { return Real(f)->pMethods->xUnfetch(Real(f), o, p); },
  };
}

// As many versions as the base's file has methods of, so that no method it lacks is called.
constexpr sqlite3_io_methods kWholePageMethods[] = {OurMethods(1, nullptr), OurMethods(2, nullptr),
                                                     OurMethods(3, nullptr)};
constexpr sqlite3_io_methods kGuardedMethods = OurMethods(1, &GuardedRead);

int Open(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
  if (!(flags & SQLITE_OPEN_MAIN_DB) || !(flags & SQLITE_OPEN_READONLY) || !name)
    return baseVfs->xOpen(vfs, name, file, flags, outFlags);
  OurFile* ours = Ours(file);
  ours->base.pMethods = nullptr;
  ours->real = reinterpret_cast<sqlite3_file*>(ours + 1);
  ours->real->pMethods = nullptr;
  ours->wal = sqlite3_filename_wal(name);
  ours->changed = false;
  const int code = baseVfs->xOpen(vfs, name, ours->real, flags, outFlags);
  const sqlite3_io_methods* realMethods = ours->real->pMethods;
  if (code != SQLITE_OK || !realMethods) {
    if (realMethods) realMethods->xClose(ours->real);
    return code;
  }
  const int version = std::clamp(realMethods->iVersion, 1, 3);
  ours->base.pMethods =
      sqlite3_uri_boolean(name, kGuardParameter, 0) ? &kGuardedMethods : &kWholePageMethods[version - 1];
  return code;
}

sqlite3_vfs* OurVfs() {
  static sqlite3_vfs* const registered = []() -> sqlite3_vfs* {
    baseVfs = sqlite3_vfs_find(nullptr);
    if (!baseVfs) return nullptr;
    // The base's own methods are called with this copy, and find their data in it.
    static sqlite3_vfs vfs = *baseVfs;
    vfs.zName = kVfsName;
    vfs.szOsFile = static_cast<int>(sizeof(OurFile)) + baseVfs->szOsFile;
    vfs.xFullPathname = &FullPathname;
    vfs.xOpen = &Open;
    vfs.xDelete = &Delete;
    return sqlite3_vfs_register(&vfs, 0) == SQLITE_OK ? &vfs : nullptr;
  }();
  return registered;
}

const char* Vfs() { return OurVfs() ? kVfsName : nullptr; }

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

// Column 1 of the first row of a query on the schema, given the name of an entry as ?1; empty
// when there is none.
String FromSchema(sqlite3* handle, const char* sql, const String& name) {
  String text;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr) == SQLITE_OK) {
    sqlite3_bind_text(statement, 1, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
    if (sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_text(statement, 0))
      text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
  }
  sqlite3_finalize(statement);
  return text;
}

// The name of the table or view as the schema lists it, given a name in SQLite's words ("t",
// or "main.t" as a view names it); empty when the schema lists no such name.
String NameInSchema(sqlite3* handle, const String& name) {
  constexpr char kListed[] = "SELECT name FROM sqlite_schema WHERE name = ?1 COLLATE NOCASE";
  String listed = FromSchema(handle, kListed, name);
  if (listed.empty() && name.starts_with("main.")) listed = FromSchema(handle, kListed, name.substr(5));
  return listed;
}

// SQLite's words for a part of a schema that it cannot read, in ours; other words as they are.
String ReasonOfMessage(sqlite3* handle, const String& message) {
  struct Known {
    std::string_view words;
    const char* reason;
  };
  static constexpr Known kFunctionsAndModules[] = {
      {"no such function: ", french::kUnknownFunction},  // as a view calls it
      {"unknown function: ", french::kUnknownFunction},  // as a generated column does
      {"unsafe use of ", french::kRefusedFunction},
      {"no such module: ", french::kUnknownModule},
  };
  for (const Known& known : kFunctionsAndModules) {
    if (!message.starts_with(known.words)) continue;
    String name = message.substr(known.words.size());
    if (known.reason != french::kUnknownModule && !name.ends_with("()")) name += "()";
    return known.reason + name;
  }
  // A table or view that the schema lists, but whose definition SQLite could not take in.
  constexpr std::string_view kNoSuchTable = "no such table: ";
  if (message.starts_with(kNoSuchTable)) {
    const String name = NameInSchema(handle, message.substr(kNoSuchTable.size()));
    if (!name.empty()) return french::kNotUnderstood + name;
  }
  return french::kSQLiteCannotRead + message + ")";
}

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
      if (handle) return ReasonOfMessage(handle, sqlite3_errmsg(handle));
      return french::kSQLiteCannotRead + String(sqlite3_errstr(code)) + ")";
  }
}

// ---- What a path holds ----------------------------------------------------------------------

enum class Kind { NotADatabase, Database, Unreadable };

struct Probe {
  Kind kind = Kind::NotADatabase;
  int error = 0;          // for Unreadable
  bool wal = false;       // for Database: its header asks for a -wal
};

Probe Unreadable(int error) { return LeadsNowhere(error) ? Probe{} : Probe{Kind::Unreadable, error}; }

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
  MonotonicSleep(std::chrono::milliseconds(retry < 10 ? 1 : 10));
  return true;
}

// ---- Another program's hold ------------------------------------------------------------------

// A reader of SQLite holds a read lock on these bytes of the file; a program that takes the
// file for itself (to write it, or to delete its -wal and -shm as it closes) needs them all.
constexpr off_t kSharedBytesStart = 0x40000002;
constexpr off_t kSharedBytesLength = 510;

struct flock SharedBytes(short type) {
  struct flock lock = {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = kSharedBytesStart;
  lock.l_len = kSharedBytesLength;
  return lock;
}

// Takes that read lock on the file's descriptor, which the connection keeps, so that nothing
// that was seen of the database (its -wal, its -shm) changes hands before SQLite has it:
// waits as for a locked database, and gives false when another program keeps the file for
// itself. On a file system that has no such locks, SQLite's own serve.
bool HoldForReading(int fd) {
  struct flock lock = SharedBytes(F_RDLCK);
  std::chrono::steady_clock::time_point firstTry;
  for (int retry = 0;; ++retry) {
    if (::fcntl(fd, F_OFD_SETLK, &lock) == 0 || (errno != EAGAIN && errno != EACCES)) return true;
    if (!WaitAgainForLock(retry, firstTry)) return false;
  }
}

// True when another program (or another connection) has the file open through SQLite: in WAL
// mode, every connection keeps a read lock on those bytes from its first read to its close.
bool HeldByAnother(int fd) {
  struct flock lock = SharedBytes(F_WRLCK);
  return ::fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
}

// ---- Opening ------------------------------------------------------------------------------

constexpr off_t kCopyStep = off_t{16} << 20;  // between two yields
// The pages that the backup of a copy writes between two yields: 4 MiB at SQLite's usual page
// size.
constexpr int kBackupStepPages = 1024;

// Copies up to `size` bytes at `offset` of `in` to the same place in `out`, by the kernel while
// it can: the number copied (0 at the end of `in`), or -1 with errno set.
ssize_t CopyStep(int in, int out, off_t offset, std::size_t size, bool& kernel, std::vector<char>& buffer) {
  if (kernel) {
    off_t from = offset, to = offset;
    const ssize_t n = ::copy_file_range(in, &from, out, &to, size, 0);
    if (n >= 0 || (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)) return n;
    kernel = false;  // not between these file systems: through memory
  }
  buffer.resize(std::size_t{1} << 20);
  const ssize_t n = ::pread(in, buffer.data(), std::min(size, buffer.size()), offset);
  for (ssize_t written = 0; written < n;) {
    const ssize_t w = ::pwrite(out, buffer.data() + written, static_cast<std::size_t>(n - written), offset + written);
    if (w < 0) return -1;
    written += w;
  }
  return n;
}

// Byte copy of the regular file open at `in`, as large as it is now, into a new file, in steps
// between which the window stays alive; the OS error number, or 0.
int CopyOpenFile(int in, const String& to) {
  struct stat st;
  if (::fstat(in, &st) != 0) return errno;
  if (!S_ISREG(st.st_mode)) return EINVAL;  // a link to a device or a pipe has no bytes of a database
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) return errno;
  int error = 0;
  bool kernel = true;
  std::vector<char> buffer;
  for (off_t done = 0; done < st.st_size;) {
    const ssize_t n = CopyStep(in, out, done, static_cast<std::size_t>(std::min(st.st_size - done, kCopyStep)), kernel, buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    if (n <= 0) break;  // at an error, or at the end of a file that is shorter now
    done += n;
    if (done < st.st_size) RuntimeYield();
  }
  if (::close(out) != 0 && !error) error = errno;
  return error;
}

// The private folders that could not be removed: each holds a copy of a user's database, which
// must not stay in the temporary folder unsaid.
std::vector<LeftoverCopy> leftoverCopies;

void RemovePrivateFolder(const String& folder) {
  std::error_code error;
  std::filesystem::remove_all(folder, error);
  if (error) leftoverCopies.push_back({folder, ReasonOfError(error.value())});
}

// A copy of a database in a folder of our own in the temporary folder, where SQLite may make
// whatever it needs; the folder goes with the connection that reads the copy.
struct PrivateCopy {
  String folder;
  String database;
  bool wal = false, journal = false;  // its -wal, its -journal was copied beside it
  String failure;                     // why no copy could be made, in French; empty when it was
};

// Copies the database, from the descriptor that holds it, and, when asked, those of its -wal
// and -journal that are there. The copies take at most half of the room left in the temporary
// folder: that folder is everybody's, and may be on the disk of the result file.
PrivateCopy CopyPrivately(const String& path, int hold, bool withJournals) {
  PrivateCopy copy;
  struct Source {
    const char* suffix;
    const char* notAFile;
    int fd;
  };
  std::vector<Source> sources = {{"", french::kDamaged, hold}};
  auto done = [&](String failure) {
    for (std::size_t k = 1; k < sources.size(); ++k) ::close(sources[k].fd);
    if (!failure.empty() && !copy.folder.empty()) RemovePrivateFolder(copy.folder);
    copy.failure = std::move(failure);
    return copy;
  };
  if (withJournals) {
    for (const Source journal : {Source{"-wal", french::kWalNotAFile, -1}, Source{"-journal", french::kJournalNotAFile, -1}}) {
      const int fd = ::open((path + journal.suffix).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd < 0 && errno != ENOENT) return done(ReasonOfError(errno));
      if (fd >= 0) sources.push_back({journal.suffix, journal.notAFile, fd});
    }
  }
  std::error_code error;
  String folder = (std::filesystem::temp_directory_path(error) / "quorvane-XXXXXX").string();
  if (error || !::mkdtemp(folder.data())) return done(ReasonOfError(error ? error.value() : errno));
  copy.folder = folder;
  copy.database = folder + "/" + NameOf(path);

  std::uint64_t size = 0;
  for (const Source& source : sources) {
    struct stat st;
    if (::fstat(source.fd, &st) == 0 && S_ISREG(st.st_mode)) size += static_cast<std::uint64_t>(st.st_size);
  }
  struct statvfs room;
  if (::statvfs(folder.c_str(), &room) == 0 && size > std::uint64_t{room.f_bavail} * room.f_frsize / 2)
    return done(french::kNoRoomForCopy);
  for (const Source& source : sources) {
    const int failed = CopyOpenFile(source.fd, copy.database + source.suffix);
    if (failed) return done(failed == EINVAL ? String(source.notAFile) : ReasonOfError(failed));
    copy.wal = copy.wal || source.suffix == std::string_view("-wal");
    copy.journal = copy.journal || source.suffix == std::string_view("-journal");
  }
  return done(String());
}

struct Opened {
  Ref<Connection> connection;
  int code = SQLITE_OK;
  String reason;
  bool inPlace = true;  // false: a private copy is read
};

// What a copy of a database may hold that is not one state of it: another program opened the
// database while it was copied. It is then read as the live database it now is.
constexpr int kLiveNow = -1;

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
    // The files come from anywhere: no extension is loaded and no tokenizer taken from them,
    // whatever they ask for. Their schemas may call SQLite's own functions (JSON functions in
    // an index or a generated column, as programs commonly write them), which only compute:
    // the few that could do more are refused in any schema, and this program adds none.
    sqlite3_db_config(handle, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_ENABLE_FTS3_TOKENIZER, 0, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 1, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    code = sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr);
    if (code == SQLITE_OK) code = sqlite3_exec(handle, "SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr);
    // A schema with parts that this SQLite cannot take in (a view or a trigger in a newer
    // syntax) reads as damage, and so does a file cut short, whose header counts pages that
    // are not there. SQLite's setting for mending a schema takes in the parts that it
    // understands and leaves out the others, and ends the file where its pages end; the
    // defensive setting, which guards writes, would refuse that, and nothing is written on
    // a read-only connection.
    if ((code & 0xFF) == SQLITE_CORRUPT && (flags & SQLITE_OPEN_READONLY)) {
      sqlite3_db_config(handle, SQLITE_DBCONFIG_DEFENSIVE, 0, nullptr);
      sqlite3_db_config(handle, SQLITE_DBCONFIG_WRITABLE_SCHEMA, 1, nullptr);
      code = sqlite3_exec(handle, "SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr);
      result.connection->SetReadInPart();
    }
  }
  if (code != SQLITE_OK) {
    result.code = code;
    result.reason = ReasonOf(handle, code);
    result.connection = nullptr;
  }
  return result;
}

Opened OpenCopy(const PrivateCopy& copy, const char* options, int flags) {
  Opened opened = OpenDatabase(copy.database, options, flags, copy.folder);
  opened.inPlace = false;
  return opened;
}

// A WAL database without its -wal, all of whose content is in its file: read from a copy of
// that file, the database as it is at this moment. The copy is one state of it when still no
// -wal is there once it is made: a program that opens the database makes its -wal before it
// changes anything, and cannot remove it while the database is held. When no copy can be made,
// the file is read in place, guarded: what is read of it is of that one state, and a read that
// comes after a change fails and says so.
Opened OpenSnapshot(const String& path, int hold) {
  const PrivateCopy copy = CopyPrivately(path, hold, false);
  if (snapshotHook) snapshotHook();
  if (FileExists(path + "-wal")) {
    if (copy.failure.empty()) RemovePrivateFolder(copy.folder);
    return {nullptr, kLiveNow, String()};
  }
  if (copy.failure.empty()) return OpenCopy(copy, "?immutable=1", SQLITE_OPEN_READONLY);
  const String why = String(french::kChangedWhileRead) + " (" + french::kNoPrivateCopy + copy.failure + ")";
  Opened opened =
      OpenDatabase(path, (String("?immutable=1&") + kGuardParameter + "=1").c_str(), SQLITE_OPEN_READONLY, String());
  if (opened.connection)
    opened.connection->GuardAgainstChange(why);
  else if (FileExists(path + "-wal"))
    opened.code = kLiveNow;
  return opened;
}

// The database with its -wal and -journal, read from copies where SQLite may make a -shm, or
// roll an unfinished transaction back. Nobody may change the database or its -journal while it
// is held (writing and rolling back both need it for themselves). A -wal may change while a
// program has the database open, so its copy is kept only when nobody had it open meanwhile:
// nobody has it now, and no -shm appeared (a program that opens it makes one before anything
// else, and cannot remove it while it is held).
Opened OpenPrivateCopy(const String& path, int hold) {
  const bool shm = FileExists(path + "-shm");
  const PrivateCopy copy = CopyPrivately(path, hold, true);
  if (!copy.failure.empty()) return {nullptr, SQLITE_CANTOPEN, copy.failure};
  if (copy.wal && (HeldByAnother(hold) || (!shm && FileExists(path + "-shm")))) {
    RemovePrivateFolder(copy.folder);
    return {nullptr, kLiveNow, String()};
  }
  if (copy.journal) return OpenCopy(copy, "?mode=rw", SQLITE_OPEN_READWRITE);
  return OpenCopy(copy, "?mode=ro", SQLITE_OPEN_READONLY);
}

// Failures that reading from a private copy gets round: SQLite could not make or use the
// -shm beside the database.
bool CopyHelps(int code) {
  return (code & 0xFF) == SQLITE_CANTOPEN || code == SQLITE_READONLY_RECOVERY || code == SQLITE_READONLY_CANTINIT ||
         code == SQLITE_READONLY_CANTLOCK || code == SQLITE_READONLY_DIRECTORY || (code & 0xFF) == SQLITE_IOERR;
}

// One try at opening the database that `hold` holds for reading; kLiveNow when another program
// is opening it at this moment.
Opened OpenHeldOnce(const String& path, bool walHeader, int hold) {
  const bool wal = FileExists(path + "-wal");
  if (walHeader && !wal) return OpenSnapshot(path, hold);
  // A -wal without its -shm: left by a writer that is gone (SQLite would make a -shm beside
  // it), or made a moment ago by a program that is opening the database and makes its -shm
  // next. SQLite reads a -wal that is there whatever the header says.
  if (wal && !FileExists(path + "-shm")) return HeldByAnother(hold) ? Opened{nullptr, kLiveNow, String()} : OpenPrivateCopy(path, hold);
  // Otherwise in place, read-only; a -shm that is there is SQLite's to keep up to date, and the
  // connection reads in it as any reader does.
  Opened opened = OpenDatabase(path, "?mode=ro&readonly_shm=1", SQLITE_OPEN_READONLY, String());
  if (opened.connection) return opened;
  // A writer killed in the middle of a transaction: the state that the next program to open
  // the database will see, once SQLite has rolled the transaction back in a copy.
  if (opened.code == SQLITE_READONLY_ROLLBACK) {
    Opened copy = OpenPrivateCopy(path, hold);
    if (!copy.connection && copy.code != kLiveNow) copy.reason = french::kUnfinishedNotRolledBack + copy.reason;
    return copy;
  }
  // A -shm that cannot be used read-only (a folder nobody may write) is got round the same way.
  if (wal && CopyHelps(opened.code) && !HeldByAnother(hold)) return OpenPrivateCopy(path, hold);
  return opened;
}

// Opens the database that `hold` holds for reading, in one consistent snapshot; waits a little
// while another program is opening it.
Opened OpenHeld(const String& path, bool walHeader, int hold) {
  std::chrono::steady_clock::time_point firstTry;
  for (int retry = 0;; ++retry) {
    Opened opened = OpenHeldOnce(path, walHeader, hold);
    if (opened.code != kLiveNow) return opened;
    if (!WaitAgainForLock(retry, firstTry)) return {nullptr, SQLITE_BUSY, french::kLocked};
  }
}

}  // namespace

std::vector<LeftoverCopy> TakeLeftoverCopies() {
  std::vector<LeftoverCopy> failed = std::exchange(leftoverCopies, {});
  for (const LeftoverCopy& copy : failed) RemovePrivateFolder(copy.folder);  // one more try
  return std::exchange(leftoverCopies, {});
}

void SetLockWait(std::chrono::milliseconds wait) { lockWait = wait; }
void SetLockRetryHookForTesting(std::function<void(int)> hook) { lockRetryHook = std::move(hook); }
void SetSnapshotHookForTesting(std::function<void()> hook) { snapshotHook = std::move(hook); }

// SQLite asks again and again while another program holds the database.
int Connection::WaitForLock(void* connection, int retries) {
  return WaitAgainForLock(retries, static_cast<Connection*>(connection)->firstLockedTry_) ? 1 : 0;
}

Connection::Connection(sqlite3* handle, int folder, String privateFolder)
    : handle_(handle), folder_(folder), privateFolder_(std::move(privateFolder)) {
  connectionFolders.push_back(folder_);
}

Connection::~Connection() {
  sqlite3_close_v2(handle_);  // its statements are all finalised: the close is done at once
  std::erase(connectionFolders, folder_);
  if (lock_ >= 0) ::close(lock_);
  if (folder_ >= 0) ::close(folder_);
  if (!privateFolder_.empty()) RemovePrivateFolder(privateFolder_);
}

bool Connection::Changed() const {
  if (changeReason_.empty()) return false;
  sqlite3_file* file = nullptr;
  return sqlite3_file_control(handle_, "main", SQLITE_FCNTL_FILE_POINTER, &file) == SQLITE_OK && file &&
         file->pMethods == &kGuardedMethods && Ours(file)->changed;
}

String Connection::Why(int code) const { return Changed() ? changeReason_ : ReasonOf(handle_, code); }

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
      literal = !IsUtf8WithoutNul(blob);
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
  if (converted_.capacity() > kRoomKeptBetweenValues) String().swap(converted_);  // a huge BLOB's room
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
    errorMessage_ = connection_->Why(sqlite3_reset(statement_));
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

// ---- Parts of a schema ----------------------------------------------------------------------

namespace {

// Why the table's definition, read anew where nothing else is, does not hold for this SQLite;
// empty when it does. A schema read in part takes in a table whose generated column SQLite
// cannot compute, but as a column of NULLs: only such a fresh reading says so.
String WhyDefinitionFails(sqlite3* handle, const String& tableName) {
  const String definition =
      FromSchema(handle, "SELECT sql FROM sqlite_schema WHERE type = 'table' AND name = ?1", tableName);
  // An empty database in memory, with the settings of those read, in which the definition is
  // only compiled, never run.
  sqlite3* scratch = nullptr;
  String reason;
  if (sqlite3_open_v2(":memory:", &scratch, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_db_config(scratch, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_db_config(scratch, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 1, nullptr);
    sqlite3_stmt* create = nullptr;
    if (sqlite3_prepare_v2(scratch, definition.c_str(), -1, &create, nullptr) != SQLITE_OK)
      reason = french::kNotUnderstood + tableName + " (" + sqlite3_errmsg(scratch) + ")";
    sqlite3_finalize(create);
  }
  sqlite3_close(scratch);
  return reason;
}

// Why SQLite cannot compute the generated column as it reads it; empty when it can. The
// table's definition is looked at only where the schema was read in part, once a table.
String WhyNotComputed(const Connection& connection, const String& tableName, const String& column,
                      std::optional<String>& definition) {
  sqlite3* handle = connection.Handle();
  char* sql = sqlite3_mprintf("SELECT \"%w\" FROM \"%w\"", column.c_str(), tableName.c_str());
  sqlite3_stmt* statement = nullptr;
  const int code = sql ? sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr) : SQLITE_NOMEM;
  sqlite3_free(sql);
  sqlite3_finalize(statement);
  if (code != SQLITE_OK) return ReasonOf(handle, code);
  if (!connection.ReadInPart()) return String();
  if (!definition) definition = WhyDefinitionFails(handle, tableName);
  return *definition;
}

}  // namespace

// ---- Database -----------------------------------------------------------------------------

Database::~Database() { Close(); }

void Database::Close() {
  // A record set still open keeps the connection until it is closed in turn.
  connection_ = nullptr;
}

Ref<RecordSet> Database::Select(const String& sql, const std::vector<String>& parameters) {
  errorMessage_.clear();
  if (!connection_) {
    errorMessage_ = french::kNotConnected;
    return nullptr;
  }
  sqlite3* handle = connection_->Handle();
  sqlite3_stmt* statement = nullptr;
  int code = sqlite3_prepare_v2(handle, sql.c_str(), static_cast<int>(sql.size()), &statement, nullptr);
  if (code == SQLITE_OK && !statement) code = SQLITE_MISUSE;  // no statement in the text
  for (std::size_t i = 0; code == SQLITE_OK && i < parameters.size(); ++i)
    sqlite3_bind_text(statement, static_cast<int>(i + 1), parameters[i].data(), static_cast<int>(parameters[i].size()),
                      SQLITE_TRANSIENT);
  const int first = code == SQLITE_OK ? sqlite3_step(statement) : code;
  if (first != SQLITE_ROW && first != SQLITE_DONE) {
    errorMessage_ = connection_->Why(statement ? sqlite3_reset(statement) : first);
    sqlite3_finalize(statement);
    return nullptr;
  }
  // The count query needs the statement's text with its parameters in place.
  String text = sql;
  if (!parameters.empty()) {
    char* expanded = sqlite3_expanded_sql(statement);
    if (expanded) text = expanded;
    sqlite3_free(expanded);
  }
  Ref<RecordSet> rows(new RecordSet(connection_, statement, std::move(text)));
  rows->eof_ = first != SQLITE_ROW;
  rows->hadFirstRow_ = first == SQLITE_ROW;
  return rows;
}

Ref<RecordSet> Database::SchemaList(const char* type) {
  Ref<RecordSet> names = Select("SELECT name FROM sqlite_schema WHERE type = ?1 ORDER BY rowid", {type});
  if (names) return names;
  Ref<RecordSet> none(new RecordSet(nullptr, nullptr, String()));
  none->eof_ = true;
  none->errorMessage_ = errorMessage_;
  return none;
}

Ref<RecordSet> Database::TableSchema() { return SchemaList("table"); }

Ref<RecordSet> Database::ViewSchema() { return SchemaList("view"); }

Ref<RecordSet> Database::FieldSchema(const String& tableName) {
  // A generated column that is computed as it is read (hidden 2) is tried alone: one that
  // SQLite cannot compute gets the reason in column 2, so that the others can be read.
  std::vector<String> parameters = {tableName};
  String reasons;
  if (Ref<RecordSet> computed = Select("SELECT name FROM pragma_table_xinfo(?1) WHERE hidden = 2", {tableName})) {
    std::optional<String> definition;
    for (; !computed->IsEOF(); computed->MoveNext()) {
      const String column = computed->IdxField(1)->StringValue();
      const String reason = WhyNotComputed(*connection_, tableName, column, definition);
      if (reason.empty()) continue;
      reasons += " WHEN ?" + std::to_string(parameters.size() + 1) + " THEN ?" + std::to_string(parameters.size() + 2);
      parameters.push_back(column);
      parameters.push_back(reason);
    }
  }
  // Hidden columns of virtual tables (1) are not in "select *"; generated ones (2, 3) are.
  const String why = reasons.empty() ? String("''") : "CASE name" + reasons + " ELSE '' END";
  Ref<RecordSet> columns =
      Select("SELECT name, " + why + " FROM pragma_table_xinfo(?1) WHERE hidden <> 1 ORDER BY cid", parameters);
  if (columns && columns->IsEOF()) {
    SetError(ReasonOfMessage(connection_->Handle(), "no such table: " + tableName));
    return nullptr;
  }
  return columns;
}

Ref<RecordSet> Database::SQLSelect(const String& sql) { return Select(sql); }

// ---- SQLiteDatabase -----------------------------------------------------------------------

bool SQLiteDatabase::Connect() {
  Close();
  SetError(String());
  if (!databaseFile_) return false;
  // SQLite keeps a database's -wal and -shm beside the real file, not beside a link to it.
  int error = 0;
  const String path = PathBehindLinks(databaseFile_->NativePath(), error);
  if (path.empty()) {
    if (!LeadsNowhere(error)) SetError(ReasonOfError(error));
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
  Opened opened = OpenHeld(path, probe.wal, hold);
  if (!opened.connection) {
    ::close(hold);
    SetError(opened.reason);
    return false;
  }
  // A private copy needs the database no more: a program that has it open may then remove its
  // -wal and -shm as it closes.
  if (opened.inPlace)
    opened.connection->KeepLock(hold);
  else
    ::close(hold);
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
        code = sqlite3_backup_step(backup, kBackupStepPages);
        RuntimeYield();
      } while (code == SQLITE_OK);
      sqlite3_backup_finish(backup);
      if (code == SQLITE_DONE) code = SQLITE_OK;
    }
    if (code != SQLITE_OK) reason = connection_->Changed() ? connection_->Why(code) : ReasonOf(copy, code);
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
