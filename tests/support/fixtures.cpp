#include "tests/support/fixtures.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

namespace fixtures {

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "quorvane-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Give back write permission that a test took away, so that everything can be removed.
  for (auto it = fs::recursive_directory_iterator(path_, fs::directory_options::skip_permission_denied, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored))
    if (it->is_directory(ignored) && !it->is_symlink(ignored))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

namespace {
constexpr uid_t kNobody = 65534;
}

Unprivileged::Unprivileged(const fs::path& tree) {
  if (::geteuid() != 0) return;
  std::error_code ignored;
  ::lchown(tree.c_str(), kNobody, kNobody);
  for (auto it = fs::recursive_directory_iterator(tree, ignored); it != fs::recursive_directory_iterator();
       it.increment(ignored))
    ::lchown(it->path().c_str(), kNobody, kNobody);
  if (::setegid(kNobody) != 0 || ::seteuid(kNobody) != 0) {
    ADD_FAILURE() << "cannot take the user nobody: " << std::strerror(errno);
    ::setegid(0);
    return;
  }
  dropped_ = true;
}

Unprivileged::~Unprivileged() {
  if (!dropped_) return;
  if (::seteuid(0) != 0 || ::setegid(0) != 0) std::abort();  // the rest of the tests would be wrong
}

TemporaryFolderAt::TemporaryFolderAt(const fs::path& folder) {
  const char* old = std::getenv("TMPDIR");
  had_ = old != nullptr;
  old_ = old ? old : "";
  ::setenv("TMPDIR", folder.c_str(), 1);
}

TemporaryFolderAt::~TemporaryFolderAt() {
  if (had_)
    ::setenv("TMPDIR", old_.c_str(), 1);
  else
    ::unsetenv("TMPDIR");
}

void MakeDatabase(const fs::path& file, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
  const std::string message = error ? error : "";
  sqlite3_free(error);
  sqlite3_close(db);
  ASSERT_EQ(rc, SQLITE_OK) << message;
}

namespace {
std::vector<std::string> Query(sqlite3* db, const std::string& sql) {
  std::vector<std::string> rows;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    rows.push_back("error: " + std::string(sqlite3_errmsg(db)));
    return rows;
  }
  while (sqlite3_step(statement) == SQLITE_ROW) {
    std::string row;
    for (int i = 0; i < sqlite3_column_count(statement); ++i) {
      const unsigned char* text = sqlite3_column_text(statement, i);
      row += (i ? "|" : "") + std::string(text ? reinterpret_cast<const char*>(text) : "NULL");
    }
    rows.push_back(row);
  }
  sqlite3_finalize(statement);
  return rows;
}
}  // namespace

sqlite3* OpenWalWriter(const fs::path& file, const std::string& sql) {
  sqlite3* db = nullptr;
  char* error = nullptr;
  if (sqlite3_open(file.c_str(), &db) != SQLITE_OK ||
      sqlite3_exec(db, ("PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;" + sql).c_str(), nullptr, nullptr,
                   &error) != SQLITE_OK)
    ADD_FAILURE() << "cannot write " << file << ": " << (error ? error : sqlite3_errmsg(db));
  sqlite3_free(error);
  return db;
}

void MakeLeftOverWal(const fs::path& file, const std::string& sql) {
  const fs::path origin = file.parent_path() / (".origine-" + file.filename().string());
  sqlite3* writer = OpenWalWriter(origin, sql);
  fs::copy_file(origin, file);
  fs::copy_file(origin.string() + "-wal", file.string() + "-wal");
  sqlite3_close(writer);
  fs::remove(origin);
}

std::vector<std::string> DatabaseContent(const fs::path& file) {
  sqlite3* db = nullptr;
  std::vector<std::string> lines;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return {"cannot open"};
  }
  lines = Query(db, "SELECT type, name, tbl_name, sql FROM sqlite_schema ORDER BY rowid");
  for (const std::string& table : Query(db, "SELECT name FROM sqlite_schema WHERE type = 'table' ORDER BY rowid")) {
    std::string quoted = "\"";
    for (char c : table) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    quoted += "\"";
    std::vector<std::string> rows = Query(db, "SELECT rowid, * FROM " + quoted);
    if (!rows.empty() && rows[0].starts_with("error: ")) rows = Query(db, "SELECT * FROM " + quoted);  // no rowid
    for (const std::string& row : rows) lines.push_back(table + ": " + row);
  }
  const std::vector<std::string> integrity = Query(db, "PRAGMA integrity_check");
  lines.push_back("integrity: " + (integrity.empty() ? std::string("none") : integrity[0]));
  sqlite3_close(db);
  return lines;
}

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary);
  out << bytes;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find('\n', from)) != std::string::npos; from = at + 1)
    lines.push_back(text.substr(from, at - from));
  if (from < text.size()) lines.push_back(text.substr(from));
  return lines;
}

std::vector<std::string> Listing(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& b : bytes) b = static_cast<char>(random());
  return bytes;
}

std::vector<std::pair<std::string, std::string>> Snapshot(const fs::path& folder) {
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file() && !entry.is_symlink())
      files.emplace_back(fs::relative(entry.path(), folder).string(), ReadFile(entry.path()));
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace fixtures
