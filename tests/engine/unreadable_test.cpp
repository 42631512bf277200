// What a run cannot read or copy it says in the result file, where the rows would have stood,
// with the reason in French, and counts in its closing message; what it can read it writes,
// however the folder is made. Its inputs are left as they were, byte for byte, with nothing
// made beside them.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <sqlite3.h>

#include "tests/support/other_program.h"
#include "tests/support/run_fixture.h"

using fixtures::fs::path;
using Lines = std::vector<std::string>;
namespace fs = fixtures::fs;

namespace {

class Unreadable : public RunFixture {
 protected:
  void TearDown() override {
    platform::SetLockWait(std::chrono::milliseconds(2000));
    RunFixture::TearDown();
  }
};

// Overwrites a whole page of a database file with garbage.
void DamagePage(const path& file, std::size_t page, std::size_t pageSize = 4096) {
  std::string bytes = fixtures::ReadFile(file);
  ASSERT_GE(bytes.size(), (page + 1) * pageSize);
  bytes.replace(page * pageSize, pageSize, pageSize, '\xff');
  fixtures::WriteFile(file, bytes);
}

// ---- Databases that another program holds ------------------------------------------------

TEST_F(Unreadable, ADatabaseLockedByAnotherProgramIsSaidLockedAndTheWalkGoesOn) {
  platform::SetLockWait(std::chrono::milliseconds(50));
  MakeTable(root / "a_occupee.sqlite", "t", 2);
  MakeTable(root / "b.sqlite", "t", 1);
  fixtures::OtherProgram holder(root / "a_occupee.sqlite", fixtures::OtherProgram::Action::HoldExclusiveLock);
  Options(false, true, false, false, false);
  EXPECT_EQ(RunKeepingInputs(), ExpectedFile(2)
                                    .Entry(root / "a_occupee.sqlite")
                                    .Line(UnreadableLine("a_occupee.sqlite", "verrouillé par un autre programme"))
                                    .Entry(root / "b.sqlite")
                                    .Lines({RowOf("b.sqlite", "t", 1), ""})
                                    .End());
  EXPECT_EQ(user.messages, Lines{FinishedWith(1)});
}

// A program that writes a WAL database in exclusive locking mode keeps no -shm: the database is
// locked, and is not read from a copy taken behind its back.
TEST_F(Unreadable, AWalDatabaseKeptByItsWriterIsSaidLocked) {
  platform::SetLockWait(std::chrono::milliseconds(50));
  MakeTable(root / "w.sqlite", "t", 1);
  fixtures::OtherProgram writer(root / "w.sqlite", fixtures::OtherProgram::Action::HoldInWalExclusiveMode);
  ASSERT_TRUE(fs::exists(root / "w.sqlite-wal"));
  ASSERT_FALSE(fs::exists(root / "w.sqlite-shm"));
  Options(false, true, false, false, false);
  const Lines lines = RunKeepingInputs();
  EXPECT_NE(std::find(lines.begin(), lines.end(), UnreadableLine("w.sqlite", "verrouillé par un autre programme")),
            lines.end());
}

// ---- Damage ----------------------------------------------------------------------------------

// A table of 300 rows over several pages, two of them damaged: every row that can still be
// read is written, in order, with the line that says what could not be read at each damage;
// the next table follows. Rowids one after the other, or spread over the whole of their range.
class DamagedTable : public Unreadable, public ::testing::WithParamInterface<std::int64_t> {};

TEST_P(DamagedTable, KeepsEveryRowThatCanBeRead) {
  const std::int64_t step = GetParam();  // between one rowid and the next
  const path file = root / "abimee.sqlite";
  fixtures::MakeDatabase(file,
                         "CREATE TABLE t(v TEXT);"
                         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300)"
                         " INSERT INTO t(rowid, v) SELECT i * " + std::to_string(step) +
                             ", printf('ligne %03d ', i) || printf('%.*c', 90, 'x') FROM n;"
                         "CREATE TABLE apres(v TEXT); INSERT INTO apres VALUES ('suite');");
  auto label = [](int i) {
    char text[16];
    std::snprintf(text, sizeof text, "ligne %03d ", i);
    return std::string(text);
  };
  // The rows that the pages holding rows 100 and 200 hold: they are lost with their pages.
  const std::string bytes = fixtures::ReadFile(file);
  std::vector<bool> lost(301, false);
  for (const int marker : {100, 200}) {
    const std::size_t page = bytes.find(label(marker)) / 4096;
    for (int i = 1; i <= 300; ++i)
      if (bytes.substr(page * 4096, 4096).find(label(i)) != std::string::npos) lost[i] = true;
    DamagePage(file, page);
  }
  ASSERT_TRUE(lost[100] && lost[200] && !lost[1] && !lost[150] && !lost[300]);
  Options(false, false, false, false, false);

