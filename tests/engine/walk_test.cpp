// The folder walk: which lines each kind of entry and table gives under each option, the
// recursion, the reach of a stop, and the progress labels.
#include "tests/support/run_fixture.h"

using fixtures::fs::path;
using Lines = std::vector<std::string>;
namespace fs = fixtures::fs;

namespace {

class Walk : public RunFixture {
 protected:
  Lines RunAndRead() {
    Run(root, result);
    return ResultLines(result);
  }

};

// ---- Empty tables and failed selects under the two options that shape a table ----------

// mix.sqlite: an empty table, a virtual table whose module is unknown (its select fails: it
// cannot be read), then a table of one row.
void MakeMixedDatabase(const path& file) {
  fixtures::MakeDatabase(file,
                         "CREATE TABLE vide(a TEXT, b TEXT);"
                         "PRAGMA writable_schema = ON;"
                         "INSERT INTO sqlite_schema(type, name, tbl_name, rootpage, sql) VALUES"
                         " ('table', 'fantome', 'fantome', 0, 'CREATE VIRTUAL TABLE fantome USING inconnu(x)');"
                         "PRAGMA writable_schema = OFF;"
                         "CREATE TABLE plein(v TEXT);"
                         "INSERT INTO plein VALUES ('un');");
}

struct TableOptionsCase {
  const char* label;
  bool tablesVides, nomsRubriques;
  Lines body;  // what follows the database's entry block
  friend void PrintTo(const TableOptionsCase& c, std::ostream* os) { *os << c.label; }
};

class TableOptions : public Walk, public ::testing::WithParamInterface<TableOptionsCase> {};

TEST_P(TableOptions, EmptyTableAndFailedSelect) {
  MakeMixedDatabase(root / "mix.sqlite");
  Options(GetParam().tablesVides, GetParam().nomsRubriques, false, false, false);
  ExpectedFile expected(1);
  expected.Entry(root / "mix.sqlite");
  for (const std::string& line : GetParam().body) expected.Line(line);
  EXPECT_EQ(RunAndRead(), expected.End());
  EXPECT_EQ(window->NbRecords()->Text(), "1");  // the empty table counts no row
}

const std::string kPleinColumns = Cells({"mix.sqlite", "plein (1)", "Rowid", "v"});
const std::string kPleinRow = Cells({"mix.sqlite", "plein", "1", "un"});
const std::string kVideColumns = Cells({"mix.sqlite", "vide (0)", "Rowid", "a", "b"});
const std::string kFantome = Cells(
    {"mix.sqlite", "lecture impossible (table fantome) : module de table virtuelle inconnu de ce programme : inconnu"});

INSTANTIATE_TEST_SUITE_P(
    Cases, TableOptions,
    ::testing::Values(
        // The empty table leaves nothing; the failed select says so, then ends its table.
        TableOptionsCase{"Default", false, false, {kFantome, "", kPleinColumns, kPleinRow, ""}},
        TableOptionsCase{"TablesVides", true, false, {kVideColumns, "", kFantome, "", kPleinColumns, kPleinRow, ""}},
        TableOptionsCase{"NomsRubriques", false, true, {kFantome, "", kPleinRow, ""}},
        TableOptionsCase{"TablesVidesAndNomsRubriques", true, true, {"", kFantome, "", kPleinRow, ""}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(Walk, DatabaseWithoutTablesGivesItsBlockOnly) {
  fixtures::MakeDatabase(root / "rien.sqlite", "PRAGMA user_version = 7;");
  Options(true, false, false, false, false);
  EXPECT_EQ(RunAndRead(), ExpectedFile(1).Entry(root / "rien.sqlite").End());
}

// ---- Table names and rows -----------------------------------------------------------------

TEST_F(Walk, TableNamesThatNeedQuotingAreDumpedInFull) {
  const std::vector<std::string> names = {"order", "select", "mes contacts", "dit \"oui\"", "a.b", "l'autre"};
  std::string sql;
  for (const std::string& name : names) {
    std::string quoted = "\"";
    for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    quoted += "\"";
    sql += "CREATE TABLE " + quoted + "(v TEXT); INSERT INTO " + quoted + " VALUES ('x'), ('y');";
  }
  fixtures::MakeDatabase(root / "noms.sqlite", sql);
  Options(false, false, false, false, false);

  ExpectedFile expected(1);
  expected.Entry(root / "noms.sqlite");
  for (const std::string& name : names)
    expected.Lines({Cells({"noms.sqlite", name + " (2)", "Rowid", "v"}), Cells({"noms.sqlite", name, "1", "x"}),
                    Cells({"noms.sqlite", name, "2", "y"}), ""});
  EXPECT_EQ(RunAndRead(), expected.End());
}

TEST_F(Walk, WithoutRowidTableHasAnEmptyRowidCell) {
  fixtures::MakeDatabase(root / "cles.sqlite",
                         "CREATE TABLE cles(k TEXT PRIMARY KEY, v TEXT) WITHOUT ROWID;"
                         "INSERT INTO cles VALUES ('b', 'deux'), ('a', 'un');");
  Options(false, false, false, false, false);
  EXPECT_EQ(RunAndRead(), ExpectedFile(1)
                              .Entry(root / "cles.sqlite")
                              .Lines({Cells({"cles.sqlite", "cles (2)", "Rowid", "k", "v"}),
                                      Cells({"cles.sqlite", "cles", "", "a", "un"}),
                                      Cells({"cles.sqlite", "cles", "", "b", "deux"}), ""})
                              .End());
}

TEST_F(Walk, ValuesAreReadAsTextAndCleaned) {
  fixtures::MakeDatabase(root / "valeurs.sqlite",
                         "CREATE TABLE t(a, b, c, d, e, f, g);"
                         "INSERT INTO t VALUES (NULL, 42, 1.0, 3.5, x'41420A43', 'été', '');"
                         "INSERT INTO t VALUES ('a' || char(13, 10) || 'b', 'x' || char(9) || 'y',"
                         " char(13) || 'c', 'l1' || char(10) || 'l2' || char(10), -7, 1e100, ' pad ');"
                         // What would make the file no text: NULs, BLOBs that are no text, texts
                         // that are no UTF-8.
                         "INSERT INTO t VALUES (x'410042', x'C309FF0D0A', CAST(x'61006200' AS TEXT),"
                         " CAST(x'C328FF' AS TEXT), x'E282AC', CAST(x'F0908D' AS TEXT), CAST(x'EDA080' AS TEXT));");
  Options(false, true, false, false, false);
  const std::string kBad = "\xEF\xBF\xBD";  // U+FFFD
  EXPECT_EQ(RunAndRead(),
            ExpectedFile(1)
                .Entry(root / "valeurs.sqlite")
                .Lines({Cells({"valeurs.sqlite", "t", "1", "", "42", "1.0", "3.5", "AB C", "été", ""}),
                        Cells({"valeurs.sqlite", "t", "2", "a  b", "x y", " c", "l1 l2 ", "-7", "1.0e+100", " pad "}),
                        Cells({"valeurs.sqlite", "t", "3", "X'410042'", "X'C309FF0D0A'", "a b ", kBad + "(" + kBad, "€",
                               kBad + kBad + kBad, kBad + kBad + kBad}),
                        ""})
                .End());
  // So the whole file is text for text tools: valid UTF-8, and no NUL.
  const std::string bytes = fixtures::ReadFile(result);
  EXPECT_EQ(platform::ValidUtf8Prefix(bytes), bytes.size());
  EXPECT_EQ(bytes.find('\0'), std::string::npos);
}

TEST_F(Walk, EntriesComeInByteOrderHiddenOnesIncluded) {
  for (const char* name : {"b.sqlite", "B.sqlite", ".cache.sqlite", "é.sqlite", "a.sqlite"})
    MakeTable(root / name, "t", 1);
  Options(false, true, false, false, false);
  ExpectedFile expected(5);
  for (const char* name : {".cache.sqlite", "B.sqlite", "a.sqlite", "b.sqlite", "é.sqlite"})
    expected.Entry(root / name).Lines({RowOf(name, "t", 1), ""});
  EXPECT_EQ(RunAndRead(), expected.End());
}

// ---- Recursion ----------------------------------------------------------------------------

// racine: a.sqlite, sous/ (b.sqlite, plus/ (c.sqlite)), z.txt
class Recursion : public Walk {
 protected:
  void SetUp() override {
    Walk::SetUp();
    MakeTable(root / "a.sqlite", "t", 1);
    fs::create_directories(root / "sous" / "plus");
    MakeTable(root / "sous" / "b.sqlite", "t", 2);
    MakeTable(root / "sous" / "plus" / "c.sqlite", "t", 1);
    fixtures::WriteFile(root / "z.txt", "texte\n");
  }
};

TEST_F(Recursion, OffGivesTheSubFolderItsBlockOnly) {
  Options(false, true, false, false, false);
  EXPECT_EQ(RunAndRead(), ExpectedFile(3)
                              .Entry(root / "a.sqlite")
                              .Lines({RowOf("a.sqlite", "t", 1), ""})
                              .NotADatabase(root / "sous")
                              .NotADatabase(root / "z.txt")
                              .End());
  EXPECT_EQ(window->NbRecords()->Text(), "1");
}

TEST_F(Recursion, OnWalksTwoLevelsDeep) {
  Options(false, true, false, true, false);
  const path sous = root / "sous";
  EXPECT_EQ(RunAndRead(), ExpectedFile(3)
                              .Entry(root / "a.sqlite")
                              .Lines({RowOf("a.sqlite", "t", 1), ""})
                              .NotADatabase(sous)
                              .Entry(sous / "b.sqlite")
                              .Lines({RowOf("b.sqlite", "t", 1), RowOf("b.sqlite", "t", 2), ""})
                              .NotADatabase(sous / "plus")
                              .Entry(sous / "plus" / "c.sqlite")
                              .Lines({RowOf("c.sqlite", "t", 1), ""})
                              .NotADatabase(root / "z.txt")
                              .End());
  EXPECT_EQ(window->NbRecords()->Text(), "4");
  EXPECT_EQ(user.stopKeyCalls, 4);  // one poll per row line
}

TEST_F(Recursion, OptionsChangedDuringTheRunApplyFromTheirNextRead) {
  MakeTable(root / "b.sqlite", "vide", 0);
  Options(false, true, false, false, false);
  user.onStopKeyPoll = [this](int) {  // inside a.sqlite, before anything else is met
    window->TablesVides()->SetValue(true);
    window->Recursif()->SetValue(true);
  };
  const path sous = root / "sous";
  EXPECT_EQ(RunAndRead(), ExpectedFile(4)
                              .Entry(root / "a.sqlite")
                              .Lines({RowOf("a.sqlite", "t", 1), ""})
                              .Entry(root / "b.sqlite")
                              .Line("")
                              .NotADatabase(sous)
                              .Entry(sous / "b.sqlite")
                              .Lines({RowOf("b.sqlite", "t", 1), RowOf("b.sqlite", "t", 2), ""})
                              .NotADatabase(sous / "plus")
                              .Entry(sous / "plus" / "c.sqlite")
                              .Lines({RowOf("c.sqlite", "t", 1), ""})
                              .NotADatabase(root / "z.txt")
                              .End());
}

// ---- Reach of a stop ----------------------------------------------------------------------

TEST_F(Walk, StopInTheRootFolderEndsTheWalkAfterThatRowLine) {
  fixtures::MakeDatabase(root / "a.sqlite",
                         "CREATE TABLE t(v TEXT); INSERT INTO t VALUES ('r1'), ('r2'), ('r3');"
                         "CREATE TABLE u(v TEXT); INSERT INTO u VALUES ('r1');");
  MakeTable(root / "b.sqlite", "t", 1);
  Options(false, false, false, false, true);
  user.stopAtCall = 2;
  EXPECT_EQ(RunAndRead(), ExpectedFile(2)
                              .Entry(root / "a.sqlite")
                              .Lines({ColumnsOf("a.sqlite", "t", 3), RowOf("a.sqlite", "t", 1), RowOf("a.sqlite", "t", 2)})
                              .End(true));
  EXPECT_EQ(App::ArretTraitement, 0);
  EXPECT_EQ(user.stopKeyCalls, 2);
  EXPECT_EQ(user.messages, Lines{kFinishedMessage});
  // The stopped database is not copied; the copy folder itself was made before the walk.
  const path copies = temp / "out" / "resultat.txt_2026-12-10_072737";
  ASSERT_TRUE(fs::is_directory(copies));
  EXPECT_TRUE(fs::is_empty(copies));
}

// racine: a/ (a1/ (deep.sqlite), a2.sqlite), b_vide.sqlite, c.txt, d.sqlite, e.sqlite.
// A stop at the first row reaches each enclosing level at its own next row line; what a level
// meets before that line is handled in full, copies included.
TEST_F(Walk, StopInASubFolderReachesEachEnclosingFolderAtItsNextRowLine) {
  const path a = root / "a";
  fs::create_directories(a / "a1");
  MakeTable(a / "a1" / "deep.sqlite", "t", 2);
  MakeTable(a / "a2.sqlite", "t", 2);
  MakeTable(root / "b_vide.sqlite", "t", 0);
  fixtures::WriteFile(root / "c.txt", "texte\n");
  MakeTable(root / "d.sqlite", "t", 2);
  MakeTable(root / "e.sqlite", "t", 1);
  Options(false, false, false, true, true);
  user.stopAtCall = 1;

  EXPECT_EQ(RunAndRead(), ExpectedFile(5)
                              .NotADatabase(a)
                              .NotADatabase(a / "a1")
                              .Entry(a / "a1" / "deep.sqlite")
                              .Lines({ColumnsOf("deep.sqlite", "t", 2), RowOf("deep.sqlite", "t", 1)})
                              .Entry(a / "a2.sqlite")
                              .Lines({ColumnsOf("a2.sqlite", "t", 2), RowOf("a2.sqlite", "t", 1)})
                              .Entry(root / "b_vide.sqlite")
                              .NotADatabase(root / "c.txt")
                              .Entry(root / "d.sqlite")
                              .Lines({ColumnsOf("d.sqlite", "t", 2), RowOf("d.sqlite", "t", 1)})
                              .End(true));
  EXPECT_EQ(App::ArretTraitement, 0);
  EXPECT_EQ(window->NbRecords()->Text(), "3");
  const path copies = temp / "out" / "resultat.txt_2026-12-10_072737";
  EXPECT_EQ(AllPaths(copies), Lines{"b_vide.sqlite"});
}

TEST_F(Walk, StopAtTheLastRowStillEndsBeforeTheTableEndLine) {
  MakeTable(root / "a.sqlite", "t", 2);
  Options(false, true, false, false, false);
  user.stopAtCall = 2;
  EXPECT_EQ(RunAndRead(), ExpectedFile(1)
                              .Entry(root / "a.sqlite")
                              .Lines({RowOf("a.sqlite", "t", 1), RowOf("a.sqlite", "t", 2)})
                              .End(true));
}

// ---- Progress labels ----------------------------------------------------------------------

TEST_F(Walk, NbRecordsCountsRowLinesAcrossTablesAndFolders) {
  fixtures::MakeDatabase(root / "a.sqlite",
                         "CREATE TABLE t(v); INSERT INTO t VALUES (1), (2), (3);"
                         "CREATE TABLE vide(v);"
                         "CREATE TABLE u(v); INSERT INTO u VALUES (1), (2);");
  fs::create_directories(root / "sous");
  MakeTable(root / "sous" / "b.sqlite", "t", 4);
  Options(true, false, false, true, false);
  window->NbRecords()->SetText("9999");  // what an earlier run left
  std::vector<std::string> seen;
  user.onStopKeyPoll = [&](int) { seen.push_back(window->NbRecords()->Text()); };
  Run(root, result);
  // At each poll the row being written is not counted yet.
  EXPECT_EQ(seen, (Lines{"0", "1", "2", "3", "4", "5", "6", "7", "8"}));
  EXPECT_EQ(window->NbRecords()->Text(), "9");

  // The next run starts again from "0", even with nothing to count.
  fs::create_directories(temp / "seul");
  Run(temp / "seul", result);
  EXPECT_EQ(window->NbRecords()->Text(), "0");
}

struct RepaintCase {
  const char* label;
  bool afficheInfo;
  std::vector<int> tableRows;
  int repaints;
  friend void PrintTo(const RepaintCase& c, std::ostream* os) { *os << c.label; }
};

class NbRecordsRepaint : public Walk, public ::testing::WithParamInterface<RepaintCase> {};

TEST_P(NbRecordsRepaint, EveryFiftiethRowOfATable) {
  std::string sql;
  for (std::size_t t = 0; t < GetParam().tableRows.size(); ++t) {
    const std::string name = "t" + std::to_string(t);
    sql += "CREATE TABLE " + name + "(v); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
           std::to_string(GetParam().tableRows[t]) + ") INSERT INTO " + name + " SELECT i FROM n;";
  }
  fixtures::MakeDatabase(root / "lignes.sqlite", sql);
  Options(false, false, GetParam().afficheInfo, false, false);
  const int before = window->NbRecords()->RefreshCount();
  Run(root, result);
  EXPECT_EQ(window->NbRecords()->RefreshCount() - before, GetParam().repaints);
}

INSTANTIATE_TEST_SUITE_P(Cases, NbRecordsRepaint,
                         ::testing::Values(RepaintCase{"Rows49", true, {49}, 0},
                                           RepaintCase{"Rows50", true, {50}, 1},
                                           RepaintCase{"Rows120", true, {120}, 2},
                                           RepaintCase{"TwoTablesOf30", true, {30, 30}, 0},
                                           RepaintCase{"Rows120WithoutAfficheInfo", false, {120}, 0}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(Walk, AfficheInfoShowsEntriesLeftDatabaseAndTable) {
  MakeTable(root / "a.sqlite", "ta", 1);
  MakeTable(root / "b.sqlite", "tb", 1);
  fixtures::WriteFile(root / "c.txt", "texte\n");
  MakeTable(root / "d.sqlite", "td", 1);
  Options(false, false, true, false, false);
  Lines seen;
  user.onStopKeyPoll = [&](int) {
    seen.push_back(window->NbBases()->Text() + "|" + window->NomBase()->Text() + "|" + window->NomTable()->Text());
  };
  Run(root, result);
  EXPECT_EQ(seen, (Lines{"3|a.sqlite|ta", "2|b.sqlite|tb", "0|d.sqlite|td"}));
  EXPECT_EQ(window->NbBases()->Text(), "0");
  // Each label is repainted as it changes: four entries, three databases, three tables.
  EXPECT_EQ(window->NbBases()->RefreshCount(), 4);
  EXPECT_EQ(window->NomBase()->RefreshCount(), 3);
  EXPECT_EQ(window->NomTable()->RefreshCount(), 3);
}

TEST_F(Walk, WithoutAfficheInfoTheDetailLabelsAreLeftAlone) {
  MakeTable(root / "a.sqlite", "ta", 1);
  Options(false, false, false, false, false);
  window->NbBases()->SetText("avant");
  Run(root, result);
  EXPECT_EQ(window->NbBases()->Text(), "avant");
  EXPECT_EQ(window->NomBase()->Text(), "");
  EXPECT_EQ(window->NomTable()->Text(), "");
  EXPECT_EQ(window->NbBases()->RefreshCount() + window->NomBase()->RefreshCount() +
                window->NomTable()->RefreshCount(),
            0);
}

// ---- An entry gone before its turn --------------------------------------------------------

TEST_F(Walk, EntryThatVanishedIsNotADatabaseAfterAMessage) {
  MakeTable(root / "a.sqlite", "t", 1);
  fixtures::WriteFile(root / "b.txt", "texte\n");
  Options(false, true, false, false, false);
  user.onStopKeyPoll = [this](int) { fs::remove(root / "b.txt"); };
  EXPECT_EQ(RunAndRead(), ExpectedFile(2)
                              .Entry(root / "a.sqlite")
                              .Lines({RowOf("a.sqlite", "t", 1), ""})
                              .NotADatabase(root / "b.txt")
                              .End());
  EXPECT_EQ(user.messages, (Lines{"databasefile=nil", kFinishedMessage}));
}

}  // namespace
