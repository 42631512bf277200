// A database that another program opens and writes while the run reads it, or that a writer
// left in the middle of a transaction, is dumped from one state of it: the rows it held when
// the run came to it (with an unfinished transaction rolled back), every one, in order, once,
// and its copy is that same state. Nothing is made beside it, and nothing of the run's is left
// in the temporary folder.
#include <sys/stat.h>

#include <optional>

#include "tests/support/other_program.h"
#include "tests/support/run_fixture.h"

using fixtures::OtherProgram;
using fixtures::fs::path;
using Lines = std::vector<std::string>;
namespace fs = fixtures::fs;

namespace {

class InUse : public RunFixture {
 protected:
  void SetUp() override {
    RunFixture::SetUp();
    fs::create_directories(tmp);
  }
  void TearDown() override {
    platform::SetLockWait(std::chrono::milliseconds(2000));
    RunFixture::TearDown();
  }

  // Runs on the usual root with `tmp` as the temporary folder, as the user nobody when asked.
  void RunWithTmp(bool unprivileged = false) {
    fixtures::TemporaryFolderAt temporary(tmp);
    std::optional<fixtures::Unprivileged> nobody;
    if (unprivileged) nobody.emplace(temp.path());
    Run(root, result);
  }

  path tmp = temp / "tmp";
};

// ---- A WAL database that another program writes during the dump ----------------------------

constexpr int kRows = 3000;
constexpr int kPadding = 1200;

// A WAL database, closed: no -wal beside it. Its rows fill some thousand pages, more than
// SQLite keeps in its cache: pages read early are read again from the file later on.
void MakeWalDatabase(const path& file) {
  fixtures::MakeDatabase(file, "PRAGMA journal_mode = WAL; CREATE TABLE t(v TEXT);"
                               "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                                   std::to_string(kRows) + ") INSERT INTO t SELECT 'r' || i || ' ' || printf('%.*c', " +
                                   std::to_string(kPadding) + ", 'x') FROM n;");
}

std::string Row(int i) {
  return Cells({"vivante.sqlite", "t", std::to_string(i), "r" + std::to_string(i) + " " + std::string(kPadding, 'x')});
}

// When the other program opens the database: before the run (its -wal and -shm are there), or
// during the dump of the table, when it has already been opened for the run.
enum class Opens { BeforeTheRun, DuringTheDump };

class WrittenDuringTheDump : public InUse, public ::testing::WithParamInterface<Opens> {};

TEST_P(WrittenDuringTheDump, TheRowsAndTheCopyAreThoseOfTheStart) {
  const path file = root / "vivante.sqlite";
  MakeWalDatabase(file);
  fs::copy_file(file, temp / "reference.sqlite");
  const Lines start = fixtures::DatabaseContent(temp / "reference.sqlite");
  std::optional<OtherProgram> other;
  if (GetParam() == Opens::BeforeTheRun) other.emplace(file, OtherProgram::Action::OpenInWal);
  // Between two rows, early in the table: the other program changes rows all over it, adds
  // some, and checkpoints them into the file.
  user.onStopKeyPoll = [&](int call) {
    if (call != 100) return;
    if (!other) other.emplace(file, OtherProgram::Action::OpenInWal);
    other->WriteAndCheckpoint();
  };
  Options(false, true, false, false, true);
  RunWithTmp();
  other.reset();  // it closes the database, and removes its -wal and -shm

  ExpectedFile expected(GetParam() == Opens::BeforeTheRun ? 3 : 1);
  expected.Entry(file);
  for (int i = 1; i <= kRows; ++i) expected.Line(Row(i));
  expected.Line("");
  if (GetParam() == Opens::BeforeTheRun)
    expected.NotADatabase(root / "vivante.sqlite-shm").NotADatabase(root / "vivante.sqlite-wal");
  EXPECT_EQ(ResultLines(result), expected.End());
  EXPECT_EQ(user.messages, Lines{kFinishedMessage});
  EXPECT_EQ(fixtures::DatabaseContent(copies / "vivante.sqlite"), start);  // with "integrity: ok"
  // The database is what the other program made of it; nothing of the run's is anywhere.
  fixtures::MakeDatabase(temp / "reference.sqlite", OtherProgram::Writes());
  EXPECT_EQ(fixtures::DatabaseContent(file), fixtures::DatabaseContent(temp / "reference.sqlite"));
  EXPECT_EQ(AllPaths(root), Lines{"vivante.sqlite"});
  EXPECT_EQ(AllPaths(tmp), Lines{});
}

INSTANTIATE_TEST_SUITE_P(Cases, WrittenDuringTheDump, ::testing::Values(Opens::BeforeTheRun, Opens::DuringTheDump),
                         [](const auto& info) {
                           return info.param == Opens::BeforeTheRun ? "OpenBeforeTheRun" : "OpenedDuringTheDump";
                         });

// The temporary folder cannot take a copy: the database is read in place, and all of it when
// nobody changes it.
TEST_F(InUse, AWalDatabaseThatCannotBeCopiedIsReadInPlace) {
  const path file = root / "vivante.sqlite";
  MakeWalDatabase(file);
  const auto before = fixtures::Snapshot(root);
  const Lines start = fixtures::DatabaseContent(file);
  ::chmod(tmp.c_str(), 0555);
  Options(false, true, false, false, true);
  RunWithTmp(true);
  ExpectedFile expected(1);
  expected.Entry(file);
  for (int i = 1; i <= kRows; ++i) expected.Line(Row(i));
  EXPECT_EQ(ResultLines(result), expected.Line("").End());
  EXPECT_EQ(fixtures::DatabaseContent(copies / "vivante.sqlite"), start);
  EXPECT_EQ(Changes(before, fixtures::Snapshot(root)), Lines{});
  EXPECT_EQ(AllPaths(root), Lines{"vivante.sqlite"});
}

// Read in place, the database changes under the run: the rows of the start that could be read
// are written, those read before the change and those SQLite still has of the start, in order,
// and a line says why the others are not; the copy says it too. No row of the later state, no
// false damage.
TEST_F(InUse, AChangeDuringAReadInPlaceEndsItWithTheReason) {
  const path file = root / "vivante.sqlite";
  MakeWalDatabase(file);
  ::chmod(tmp.c_str(), 0555);
  std::optional<OtherProgram> other;
  user.onStopKeyPoll = [&](int call) {
    if (call != 100) return;
    other.emplace(file, OtherProgram::Action::OpenInWal);
    other->WriteAndCheckpoint();
  };
  Options(false, true, false, false, true);
  RunWithTmp(true);
  other.reset();

  const std::string why = "base modifiée par un autre programme pendant la lecture"
                          " (copie temporaire impossible : permission refusée)";
  const Lines lines = ResultLines(result);
  Lines block = ExpectedFile(1).Entry(file).End();
  block.pop_back();  // the footer
  ASSERT_GT(lines.size(), block.size());
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + static_cast<long>(block.size())), block);
  std::size_t k = block.size();
  int next = 1, written = 0, said = 0;  // the first row that may come next
  for (; k < lines.size() && !lines[k].empty(); ++k) {
    if (lines[k] == UnreadableLine("vivante.sqlite", "table t", why)) {
      ++said;
      continue;
    }
    int i = next;
    while (i <= kRows && lines[k] != Row(i)) ++i;
    ASSERT_LE(i, kRows) << "no row of the start, or out of order: " << lines[k].substr(0, 60);
    if (i == next && said == 0) ++written;  // read before the change
    next = i + 1;
  }
  EXPECT_GE(written, 100);
  EXPECT_GE(said, 1);
  EXPECT_EQ(Lines(lines.begin() + static_cast<long>(k), lines.end()),
            (Lines{"", Cells({"vivante.sqlite", "copie impossible : " + why}), kFooterLine}));
  EXPECT_EQ(user.messages, Lines{FinishedWith(1)});
  EXPECT_EQ(AllPaths(copies), Lines{});
  EXPECT_EQ(AllPaths(root), Lines{"vivante.sqlite"});
}