  int before = 1;  // the rows before the first damage, which the column-name line counts
  while (!lost[before]) ++before;
  ExpectedFile expected(1);
  expected.Entry(file).Line(Cells({"abimee.sqlite", "t (" + std::to_string(before - 1) + ")", "Rowid", "v"}));
  int written = 0;
  for (int i = 1; i <= 300; ++i) {
    if (lost[i]) {
      if (!lost[i - 1]) expected.Line(UnreadableLine("abimee.sqlite", "table t", "fichier endommagé"));
      continue;
    }
    expected.Line(Cells({"abimee.sqlite", "t", std::to_string(i * step), label(i) + std::string(90, 'x')}));
    ++written;
  }
  expected.Line("").Lines(
      {Cells({"abimee.sqlite", "apres (1)", "Rowid", "v"}), Cells({"abimee.sqlite", "apres", "1", "suite"}), ""});
  EXPECT_EQ(RunKeepingInputs(), expected.End());
  EXPECT_EQ(window->NbRecords()->Text(), std::to_string(written + 1));
  EXPECT_EQ(user.messages, Lines{FinishedWith(1)});
}

INSTANTIATE_TEST_SUITE_P(Rowids, DamagedTable, ::testing::Values(1, 30'000'000'000'000'000),
                         [](const auto& info) { return info.param == 1 ? "OneAfterTheOther" : "SpreadOverTheirRange"; });

// A file with the header of a database and garbage after it was a database: it is said
// damaged, not taken for a file of another kind.
TEST_F(Unreadable, ADatabaseWhoseSchemaIsDamagedIsSaidDamaged) {
  MakeTable(root / "abime.sqlite", "t", 3);
  std::string bytes = fixtures::ReadFile(root / "abime.sqlite");
  bytes.replace(100, 3996, 3996, '\xff');
  fixtures::WriteFile(root / "abime.sqlite", bytes);
  fixtures::WriteFile(root / "court.sqlite", "SQLite format 3" + std::string(1, '\0') + "tronqué");
  Options(false, false, false, false, false);
  EXPECT_EQ(RunKeepingInputs(), ExpectedFile(2)
                                    .Entry(root / "abime.sqlite")
                                    .Line(UnreadableLine("abime.sqlite", "fichier endommagé"))
                                    .Entry(root / "court.sqlite")
                                    .Line(UnreadableLine("court.sqlite", "fichier endommagé"))
                                    .End());
  EXPECT_EQ(user.messages, Lines{FinishedWith(2)});
}

// SQLite counts a table's rows from its smallest index: one that is out of step with the table
// (here, pointed at an empty one) must not make the table look empty.
TEST_F(Unreadable, ATableWhoseIndexCountsNoRowIsDumpedAllTheSame) {
  fixtures::MakeDatabase(root / "i.sqlite",
                         "CREATE TABLE t(a TEXT, b TEXT, c TEXT); CREATE INDEX ta ON t(a);"
                         "INSERT INTO t VALUES ('un', 'b', 'c'), ('deux', 'b', 'c');"
                         "CREATE TABLE e(a TEXT); CREATE INDEX ea ON e(a);"
                         "PRAGMA writable_schema = ON;"
                         "UPDATE sqlite_schema SET rootpage = (SELECT rootpage FROM sqlite_schema WHERE name = 'ea')"
                         " WHERE name = 'ta';");
  Options(false, true, false, false, false);
  const Lines lines = RunKeepingInputs();
  const Lines rows = {Cells({"i.sqlite", "t", "1", "un", "b", "c"}), Cells({"i.sqlite", "t", "2", "deux", "b", "c"})};
  EXPECT_NE(std::search(lines.begin(), lines.end(), rows.begin(), rows.end()), lines.end());
}

// ---- Tables that a plain "select rowid,*" does not read ------------------------------------

TEST_F(Unreadable, ATableOfTheMostColumnsSQLiteAllowsIsDumpedWithAnEmptyRowidCell) {
  std::string columns, values, names;
  Lines cells = {"large.sqlite", "large", ""};
  for (int c = 1; c <= 2000; ++c) {
    columns += (c > 1 ? ", c" : "c") + std::to_string(c);
    values += (c > 1 ? ", 'v" : "'v") + std::to_string(c) + "'";
    cells.push_back("v" + std::to_string(c));
  }
  fixtures::MakeDatabase(root / "large.sqlite",
                         "CREATE TABLE large(" + columns + "); INSERT INTO large VALUES (" + values + ");");
  Options(false, true, false, false, false);
  std::string row;
  for (const std::string& cell : cells) row += "\t" + cell;
  EXPECT_EQ(RunKeepingInputs(), ExpectedFile(1).Entry(root / "large.sqlite").Lines({row, ""}).End());
  EXPECT_EQ(user.messages, Lines{kFinishedMessage});
}

struct ShadowedRowidCase {
  const char* label;
  const char* columns;  // the table's columns, one of them taking a name of the rowid
  const char* insert;   // its one row, at rowid 7
  Lines cells;          // the row line's cells after the table's name
  friend void PrintTo(const ShadowedRowidCase& c, std::ostream* os) { *os << c.label; }
};

class ShadowedRowid : public Unreadable, public ::testing::WithParamInterface<ShadowedRowidCase> {};

TEST_P(ShadowedRowid, TheRowidCellHoldsTheTrueRowid) {
  fixtures::MakeDatabase(root / "r.sqlite",
                         std::string("CREATE TABLE t(") + GetParam().columns + ");" + GetParam().insert);
  Options(false, true, false, false, false);
  std::string row = Cells({"r.sqlite", "t"});
  for (const std::string& cell : GetParam().cells) row += "\t" + cell;
  EXPECT_EQ(RunKeepingInputs(), ExpectedFile(1).Entry(root / "r.sqlite").Lines({row, ""}).End());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShadowedRowid,
    ::testing::Values(
        ShadowedRowidCase{"ColumnNamedRowid", "rowid TEXT, v", "INSERT INTO t(oid, rowid, v) VALUES (7, 'faux', 'a');",
                          {"7", "faux", "a"}},
        ShadowedRowidCase{"AnyCase", "\"RowId\" TEXT, v", "INSERT INTO t(oid, RowId, v) VALUES (7, 'faux', 'a');",
                          {"7", "faux", "a"}},
        ShadowedRowidCase{"RowidAndItsFirstAlias", "rowid, _rowid_, v",
                          "INSERT INTO t(oid, rowid, _rowid_, v) VALUES (7, 'x', 'y', 'a');", {"7", "x", "y", "a"}},
        ShadowedRowidCase{"AllThreeNames", "oid, rowid, _rowid_", "INSERT INTO t VALUES ('x', 'y', 'z');",
                          {"", "x", "y", "z"}},
        // A rowid under its own name is the rowid: nothing to read around.
        ShadowedRowidCase{"IntegerPrimaryKeyNamedRowid", "rowid INTEGER PRIMARY KEY, v",
                          "INSERT INTO t VALUES (7, 'a');", {"7", "7", "a"}}),
    [](const auto& info) { return std::string(info.param.label); });

// SQLite's own tables hold the user's data too (the last number of an AUTOINCREMENT, the
// statistics of ANALYZE); its schema is no table of the list.
TEST_F(Unreadable, SQLitesOwnTablesAreDumpedLikeAnyOther) {
  fixtures::MakeDatabase(root / "s.sqlite",
                         "CREATE TABLE c(id INTEGER PRIMARY KEY AUTOINCREMENT, v TEXT);"
                         "CREATE INDEX cv ON c(v); INSERT INTO c(v) VALUES ('a'), ('b'); ANALYZE;");
  Options(false, true, false, false, false);
  EXPECT_EQ(RunKeepingInputs(), ExpectedFile(1)
                                    .Entry(root / "s.sqlite")
                                    .Lines({Cells({"s.sqlite", "c", "1", "1", "a"}), Cells({"s.sqlite", "c", "2", "2", "b"}),
                                            "", Cells({"s.sqlite", "sqlite_sequence", "1", "c", "2"}), "",
                                            Cells({"s.sqlite", "sqlite_stat1", "1", "c", "cv", "2 1"}), ""})
                                    .End());
}

// ---- Paths -----------------------------------------------------------------------------------

class LongPath : public Unreadable, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(LongPath, ADatabaseDeepInTheTreeIsDumpedLikeAnyOther) {
  path folder = root;
  while (folder.string().size() + 240 < GetParam()) folder /= std::string(200, 'd');
  fs::create_directories(folder);
  const path file = folder / (std::string(GetParam() - folder.string().size() - 8, 'b') + ".sqlite");
  ASSERT_EQ(file.string().size(), GetParam());
  MakeTable(temp / "court.sqlite", "t", 2);  // SQLite itself makes no file at such a depth
  fs::rename(temp / "court.sqlite", file);
  Options(false, true, false, true, false);
  const Lines lines = RunKeepingInputs();
  const Lines rows = {RowOf(file.filename().string(), "t", 1), RowOf(file.filename().string(), "t", 2)};
  EXPECT_NE(std::search(lines.begin(), lines.end(), rows.begin(), rows.end()), lines.end());
  EXPECT_EQ(user.messages, Lines{kFinishedMessage});
}

INSTANTIATE_TEST_SUITE_P(Bytes, LongPath, ::testing::Values(600, 1500, 4000));

// ---- A -wal without its -shm ----------------------------------------------------------------

// A writer stopped and left its last rows in the -wal, with no -shm. Read where anybody may
// write, or where nobody may (files 444, folder 555, not root): every committed row is written
// and nothing is made beside the database.
class WalWithoutShm : public Unreadable, public ::testing::WithParamInterface<bool> {};

TEST_P(WalWithoutShm, EveryCommittedRowIsReadAndNothingIsMadeBesideIt) {
  const bool readOnly = GetParam();
  fs::create_directories(root / "bases");
  fixtures::MakeLeftOverWal(root / "bases" / "w.sqlite",
                            "CREATE TABLE t(v TEXT); INSERT INTO t VALUES ('un'), ('deux dans le wal');");
  if (readOnly) {
    for (const char* name : {"w.sqlite", "w.sqlite-wal"}) ::chmod((root / "bases" / name).c_str(), 0444);
    ::chmod((root / "bases").c_str(), 0555);
  }
  // The private copy is made in the temporary folder, and goes with the connection.
  fs::create_directories(temp / "tmp");
  Options(false, true, false, true, false);
  Lines lines;
  {
    fixtures::TemporaryFolderAt tmp(temp / "tmp");
    lines = RunKeepingInputs(readOnly);
  }
  EXPECT_EQ(AllPaths(temp / "tmp"), Lines{});
  const Lines rows = {Cells({"w.sqlite", "t", "1", "un"}), Cells({"w.sqlite", "t", "2", "deux dans le wal"})};
  EXPECT_NE(std::search(lines.begin(), lines.end(), rows.begin(), rows.end()), lines.end());
  EXPECT_EQ(user.messages, Lines{kFinishedMessage});
}

INSTANTIATE_TEST_SUITE_P(Folder, WalWithoutShm, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "NobodyMayWrite" : "Writable"; });

