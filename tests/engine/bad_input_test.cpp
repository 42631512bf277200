// Inputs that are not what they seem, and a result file that cannot be written: the run
// records them, never hangs or loops, and leaves every input file as it found it.
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <new>
#include <stdexcept>
#include <optional>

#include "tests/support/run_fixture.h"

using fixtures::fs::path;
using Lines = std::vector<std::string>;
namespace fs = fixtures::fs;

namespace {

class BadInput : public RunFixture {
 protected:

  // Files beside the databases that SQLite would leave behind had it written anything.
  static Lines SideFiles(const path& folder) {
    Lines found;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      for (const char* suffix : {"-wal", "-shm", "-journal"})
        if (name.ends_with(suffix)) found.push_back(fs::relative(entry.path(), folder).string());
    }
    return found;
  }

};

// Overwrites part of a file in place.
void Scribble(const path& file, std::size_t offset, std::size_t size, char byte) {
  std::string bytes = fixtures::ReadFile(file);
  ASSERT_GE(bytes.size(), offset + size);
  bytes.replace(offset, size, size, byte);
  fixtures::WriteFile(file, bytes);
}

// ---- Entries that do not open as a database ------------------------------------------------

struct NotADatabaseCase {
  const char* label;
  const char* name;
  std::function<void(const path&)> make;
  friend void PrintTo(const NotADatabaseCase& c, std::ostream* os) { *os << c.label; }
};

class EntryIsNotADatabase : public BadInput, public ::testing::WithParamInterface<NotADatabaseCase> {};