// ---- A writer that stopped in the middle of a transaction ------------------------------------

// The magic number that ends a journal's record of its super-journal.
constexpr unsigned char kJournalMagic[] = {0xd9, 0xd5, 0x05, 0xf9, 0x20, 0xa1, 0x63, 0xd7};

// Makes the -journal name a super-journal, as a writer's transaction over several databases
// does at its commit: the name, its length and checksum, and the magic number, at its end.
void NameASuperJournal(const path& journal, const std::string& superJournal) {
  auto bigEndian = [](std::uint32_t n) {
    return std::string{static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8),
                       static_cast<char>(n)};
  };
  std::uint32_t checksum = 0;
  for (const char c : superJournal) checksum += static_cast<std::uint32_t>(static_cast<unsigned char>(c));
  fixtures::WriteFile(journal, fixtures::ReadFile(journal) + bigEndian(0) + superJournal +
                                   bigEndian(static_cast<std::uint32_t>(superJournal.size())) + bigEndian(checksum) +
                                   std::string(reinterpret_cast<const char*>(kJournalMagic), sizeof kJournalMagic));
}

// A writer killed in the middle of a transaction left pages of it in the file and the old ones
// in its -journal. The database is read as the next program to open it will see it: with the
// transaction rolled back, in a copy. The file and its -journal stay as they are; when the
// -journal names the super-journal of a transaction over several databases, that stays too.
class KilledWriter : public InUse, public ::testing::WithParamInterface<bool> {};

