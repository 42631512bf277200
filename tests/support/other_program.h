// Another program that has a database open, as a user's own programs do: a real second
// process (this test program started again), so that its locks are a stranger's.
#pragma once

#include <sys/types.h>

#include <filesystem>

namespace fixtures {

class OtherProgram {
 public:
  enum class Action {
    HoldExclusiveLock,             // BEGIN EXCLUSIVE, and hold it until the end of the scope
    HoldInWalExclusiveMode,        // write in WAL mode with the file kept for itself: no -shm
    DieInTheMiddleOfATransaction,  // write part of a transaction into the file, then be killed
  };
  // Returns once the program holds its lock, or has died.
  OtherProgram(const std::filesystem::path& database, Action action);
  ~OtherProgram();
  OtherProgram(const OtherProgram&) = delete;
  OtherProgram& operator=(const OtherProgram&) = delete;

 private:
  pid_t pid_ = -1;
  int toProgram_ = -1;
};

// What the test program does when it was started as the other program; called first in main.
// Returns only when it was not.
void RunAsOtherProgramIfAsked(int argc, char** argv);

}  // namespace fixtures