TEST_P(EntryIsNotADatabase, GetsItsLineAndNothingIsTouched) {
  const path entry = root / GetParam().name;
  GetParam().make(entry);
  MakeTable(root / "zz.sqlite", "t", 1);  // the walk goes on after it
  Options(true, false, true, false, true);
  const auto before = fixtures::Snapshot(root);

  Run(root, result);
  EXPECT_EQ(ResultLines(result), ExpectedFile(2)
                                     .NotADatabase(entry)
                                     .Entry(root / "zz.sqlite")
                                     .Lines({ColumnsOf("zz.sqlite", "t", 1), RowOf("zz.sqlite", "t", 1), ""})
                                     .End());
  EXPECT_EQ(user.messages, Lines{kFinishedMessage});  // no "databasefile=nil" for an entry that is there
  EXPECT_EQ(Changes(before, fixtures::Snapshot(root)), Lines{});
  EXPECT_EQ(SideFiles(root), Lines{});
  EXPECT_EQ(AllPaths(temp / "out" / "resultat.txt_2026-12-10_072737"), Lines{"zz.sqlite"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EntryIsNotADatabase,
    ::testing::Values(
        NotADatabaseCase{"ZeroByteFile", "vide.sqlite", [](const path& p) { fixtures::WriteFile(p, ""); }},
        NotADatabaseCase{"TextFileNamedDb", "notes.db",
                         [](const path& p) { fixtures::WriteFile(p, std::string(300, 'x') + "\n"); }},
        NotADatabaseCase{"EncryptedLookingBytes", "secret.db",
                         [](const path& p) {
                           std::string bytes(8192, '\0');
                           for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 131 + 7);
                           fixtures::WriteFile(p, bytes);
                         }},
        NotADatabaseCase{"NamedPipe", "tube.sqlite",
                         [](const path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0) << std::strerror(errno); }},
        NotADatabaseCase{"DanglingLink", "lien.sqlite",
                         [](const path& p) { fs::create_symlink(p.parent_path() / "absent.sqlite", p); }},
        NotADatabaseCase{"FolderNamedLikeADatabase", "dossier.sqlite",
                         [](const path& p) {
                           fs::create_directories(p);
                           MakeTable(p / "dedans.sqlite", "t", 1);
                         }}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(BadInput, DamagedRootPageOfATableIsSaidAndTheNextTableIsDumped) {
  fixtures::MakeDatabase(root / "abime.sqlite",
                         "CREATE TABLE casse(v TEXT); INSERT INTO casse VALUES ('a'), ('b');"
                         "CREATE TABLE saine(v TEXT); INSERT INTO saine VALUES ('c');");
  Scribble(root / "abime.sqlite", 4096, 4096, '\xff');  // page 2: the root page of "casse"
  Options(false, true, false, false, false);
  Run(root, result);
  EXPECT_EQ(ResultLines(result),
            ExpectedFile(1)
                .Entry(root / "abime.sqlite")
                .Lines({Cells({"abime.sqlite", "lecture impossible (table casse) : fichier endommagé"}), "",
                        Cells({"abime.sqlite", "saine", "1", "c"}), ""})
                .End());
}

// ---- Folder links -------------------------------------------------------------------------

// racine: a/ (retour -> racine, x.sqlite), b -> a, boucle -> racine, ext -> ailleurs (y.sqlite).
// A link back to a folder on the walk's own path is recorded but not walked; any other link
// to a folder is walked like a folder.
TEST_F(BadInput, FolderLinksBackUpTheTreeAreNotWalkedAgain) {
  fs::create_directories(root / "a");
  MakeTable(root / "a" / "x.sqlite", "t", 1);
  fs::create_directory_symlink(root, root / "a" / "retour");
  fs::create_directory_symlink(root / "a", root / "b");
  fs::create_directory_symlink(root, root / "boucle");
  fs::create_directories(temp / "ailleurs");
  MakeTable(temp / "ailleurs" / "y.sqlite", "t", 1);
  fs::create_directory_symlink(temp / "ailleurs", root / "ext");
  Options(false, true, false, true, false);

  Run(root, result);
  EXPECT_EQ(ResultLines(result), ExpectedFile(4)
                                     .NotADatabase(root / "a")
                                     .NotADatabase(root / "a" / "retour")
                                     .Entry(root / "a" / "x.sqlite")
                                     .Lines({RowOf("x.sqlite", "t", 1), ""})
                                     .NotADatabase(root / "b")
                                     .NotADatabase(root / "b" / "retour")
                                     .Entry(root / "b" / "x.sqlite")
                                     .Lines({RowOf("x.sqlite", "t", 1), ""})
                                     .NotADatabase(root / "boucle")
                                     .NotADatabase(root / "ext")
                                     .Entry(root / "ext" / "y.sqlite")
                                     .Lines({RowOf("y.sqlite", "t", 1), ""})
                                     .End());
  EXPECT_EQ(user.messages, Lines{kFinishedMessage});
}

TEST_F(BadInput, LinkToItsOwnFolderIsNotWalked) {
  fs::create_directories(root / "sous");
  fs::create_directory_symlink(root / "sous", root / "sous" / "moi");
  Options(false, false, false, true, false);
  Run(root, result);
  EXPECT_EQ(ResultLines(result),
            ExpectedFile(1).NotADatabase(root / "sous").NotADatabase(root / "sous" / "moi").End());
}

// ---- Names that hold a TAB ----------------------------------------------------------------

TEST_F(BadInput, NamesWithATabAreWrittenAsTheyStand) {
  fixtures::MakeDatabase(root / "ta\tb.sqlite",
                         "CREATE TABLE \"t\tc\"(\"c\td\" TEXT, e TEXT);"
                         "INSERT INTO \"t\tc\" VALUES ('v' || char(9) || 'w', 'f');");
  fixtures::WriteFile(root / "no\ttes.txt", "texte\n");
  Options(false, false, false, false, false);
  Run(root, result);
  EXPECT_EQ(ResultLines(result), ExpectedFile(2)
                                     .NotADatabase(root / "no\ttes.txt")
                                     .Entry(root / "ta\tb.sqlite")
                                     .Lines({"\tta\tb.sqlite\tt\tc (1)\tRowid\tc\td\te",
                                             "\tta\tb.sqlite\tt\tc\t1\tv w\tf", ""})
                                     .End());
}

TEST_F(BadInput, NamesThatLookLikeUriPartsOpenTheirOwnFile) {
  const std::string name = "q?mode=rwc&immutable=0#x%41 b.sqlite";
  MakeTable(root / name, "t", 1);
  Options(false, true, false, false, false);
  Run(root, result);
  EXPECT_EQ(ResultLines(result), ExpectedFile(1).Entry(root / name).Lines({RowOf(name, "t", 1), ""}).End());
  EXPECT_EQ(AllPaths(root), Lines{name});
}

// ---- Every input left byte for byte as it was ----------------------------------------------

TEST_F(BadInput, EveryInputFileIsLeftAsItWas) {
  MakeTable(root / "simple.sqlite", "t", 2);
  fixtures::MakeDatabase(root / "wal.sqlite",
                         "PRAGMA journal_mode = WAL; CREATE TABLE t(v TEXT); INSERT INTO t VALUES ('w');");
  fs::create_directories(root / "sous");
  fixtures::MakeDatabase(root / "sous" / "journal.sqlite",
                         "CREATE TABLE t(v TEXT); INSERT INTO t VALUES ('j');");
  fixtures::WriteFile(root / "sous" / "notes.txt", "texte\n");
  ASSERT_EQ(SideFiles(root), Lines{});
  Options(true, false, true, true, true);
  const auto before = fixtures::Snapshot(root);

  Run(root, result);
  EXPECT_EQ(user.messages, Lines{kFinishedMessage});
  EXPECT_NE(fixtures::ReadFile(result).find(Cells({"wal.sqlite", "t", "1", "w"})), std::string::npos);
  EXPECT_EQ(Changes(before, fixtures::Snapshot(root)), Lines{});
  EXPECT_EQ(SideFiles(root), Lines{});
}

// A database left in WAL mode by a program that stopped while it had it open: its last rows
// are still in its -wal file, and there is no -shm. It is met directly, or through a link
// (its -wal lies beside the real file then).
class PendingWal : public BadInput, public ::testing::WithParamInterface<bool> {};

TEST_P(PendingWal, DatabaseIsDumpedWithItsWalAndLeftAsItWas) {
  const bool throughLink = GetParam();
  const path home = throughLink ? temp / "ailleurs" : root;
  fs::create_directories(home);
  fixtures::MakeLeftOverWal(home / "vivant.sqlite", "CREATE TABLE t(v TEXT); INSERT INTO t VALUES ('dans le wal');");
  if (throughLink) fs::create_symlink(home / "vivant.sqlite", root / "vivant.sqlite");
  Options(false, true, false, false, false);
  const auto before = fixtures::Snapshot(home);

  Run(root, result);
  const Lines lines = ResultLines(result);
  EXPECT_NE(std::find(lines.begin(), lines.end(), Cells({"vivant.sqlite", "t", "1", "dans le wal"})), lines.end());
  EXPECT_EQ(Changes(before, fixtures::Snapshot(home)), Lines{});
  EXPECT_EQ(SideFiles(root), throughLink ? Lines{} : Lines{"vivant.sqlite-wal"});
}

INSTANTIATE_TEST_SUITE_P(Met, PendingWal, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "ThroughALink" : "Directly"; });

// ---- A result file that cannot be created or written ---------------------------------------

struct UnusableResultCase {
  const char* label;
  std::function<path(const fixtures::TempDir&)> result;
  int error;
  bool bigValue;      // a value too long for the stream's buffer: the write fails inside the walk
  bool unprivileged;  // permissions do not stop root
  friend void PrintTo(const UnusableResultCase& c, std::ostream* os) { *os << c.label; }
};

class UnusableResult : public BadInput, public ::testing::WithParamInterface<UnusableResultCase> {};

TEST_P(UnusableResult, UserIsToldAndTheWindowIsReadyAgain) {
  const path target = GetParam().result(temp);
  fixtures::MakeDatabase(root / "a.sqlite", std::string("CREATE TABLE t(v TEXT); INSERT INTO t VALUES ('court');") +
                                               (GetParam().bigValue ? "INSERT INTO t VALUES (printf('%.*c', 200000, 'x'));" : ""));
  MakeTable(root / "b.sqlite", "t", 1);
  Options(false, false, true, false, false);
  if (GetParam().bigValue) user.stopAtCall = 2;  // the stop is asked for at the row whose write fails
  const auto before = fixtures::Snapshot(root);

  {
    std::optional<fixtures::Unprivileged> nobody;
    if (GetParam().unprivileged) nobody.emplace(temp.path());
    Run(root, target);
  }
  ASSERT_EQ(user.messages.size(), 1u);
  const std::string& message = user.messages[0];
  EXPECT_NE(message.find("fichier texte \"" + target.string() + "\""), std::string::npos) << message;
  EXPECT_NE(message.find(platform::ReasonOfError(GetParam().error)), std::string::npos) << message;
  EXPECT_TRUE(window->BtnDemarrer()->Enabled());
  EXPECT_EQ(window->Height(), 246);
  EXPECT_EQ(App::ArretTraitement, 0);
  EXPECT_EQ(Changes(before, fixtures::Snapshot(root)), Lines{});
  EXPECT_EQ(SideFiles(root), Lines{});

  // The next run goes through as usual.
  user.messages.clear();
  user.stopAtCall.reset();
  Run(root, result);
  EXPECT_EQ(user.messages, Lines{kFinishedMessage});
  EXPECT_EQ(ResultLines(result).back(), kFooterLine);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnusableResult,
    ::testing::Values(
        UnusableResultCase{"DeviceFull", [](const fixtures::TempDir&) { return path("/dev/full"); }, ENOSPC, false,
                           false},
        UnusableResultCase{"DeviceFullInsideTheWalk", [](const fixtures::TempDir&) { return path("/dev/full"); },
                           ENOSPC, true, false},
        UnusableResultCase{"MissingFolder", [](const fixtures::TempDir& t) { return t / "absent" / "resultat.txt"; },
                           ENOENT, false, false},
        UnusableResultCase{"ReadOnlyFolder",
                           [](const fixtures::TempDir& t) {
                             const path folder = t / "lecture_seule";
                             fs::create_directories(folder);
                             fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
                             return folder / "resultat.txt";
                           },
                           EACCES, false, true}),
    [](const auto& info) { return std::string(info.param.label); });

// An error of any kind inside the walk (here thrown where the stop key is polled) ends the
// run with a message and leaves the window ready, the file closed with what was written.
TEST_F(BadInput, AnyErrorInsideTheWalkLeavesTheWindowReady) {
  MakeTable(root / "a.sqlite", "t", 3);
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[] { throw std::bad_alloc(); }, "mémoire insuffisante"},
      {[] { throw std::runtime_error("panne"); }, "panne"},
      {[] { throw 42; }, "erreur inconnue"},
  };
  Options(false, true, true, false, false);
  for (const auto& [fault, reason] : cases) {
    user.messages.clear();
    user.stopKeyCalls = 0;
    user.onStopKeyPoll = [&fault](int call) {
      if (call == 2) fault();
    };
    Run(root, result);
    EXPECT_EQ(user.messages, Lines{"Le traitement s'est arrêté sur une erreur : " + reason});
    EXPECT_TRUE(window->BtnDemarrer()->Enabled());
    EXPECT_EQ(window->Height(), 246);
    EXPECT_EQ(App::ArretTraitement, 0);
    const Lines lines = ResultLines(result);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[3], "Nb de bases de données : 1");
    EXPECT_EQ(lines.back(), RowOf("a.sqlite", "t", 1));
  }
}

}  // namespace