TEST_P(KilledWriter, TheCommittedRowsAreReadAndCopied) {
  const path file = root / "coupee.sqlite";
  MakeTable(file, "t", 3);
  MakeTable(temp / "reference.sqlite", "t", 3);
  { OtherProgram writer(file, OtherProgram::Action::DieInTheMiddleOfATransaction); }
  ASSERT_GT(fs::file_size(root / "coupee.sqlite-journal"), 0u);
  const path superJournal = temp / "autre" / "coupee.sqlite-mj0A1B2C3D";
  if (GetParam()) {
    fs::create_directories(superJournal.parent_path());
    fixtures::WriteFile(superJournal, "");
    NameASuperJournal(root / "coupee.sqlite-journal", superJournal.string());
  }
  const auto before = fixtures::Snapshot(root);
  Options(false, false, false, false, true);
  RunWithTmp();
  EXPECT_EQ(ResultLines(result), ExpectedFile(2)
                                     .Entry(file)
                                     .Lines({ColumnsOf("coupee.sqlite", "t", 3), RowOf("coupee.sqlite", "t", 1),
                                             RowOf("coupee.sqlite", "t", 2), RowOf("coupee.sqlite", "t", 3), ""})
                                     .NotADatabase(root / "coupee.sqlite-journal")
                                     .End());
  EXPECT_EQ(user.messages, Lines{kFinishedMessage});
  EXPECT_EQ(fixtures::DatabaseContent(copies / "coupee.sqlite"), fixtures::DatabaseContent(temp / "reference.sqlite"));
  EXPECT_EQ(Changes(before, fixtures::Snapshot(root)), Lines{});
  EXPECT_EQ(AllPaths(root), (Lines{"coupee.sqlite", "coupee.sqlite-journal"}));
  EXPECT_EQ(AllPaths(tmp), Lines{});
  if (GetParam()) {
    EXPECT_TRUE(fs::exists(superJournal));
  }
}

INSTANTIATE_TEST_SUITE_P(Journal, KilledWriter, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "NamingASuperJournal" : "OfOneDatabase"; });

// What else a -journal beside a database may be.
TEST_F(InUse, AJournalThatIsNotLeftByAKilledWriter) {
  platform::SetLockWait(std::chrono::milliseconds(50));
  // Emptied by a program in "persist" mode at its last commit: nothing to roll back.
  fixtures::MakeDatabase(root / "a_persistante.sqlite", "PRAGMA journal_mode = PERSIST; CREATE TABLE t(v TEXT);"
                                                        "INSERT INTO t VALUES ('r1');");
  // A writer in the middle of its transaction, alive: it keeps the database for itself.
  MakeTable(root / "b_occupee.sqlite", "t", 1);
  OtherProgram writer(root / "b_occupee.sqlite", OtherProgram::Action::HoldInTheMiddleOfATransaction);
  ASSERT_TRUE(fs::exists(root / "a_persistante.sqlite-journal"));
  ASSERT_TRUE(fs::exists(root / "b_occupee.sqlite-journal"));
  const auto before = fixtures::Snapshot(root);
  Options(false, true, false, false, false);
  RunWithTmp();
  EXPECT_EQ(ResultLines(result), ExpectedFile(4)
                                     .Entry(root / "a_persistante.sqlite")
                                     .Lines({RowOf("a_persistante.sqlite", "t", 1), ""})
                                     .NotADatabase(root / "a_persistante.sqlite-journal")
                                     .Entry(root / "b_occupee.sqlite")
                                     .Line(UnreadableLine("b_occupee.sqlite", "verrouillé par un autre programme"))
                                     .NotADatabase(root / "b_occupee.sqlite-journal")
                                     .End());
  EXPECT_EQ(Changes(before, fixtures::Snapshot(root)), Lines{});
}