// A -wal beside a database whose header says it keeps no -wal: SQLite reads it all the same,
// and would make a -shm beside it; the private copy serves. A -wal that is a link to a device
// is no journal to copy.
TEST_F(Unreadable, AWalBesideAnyDatabaseIsReadWithoutAFileMadeBesideIt) {
  fixtures::MakeLeftOverWal(root / "a.sqlite",
                            "CREATE TABLE t(v TEXT); PRAGMA wal_checkpoint; INSERT INTO t VALUES ('dans le wal');");
  std::string header = fixtures::ReadFile(root / "a.sqlite");
  header[18] = header[19] = 1;  // "no -wal"
  fixtures::WriteFile(root / "a.sqlite", header);
  MakeTable(root / "b.sqlite", "t", 1);
  fs::create_symlink("/dev/zero", root / "b.sqlite-wal");
  Options(false, true, false, false, false);
  EXPECT_EQ(RunKeepingInputs(), ExpectedFile(4)
                                    .Entry(root / "a.sqlite")
                                    .Lines({Cells({"a.sqlite", "t", "1", "dans le wal"}), ""})
                                    .NotADatabase(root / "a.sqlite-wal")
                                    .Entry(root / "b.sqlite")
                                    .Line(UnreadableLine("b.sqlite", "son journal -wal n'est pas un fichier ordinaire"))
                                    .NotADatabase(root / "b.sqlite-wal")
                                    .End());
}

