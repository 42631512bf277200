// Databases as newer programs write them, and databases cut short: every row that SQLite can
// read is written, every cell a true value, and what it cannot read is said where it stands,
// with the true reason. The inputs are left as they were, byte for byte.
#include <sqlite3.h>

#include <cstdio>

#include "tests/support/run_fixture.h"

using fixtures::fs::path;
using Lines = std::vector<std::string>;

namespace {

class Schema : public RunFixture {};

// While it lives, every connection that opens knows "monfmt", a function of the program that
// writes the file: the fixture's, not the run's, which starts after.
class ProgramsOwnFunction {
 public:
  ProgramsOwnFunction() { sqlite3_auto_extension(reinterpret_cast<void (*)()>(&Register)); }
  ~ProgramsOwnFunction() { sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&Register)); }
  ProgramsOwnFunction(const ProgramsOwnFunction&) = delete;
  ProgramsOwnFunction& operator=(const ProgramsOwnFunction&) = delete;

 private:
  static int Register(sqlite3* db, const char**, const sqlite3_api_routines*) {
    const auto monfmt = [](sqlite3_context* context, int, sqlite3_value** values) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(values[0]));
      sqlite3_result_text(context, ("<" + std::string(text ? text : "") + ">").c_str(), -1, SQLITE_TRANSIENT);
    };
    return sqlite3_create_function_v2(db, "monfmt", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, monfmt, nullptr,
                                      nullptr, nullptr);
  }
};

// The SQL that gives an entry of the schema the definition that a newer SQLite wrote, which
// this one cannot write itself.
std::string AsANewerSQLiteWroteIt(const std::string& name, const std::string& definition) {
  std::string quoted;
  for (char c : definition) quoted += c == '\'' ? std::string("''") : std::string(1, c);
  return "PRAGMA writable_schema = ON; UPDATE sqlite_schema SET sql = '" + quoted + "' WHERE name = '" + name +
         "'; PRAGMA writable_schema = OFF;";
}

std::string UnreadableLine(const std::string& what, const std::string& reason) {
  return Cells({"s.sqlite", "lecture impossible (" + what + ") : " + reason});
}

// ---- Schemas that this SQLite does not fully understand --------------------------------------

struct SchemaCase {
  const char* label;
  std::string sql;  // what the program that wrote the file ran
  Lines body;       // the lines after the database's entry block
  int troubled;     // 1 when the body says that something could not be read
  friend void PrintTo(const SchemaCase& c, std::ostream* os) { *os << c.label; }
};

class SchemaParts : public Schema, public ::testing::WithParamInterface<SchemaCase> {};

TEST_P(SchemaParts, EveryReadableColumnOfEveryTableIsWrittenAndTheRestIsSaid) {
  {
    ProgramsOwnFunction monfmt;
    fixtures::MakeDatabase(root / "s.sqlite", GetParam().sql);
  }
  Options(false, false, false, false, false);
  ExpectedFile expected(1);
  expected.Entry(root / "s.sqlite");
  for (const std::string& line : GetParam().body) expected.Line(line);
  EXPECT_EQ(RunKeepingInputs(), expected.End());
  EXPECT_EQ(user.messages, Lines{export_run::FinishedMessage(GetParam().troubled)});
}

const std::string kTable = "CREATE TABLE t(a TEXT, b INTEGER); INSERT INTO t VALUES ('{\"x\":1}', 10), ('{\"x\":2}', 20);";
const Lines kTableLines = {Cells({"s.sqlite", "t (2)", "Rowid", "a", "b"}),
                           Cells({"s.sqlite", "t", "1", "{\"x\":1}", "10"}),
                           Cells({"s.sqlite", "t", "2", "{\"x\":2}", "20"}), ""};
