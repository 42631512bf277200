// Small fixtures made by the tests themselves: temporary folders, SQLite databases built with
// the SQLite API, and file reading.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct sqlite3;

namespace fixtures {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

// For the rest of its scope the process has no more rights than an ordinary user, so that
// permissions mean what they say even when the tests run as root: root takes the user and
// group "nobody" as its effective ones, after handing it the tree of the given folder; any
// other user is left as it is. The rights come back at the end of the scope.
class Unprivileged {
 public:
  explicit Unprivileged(const fs::path& tree);
  ~Unprivileged();
  Unprivileged(const Unprivileged&) = delete;
  Unprivileged& operator=(const Unprivileged&) = delete;

 private:
  bool dropped_ = false;
};

// For the rest of its scope the system's temporary folder (TMPDIR) is the given one, where the
// run makes its private copies; the old one comes back at the end of the scope.
class TemporaryFolderAt {
 public:
  explicit TemporaryFolderAt(const fs::path& folder);
  ~TemporaryFolderAt();
  TemporaryFolderAt(const TemporaryFolderAt&) = delete;
  TemporaryFolderAt& operator=(const TemporaryFolderAt&) = delete;

 private:
  bool had_;
  std::string old_;
};

// Runs the SQL statements on a new (or existing) database file; fails the test on an error.
void MakeDatabase(const fs::path& file, const std::string& sql);
// Opens the database as a writing program does, in WAL mode, and runs the SQL on it; what the
// SQL writes stays in the -wal until the connection is closed (sqlite3_close).
::sqlite3* OpenWalWriter(const fs::path& file, const std::string& sql);
// A database as a writer that stopped leaves it: its last rows, written by the SQL, still in
// its -wal, and no -shm beside it.
void MakeLeftOverWal(const fs::path& file, const std::string& sql);

// What a database holds, as SQLite reads it: its schema's rows, then every row of every table,
// rowid first, each as one text; and "integrity: ok" when SQLite finds it sound. Two files
// with the same content give the same lines, whatever their bytes.
std::vector<std::string> DatabaseContent(const fs::path& file);
std::string ReadFile(const fs::path& file);
void WriteFile(const fs::path& file, const std::string& bytes);
// The file's lines, split at LF only (a lone CR stays inside its line). The text after the
// last LF, if any, is the last element.
std::vector<std::string> Lines(const std::string& text);
// The names of the folder's entries, sorted.
std::vector<std::string> Listing(const fs::path& folder);
// Bytes from a seeded generator: the same for the same seed.
std::string RandomBytes(std::size_t size, unsigned seed);
// Every regular file below the folder with its bytes, for before-and-after comparisons.
std::vector<std::pair<std::string, std::string>> Snapshot(const fs::path& folder);

}  // namespace fixtures