// ---- Permissions -----------------------------------------------------------------------------

// As a user who is not root: a file or a folder that may not be read says so, whatever it is.
TEST_F(Unreadable, WhatMayNotBeReadIsSaidSoWithTheReason) {
  MakeTable(root / "a_secrete.sqlite", "t", 1);
  fixtures::WriteFile(root / "b_notes.txt", "texte\n");
  fs::create_directories(root / "c_ferme");
  MakeTable(root / "c_ferme" / "dedans.sqlite", "t", 1);
  MakeTable(root / "d.sqlite", "t", 1);
  for (const char* name : {"a_secrete.sqlite", "b_notes.txt", "c_ferme"}) ::chmod((root / name).c_str(), 0);
  Options(false, true, false, true, false);
  EXPECT_EQ(RunKeepingInputs(true), ExpectedFile(4)
                                    .Entry(root / "a_secrete.sqlite")
                                    .Line(UnreadableLine("a_secrete.sqlite", "permission refusée"))
                                    .Entry(root / "b_notes.txt")
                                    .Line(UnreadableLine("b_notes.txt", "permission refusée"))
                                    .NotADatabase(root / "c_ferme")
                                    .Line(UnreadableLine("c_ferme", "contenu du dossier", "permission refusée"))
                                    .Entry(root / "d.sqlite")
                                    .Lines({RowOf("d.sqlite", "t", 1), ""})
                                    .End());
  EXPECT_EQ(user.messages, Lines{FinishedWith(3)});
}