Lines TableLinesThen(const Lines& more) {
  Lines lines = kTableLines;
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SchemaParts,
    ::testing::Values(
        // JSON functions in an index, a partial index and a view, as programs commonly use them.
        SchemaCase{"JsonFunctionsInIndexesAndAView",
                   kTable + "CREATE INDEX tx ON t(json_extract(a, '$.x')); CREATE INDEX tb ON t(b) WHERE json_valid(a);"
                            "CREATE VIEW v AS SELECT a ->> '$.x' FROM t;",
                   kTableLines, 0},
        // Generated columns computed by JSON functions are written with their true values.
        SchemaCase{"JsonFunctionsInGeneratedColumns",
                   "CREATE TABLE t(a TEXT, x AS (a ->> '$.x'), y AS (json_extract(a, '$.x') * 10) STORED, b INTEGER);"
                   "INSERT INTO t(a, b) VALUES ('{\"x\":1}', 10), ('{\"x\":2}', 20);",
                   {Cells({"s.sqlite", "t (2)", "Rowid", "a", "x", "y", "b"}),
                    Cells({"s.sqlite", "t", "1", "{\"x\":1}", "1", "10", "10"}),
                    Cells({"s.sqlite", "t", "2", "{\"x\":2}", "2", "20", "20"}), ""},
                   0},
        // A view and a trigger in a newer syntax: the tables are read without them, and the
        // view, which could not be read, is said.
        SchemaCase{"NewerSyntaxInAViewAndATrigger",
                   kTable + "CREATE VIEW v AS SELECT group_concat(b) FROM t;"
                            "CREATE TRIGGER tr AFTER INSERT ON t BEGIN SELECT 1; END;" +
                       AsANewerSQLiteWroteIt("v", "CREATE VIEW v AS SELECT group_concat(b ORDER BY b DESC) FROM t") +
                       AsANewerSQLiteWroteIt("tr", "CREATE TRIGGER tr AFTER INSERT ON t BEGIN "
                                                   "SELECT group_concat(b ORDER BY b) FROM t; END"),
                   TableLinesThen({UnreadableLine("vue v", "cette version de SQLite ne comprend pas la définition de v")}),
                   1},
        // A table in a newer syntax cannot be read at all; the others are.
        SchemaCase{"NewerSyntaxInATable",
                   kTable + "CREATE TABLE n(a INTEGER DEFAULT 1000, b TEXT); INSERT INTO n VALUES (1, 'x');" +
                       AsANewerSQLiteWroteIt("n", "CREATE TABLE n(a INTEGER DEFAULT 1_000, b TEXT)"),
                   TableLinesThen(
                       {UnreadableLine("table n", "cette version de SQLite ne comprend pas la définition de n"), ""}),
                   1},
        // A column computed as it is read by the program's own function cannot be read: it is
        // left out of the table's lines and said; a stored one holds its value and is written.
        SchemaCase{"FunctionOfTheProgramInGeneratedColumns",
                   "CREATE TABLE t(a TEXT, f AS (monfmt(a)), s AS (monfmt(b)) STORED, b INTEGER);"
                   "INSERT INTO t(a, b) VALUES ('{\"x\":1}', 10), ('{\"x\":2}', 20);",
                   {UnreadableLine("colonne t.f", "fonction inconnue de ce programme : monfmt()"),
                    Cells({"s.sqlite", "t (2)", "Rowid", "a", "s", "b"}),
                    Cells({"s.sqlite", "t", "1", "{\"x\":1}", "<10>", "10"}),
                    Cells({"s.sqlite", "t", "2", "{\"x\":2}", "<20>", "20"}), ""},
                   1},
        SchemaCase{"FunctionOfTheProgramInAView", kTable + "CREATE VIEW v AS SELECT monfmt(a) FROM t;",
                   TableLinesThen({UnreadableLine("vue v", "fonction inconnue de ce programme : monfmt()")}), 1},
        // A function that a newer SQLite takes with fewer arguments, in a column computed as it
        // is read: SQLite would read the column as NULL, which is not its value.
        SchemaCase{"NewerUseOfAFunctionInAGeneratedColumn",
                   "CREATE TABLE t(a TEXT, b INTEGER, d AS (iif(b > 10, 'grand', NULL)));"
                   "INSERT INTO t VALUES ('{\"x\":1}', 10), ('{\"x\":2}', 20);" +
                       AsANewerSQLiteWroteIt("t", "CREATE TABLE t(a TEXT, b INTEGER, d AS (iif(b > 10, 'grand')))"),
                   {UnreadableLine("colonne t.d", "cette version de SQLite ne comprend pas la définition de t (wrong "
                                                  "number of arguments to function iif())"),
                    Cells({"s.sqlite", "t (2)", "Rowid", "a", "b"}), Cells({"s.sqlite", "t", "1", "{\"x\":1}", "10"}),
                    Cells({"s.sqlite", "t", "2", "{\"x\":2}", "20"}), ""},
                   1}),
    [](const auto& info) { return std::string(info.param.label); });

// ---- A database cut short -------------------------------------------------------------------

// A copy interrupted after 200 of its 240 pages, at the end of a page or in the middle of one:
// every row whose page is there in full is written, in order, once, then the line that says
// what could not be read. A page cut in its middle holds no row that can be believed.
class CutShort : public Schema, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(CutShort, EveryRowWhosePageIsThereIsWritten) {
  constexpr std::size_t kPage = 4096, kPagesKept = 200;
  const path file = root / "s.sqlite";
  fixtures::MakeDatabase(file,
                         "CREATE TABLE t(v TEXT);"
                         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000)"
                         " INSERT INTO t SELECT printf('ligne %04d ', i) || printf('%.*c', 166, 'x') FROM n;");
  const std::string bytes = fixtures::ReadFile(file);
  ASSERT_EQ(bytes.size(), 240 * kPage);
  auto label = [](int i) {
    char text[24];
    std::snprintf(text, sizeof text, "ligne %04d ", i);
    return std::string(text);
  };
  // The rows on the pages kept: the first ones, as the table grew page after page.
  const std::string kept = bytes.substr(0, kPagesKept * kPage);
  int there = 0;
  while (there < 5000 && kept.find(label(there + 1)) != std::string::npos) ++there;
  for (int i = there + 1; i <= 5000; ++i) ASSERT_EQ(kept.find(label(i)), std::string::npos) << i;
  ASSERT_GT(there, 4000);
  fixtures::WriteFile(file, bytes.substr(0, kPagesKept * kPage + GetParam()));
  Options(false, false, false, false, false);

  ExpectedFile expected(1);
  expected.Entry(file).Line(Cells({"s.sqlite", "t (" + std::to_string(there) + ")", "Rowid", "v"}));
  for (int i = 1; i <= there; ++i)
    expected.Line(Cells({"s.sqlite", "t", std::to_string(i), label(i) + std::string(166, 'x')}));
  expected.Lines({UnreadableLine("table t", "fichier endommagé"), ""});
  EXPECT_EQ(RunKeepingInputs(), expected.End());
  EXPECT_EQ(window->NbRecords()->Text(), std::to_string(there));
  EXPECT_EQ(user.messages, Lines{export_run::FinishedMessage(1)});
}

INSTANTIATE_TEST_SUITE_P(Cuts, CutShort, ::testing::Values(0, 2000),
                         [](const auto& info) { return info.param == 0 ? "AtAPage" : "InTheMiddleOfAPage"; });

}  // namespace
