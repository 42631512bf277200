// Another program that has a database open, as a user's own programs do: a real second
// process (this test program started again), so that its locks are a stranger's.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace fixtures {

class OtherProgram {
 public:
  enum class Action {
    HoldExclusiveLock,              // BEGIN EXCLUSIVE, and hold it until the end of the scope
    HoldInWalExclusiveMode,         // write in WAL mode with the file kept for itself: no -shm
    DieInTheMiddleOfATransaction,   // write part of a transaction into the file, then be killed
    HoldInTheMiddleOfATransaction,  // the same, and stay: it holds the database for itself
    OpenInWal,                      // open a WAL database and read it: its -wal and -shm are made
  };
  // Returns once the program holds its lock, or has died.
  OtherProgram(const std::filesystem::path& database, Action action);
  ~OtherProgram();
  OtherProgram(const OtherProgram&) = delete;
  OtherProgram& operator=(const OtherProgram&) = delete;

  // Has the program (OpenInWal) run Writes() and checkpoint its -wal into the database file;
  // returns once it has.
  void WriteAndCheckpoint();
  // What WriteAndCheckpoint runs on a database of a table t(v): rows of t changed and removed
  // all over the table, then rows added in transactions of 50.
  static std::string Writes();

 private:
  pid_t pid_ = -1;
  int toProgram_ = -1;
  int fromProgram_ = -1;
};

// What the test program does when it was started as the other program; called first in main.
// Returns only when it was not.
void RunAsOtherProgramIfAsked(int argc, char** argv);

}  // namespace fixtures