TEST_F(Unreadable, ARootFolderThatMayNotBeListedSaysSo) {
  MakeTable(root / "a.sqlite", "t", 1);
  ::chmod(root.c_str(), 0311);  // may be entered, not listed
  Options(false, false, false, false, false);
  EXPECT_EQ(RunKeepingInputs(true), ExpectedFile(0)
                                    .Line(UnreadableLine("racine", "contenu du dossier", "permission refusée"))
                                    .End());
  EXPECT_EQ(user.messages, Lines{FinishedWith(1)});
}

// ---- The result file ---------------------------------------------------------------------------

// A result file that would replace a database, or one of its -wal, -shm and -journal, is
// refused before anything is written, wherever it stands.
class ResultFileIsADatabase : public Unreadable, public ::testing::WithParamInterface<const char*> {};

TEST_P(ResultFileIsADatabase, IsRefusedBeforeAnythingIsWritten) {
  fs::create_directories(root / "sous");
  fixtures::MakeDatabase(root / "sous" / "base.sqlite", "CREATE TABLE t(v); INSERT INTO t VALUES ('gardée');");
  fixtures::MakeDatabase(temp / "out" / "autre.sqlite", "CREATE TABLE t(v); INSERT INTO t VALUES ('gardée');");
  const path target = temp / GetParam();
  const auto outside = fixtures::Snapshot(temp / "out");
  Options(false, false, false, true, true);
  RunKeepingInputs(target);
  EXPECT_EQ(user.messages, Lines{"Désolé, le fichier texte ne peut pas remplacer \"" + target.string() +
                                 "\" : c'est une base SQLite ou l'un de ses fichiers, ou bien il ne peut pas être lu "
                                 "pour le vérifier. Choisissez un autre fichier."});
  EXPECT_TRUE(window->BtnDemarrer()->Enabled());
  EXPECT_EQ(window->Height(), 246);
  EXPECT_EQ(Changes(outside, fixtures::Snapshot(temp / "out")), Lines{});
  EXPECT_EQ(AllPaths(temp / "out"), Lines{"autre.sqlite"});
}

