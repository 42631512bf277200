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

}  // namespace

void RunAsOtherProgramIfAsked(int argc, char** argv) {
  if (argc != 4 || std::strcmp(argv[1], kFlag) != 0) return;
  sqlite3* db = nullptr;
  if (sqlite3_open(argv[2], &db) != SQLITE_OK) Fail(db, "open");
  if (std::strcmp(argv[3], "lock") == 0) {
    Exec(db, "BEGIN EXCLUSIVE");
  } else if (std::strcmp(argv[3], "wal-exclusive") == 0) {
    Exec(db, "PRAGMA locking_mode = EXCLUSIVE; PRAGMA journal_mode = WAL; INSERT INTO t VALUES ('dans le wal')");
  } else {
    // A cache of a few pages makes SQLite write into the file before the commit, with the
    // pages it overwrote kept in its -journal.
    Exec(db, "PRAGMA cache_size = 2; BEGIN;"
             "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)"
             " INSERT INTO t SELECT 'non validée ' || i || ' ' || printf('%.*c', 200, 'x') FROM n;");
  }
  if (::write(STDOUT_FILENO, "!", 1) != 1) std::_Exit(3);
  char byte;
  while (::read(STDIN_FILENO, &byte, 1) > 0) {
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
  const char* mode = action == Action::HoldExclusiveLock        ? "lock"
                     : action == Action::HoldInWalExclusiveMode ? "wal-exclusive"
                                                                : "die";
  char* args[] = {const_cast<char*>(self.c_str()), const_cast<char*>(kFlag), const_cast<char*>(file.c_str()),
                  const_cast<char*>(mode), nullptr};
  const int spawned = posix_spawn(&pid_, self.c_str(), &files, nullptr, args, environ);
  posix_spawn_file_actions_destroy(&files);
  ::close(in[0]);
  ::close(out[1]);
  toProgram_ = in[1];
  if (spawned != 0) {
    pid_ = -1;
    ::close(out[0]);
    ADD_FAILURE() << "cannot start the other program: " << std::strerror(spawned);
    return;
  }
  char ready = 0;
  const bool done = ::read(out[0], &ready, 1) == 1;
  ::close(out[0]);
  if (!done) ADD_FAILURE() << "the other program did not do its part";
  if (action == Action::DieInTheMiddleOfATransaction) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
}

OtherProgram::~OtherProgram() {
  if (toProgram_ >= 0) ::close(toProgram_);  // the program ends, and lets its lock go
  if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
}

}  // namespace fixtures