// The copy in which the transaction would be rolled back cannot be made: the line says so.
TEST_F(InUse, AnUnfinishedTransactionThatCannotBeRolledBackInACopyIsSaid) {
  MakeTable(root / "coupee.sqlite", "t", 3);
  { OtherProgram writer(root / "coupee.sqlite", OtherProgram::Action::DieInTheMiddleOfATransaction); }
  ::chmod(tmp.c_str(), 0555);
  const auto before = fixtures::Snapshot(root);
  Options(false, true, false, false, true);
  RunWithTmp(true);
  EXPECT_EQ(ResultLines(result),
            ExpectedFile(2)
                .Entry(root / "coupee.sqlite")
                .Line(UnreadableLine("coupee.sqlite", "transaction inachevée, qui n'a pas pu être annulée dans une "
                                                      "copie temporaire : permission refusée"))
                .NotADatabase(root / "coupee.sqlite-journal")
                .End());
  EXPECT_EQ(user.messages, Lines{FinishedWith(1)});
  EXPECT_EQ(Changes(before, fixtures::Snapshot(root)), Lines{});
  EXPECT_EQ(AllPaths(copies), Lines{});  // what could not be read is not copied
}

// ---- A private copy that cannot be removed --------------------------------------------------

// The private copies of two databases cannot be removed once read (their folders made
// undeletable): the closing message names them, for the user to remove them; a copy of a
// database is not left behind unsaid. The run itself is as usual.
TEST_F(InUse, PrivateCopiesLeftInTheTemporaryFolderAreNamedInTheClosingMessage) {
  for (const char* name : {"a.sqlite", "b.sqlite"})
    fixtures::MakeDatabase(root / name, "PRAGMA journal_mode = WAL; CREATE TABLE t(v); INSERT INTO t VALUES('r1');");
  std::vector<path> left;
  platform::SetSnapshotHookForTesting([&] {
    for (const auto& entry : fs::directory_iterator(tmp))
      if (std::find(left.begin(), left.end(), entry.path()) == left.end()) left.push_back(entry.path());
    fs::permissions(left.back(), fs::perms::owner_read | fs::perms::owner_exec);
  });
  Options(false, true, false, false, false);
  RunWithTmp(true);
  platform::SetSnapshotHookForTesting(nullptr);

  EXPECT_EQ(ResultLines(result), ExpectedFile(2)
                                     .Entry(root / "a.sqlite")
                                     .Lines({RowOf("a.sqlite", "t", 1), ""})
                                     .Entry(root / "b.sqlite")
                                     .Lines({RowOf("b.sqlite", "t", 1), ""})
                                     .End());
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(user.messages, Lines{std::string(kFinishedMessage) +
                                 "\n2 copies temporaires de bases n'ont pas pu être supprimées : « " +
                                 left[0].string() + " » (permission refusée), « " + left[1].string() +
                                 " » (permission refusée). Supprimez-les vous-même."});
  EXPECT_TRUE(fs::exists(left[0] / "a.sqlite") && fs::exists(left[1] / "b.sqlite"));
}

// One copy is said in the singular; past five, the others are counted.
TEST(LeftoverCopies, OneIsSaidInTheSingularAndPastFiveTheOthersAreCounted) {
  using platform::LeftoverCopy;
  EXPECT_EQ(export_run::LeftoverCopiesMessage({}), "");
  EXPECT_EQ(export_run::LeftoverCopiesMessage({LeftoverCopy{"/tmp/quorvane-a", "permission refusée"}}),
            "\nUne copie temporaire d'une base n'a pas pu être supprimée : « /tmp/quorvane-a » (permission refusée). "
            "Supprimez-la vous-même.");
  std::vector<LeftoverCopy> seven;
  for (char c = 'a'; c <= 'g'; ++c) seven.push_back({std::string("/tmp/") + c, "r"});
  EXPECT_EQ(export_run::LeftoverCopiesMessage(seven),
            "\n7 copies temporaires de bases n'ont pas pu être supprimées : « /tmp/a » (r), « /tmp/b » (r), "
            "« /tmp/c » (r), « /tmp/d » (r), « /tmp/e » (r) et 2 autres. Supprimez-les vous-même.");
}

}  // namespace