INSTANTIATE_TEST_SUITE_P(Cases, ResultFileIsADatabase,
                         ::testing::Values("racine/sous/base.sqlite", "out/autre.sqlite", "racine/sous/base.sqlite-journal",
                                           "racine/sous/base.sqlite-wal"));

// The result file and its copy folder in a walked sub-folder are the run's output: they are
// not walked, and every row appears once.
TEST_F(Unreadable, TheRunWalksNeitherItsResultFileNorItsCopyFolder) {
  fs::create_directories(root / "sous");
  MakeTable(root / "a.sqlite", "t", 1);
  MakeTable(root / "sous" / "b.sqlite", "t", 1);
  const path inside = root / "sous" / "resultat.txt";
  Options(false, true, false, true, true);
  Run(root, inside);
  EXPECT_EQ(ResultLines(inside), ExpectedFile(2)
                                     .Entry(root / "a.sqlite")
                                     .Lines({RowOf("a.sqlite", "t", 1), ""})
                                     .NotADatabase(root / "sous")
                                     .Entry(root / "sous" / "b.sqlite")
                                     .Lines({RowOf("b.sqlite", "t", 1), ""})
                                     .End());
  EXPECT_EQ(AllPaths(root / "sous" / "resultat.txt_2026-12-10_072737"), (Lines{"a.sqlite", "b.sqlite"}));
  EXPECT_EQ(user.messages, Lines{kFinishedMessage});
}

// A file that cannot be read cannot be known to be no database; a link leads to the file it
// would replace.
TEST_F(Unreadable, AResultFileThatMayBeADatabaseIsRefused) {
  fixtures::MakeDatabase(temp / "out" / "base.sqlite",
                         "PRAGMA journal_mode = WAL; CREATE TABLE t(v); INSERT INTO t VALUES ('gardée');");
  fixtures::WriteFile(temp / "out" / "base.sqlite-wal", "");
  fs::create_symlink(temp / "out" / "base.sqlite-wal", temp / "out" / "lien.txt");
  fixtures::MakeDatabase(temp / "out" / "cachee.sqlite", "CREATE TABLE t(v); INSERT INTO t VALUES ('gardée');");
  ::chmod((temp / "out" / "cachee.sqlite").c_str(), 0200);
  const auto before = fixtures::Snapshot(temp / "out");
  for (const char* name : {"lien.txt", "cachee.sqlite"}) {
    user.messages.clear();
    RunKeepingInputs(temp / "out" / name, true);
    ASSERT_EQ(user.messages.size(), 1u) << name;
    EXPECT_NE(user.messages[0].find("ne peut pas remplacer"), std::string::npos) << name;
  }
  EXPECT_EQ(Changes(before, fixtures::Snapshot(temp / "out")), Lines{});
}

