#include "tests/support/other_program.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

extern char** environ;

namespace fixtures {

namespace {

constexpr char kFlag[] = "--as-other-program";

[[noreturn]] void Fail(sqlite3* db, const char* what) {
  std::fprintf(stderr, "other program: %s: %s\n", what, db ? sqlite3_errmsg(db) : "");
  std::_Exit(2);
}

void Exec(sqlite3* db, const char* sql) {
  if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail(db, sql);
}

void Tell(char what) {
  if (::write(STDOUT_FILENO, &what, 1) != 1) std::_Exit(3);
}

// The names the program is started with, and the actions they stand for.
constexpr struct {
  OtherProgram::Action action;
  const char* name;
} kActions[] = {
    {OtherProgram::Action::HoldExclusiveLock, "lock"},
    {OtherProgram::Action::HoldInWalExclusiveMode, "wal-exclusive"},
    {OtherProgram::Action::DieInTheMiddleOfATransaction, "die"},
    {OtherProgram::Action::HoldInTheMiddleOfATransaction, "hold"},
    {OtherProgram::Action::OpenInWal, "wal"},
};

}  // namespace

std::string OtherProgram::Writes() {
  std::string sql = "UPDATE t SET v = 'modifiée ' || rowid WHERE rowid % 10 = 0;"
                    "DELETE FROM t WHERE rowid % 10 = 5;";
  for (int k = 0; k < 20; ++k)
    sql += "BEGIN; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 50)"
           " INSERT INTO t(v) SELECT 'ajoutée ' || i || ' ' || printf('%.*c', 100, 'y') FROM n; COMMIT;";
  return sql;
}

void RunAsOtherProgramIfAsked(int argc, char** argv) {
  if (argc != 4 || std::strcmp(argv[1], kFlag) != 0) return;
  sqlite3* db = nullptr;
  if (sqlite3_open(argv[2], &db) != SQLITE_OK) Fail(db, "open");
  const std::string action = argv[3];
  if (action == "lock") {
    Exec(db, "BEGIN EXCLUSIVE");
  } else if (action == "wal-exclusive") {
    Exec(db, "PRAGMA locking_mode = EXCLUSIVE; PRAGMA journal_mode = WAL; INSERT INTO t VALUES ('dans le wal')");
  } else if (action == "wal") {
    Exec(db, "SELECT count(*) FROM t");
  } else {
    // A cache of a few pages makes SQLite write into the file before the commit, with the
    // pages it overwrote kept in its -journal.
    Exec(db, "PRAGMA cache_size = 2; BEGIN;"
             "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)"
             " INSERT INTO t SELECT 'non validée ' || i || ' ' || printf('%.*c', 200, 'x') FROM n;");
  }
  Tell('!');
  char byte;
  while (::read(STDIN_FILENO, &byte, 1) > 0) {
    Exec(db, (OtherProgram::Writes() + "PRAGMA wal_checkpoint;").c_str());
    Tell('!');
  }
  sqlite3_close(db);
  std::_Exit(0);
}

OtherProgram::OtherProgram(const std::filesystem::path& database, Action action) {
  int in[2], out[2];
  if (::pipe(in) != 0 || ::pipe(out) != 0) {
    ADD_FAILURE() << "pipe";
    return;
  }
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_adddup2(&files, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&files, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&files, in[1]);
  posix_spawn_file_actions_addclose(&files, out[0]);
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string file = database.string();
  const char* mode = "";
  for (const auto& known : kActions)
    if (known.action == action) mode = known.name;
  char* args[] = {const_cast<char*>(self.c_str()), const_cast<char*>(kFlag), const_cast<char*>(file.c_str()),
                  const_cast<char*>(mode), nullptr};
  const int spawned = posix_spawn(&pid_, self.c_str(), &files, nullptr, args, environ);
  posix_spawn_file_actions_destroy(&files);
  ::close(in[0]);
  ::close(out[1]);
  toProgram_ = in[1];
  fromProgram_ = out[0];
  if (spawned != 0) {
    pid_ = -1;
    ADD_FAILURE() << "cannot start the other program: " << std::strerror(spawned);
    return;
  }
  char ready = 0;
  if (::read(fromProgram_, &ready, 1) != 1) ADD_FAILURE() << "the other program did not do its part";
  if (action == Action::DieInTheMiddleOfATransaction) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
}

void OtherProgram::WriteAndCheckpoint() {
  char done = 0;
  if (::write(toProgram_, "w", 1) != 1 || ::read(fromProgram_, &done, 1) != 1)
    ADD_FAILURE() << "the other program did not write";
}

OtherProgram::~OtherProgram() {
  if (toProgram_ >= 0) ::close(toProgram_);  // the program ends, and lets its lock go
  if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
  if (fromProgram_ >= 0) ::close(fromProgram_);
}

}  // namespace fixtures