// ---- Copies ----------------------------------------------------------------------------------

// Another program has the database open in WAL mode, its last rows still in the -wal: the
// copy holds them, as the result file does.
TEST_F(Unreadable, ACopyHoldsTheRowsStillInTheWal) {
  sqlite3* writer =
      fixtures::OpenWalWriter(root / "vive.sqlite", "CREATE TABLE t(v TEXT); INSERT INTO t VALUES ('un'), ('deux');");
  Options(false, true, false, false, true);
  Run(root, result);
  sqlite3_close(writer);
  EXPECT_EQ(fixtures::DatabaseContent(copies / "vive.sqlite"),
            (Lines{"table|t|t|CREATE TABLE t(v TEXT)", "t: 1|un", "t: 2|deux", "integrity: ok"}));
  EXPECT_EQ(AllPaths(copies), Lines{"vive.sqlite"});
}

// Copies that cannot be made say so where the database's rows end, and leave no part of
// themselves: a copy folder nobody may write, and one that cannot hold a large copy.
TEST_F(Unreadable, ACopyThatFailsSaysWhyAndLeavesNothing) {
  MakeTable(root / "petite.sqlite", "t", 1);
  // A megabyte of free pages, and one small row: a large copy, and a small result file.
  fixtures::MakeDatabase(root / "grande.sqlite",
                         "CREATE TABLE d(v); INSERT INTO d VALUES (randomblob(1000000)); DROP TABLE d;"
                         "CREATE TABLE t(v); INSERT INTO t VALUES ('petit');");
  Options(false, true, false, false, true);

  // The copy folder is there already, and nobody may write it.
  fs::create_directories(copies);
  ::chmod(copies.c_str(), 0555);
  {
    fixtures::Unprivileged nobody(temp.path());
    Run(root, result);
  }
  Lines lines = ResultLines(result);
  EXPECT_NE(std::find(lines.begin(), lines.end(), Cells({"petite.sqlite", "copie impossible : permission refusée"})),
            lines.end());
  EXPECT_EQ(user.messages, Lines{FinishedWith(2)});
  EXPECT_EQ(AllPaths(copies), Lines{});

  // Files may be no larger than 64 KiB: the large copy fails half-way.
  ::chmod(copies.c_str(), 0755);
  user.messages.clear();
  const auto ignored = ::signal(SIGXFSZ, SIG_IGN);
  rlimit old;
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 64 * 1024;
  ::setrlimit(RLIMIT_FSIZE, &small);
  Run(root, result);
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, ignored);
  lines = ResultLines(result);
  EXPECT_NE(std::find(lines.begin(), lines.end(), Cells({"grande.sqlite", "copie impossible : fichier trop grand"})),
            lines.end());
  EXPECT_EQ(user.messages, Lines{FinishedWith(1)});
  EXPECT_EQ(AllPaths(copies), Lines{"petite.sqlite"});
}

// The copy folder itself cannot be made (its folder may not be written, though the result file
// there may): every database says why it has no copy.
TEST_F(Unreadable, ACopyFolderThatCannotBeMadeIsTheReasonOfEveryCopy) {
  MakeTable(root / "a.sqlite", "t", 1);
  fixtures::WriteFile(result, "");
  ::chmod(result.parent_path().c_str(), 0555);
  Options(false, true, false, false, true);
  const Lines lines = RunKeepingInputs(true);
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      Cells({"a.sqlite", "copie impossible : le dossier de copie n'a pas pu être créé, permission refusée"})),
            lines.end());
  EXPECT_EQ(user.messages, Lines{FinishedWith(1)});
  EXPECT_FALSE(fs::exists(copies));
}

}  // namespace
