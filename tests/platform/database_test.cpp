#include <gtest/gtest.h>

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/database.h"
#include "tests/support/fixtures.h"
#include "tests/support/other_program.h"
#include "tests/support/ticks.h"

using namespace platform;
using namespace std::string_literals;
using fixtures::Listing;
using fixtures::RandomBytes;
using fixtures::fs::path;
namespace fs = fixtures::fs;

namespace {

Ref<SQLiteDatabase> Open(const path& file) {
  Ref<SQLiteDatabase> db = New<SQLiteDatabase>();
  db->SetDatabaseFile(GetFolderItem(file.string(), 3));
  EXPECT_TRUE(db->Connect()) << file;
  return db;
}

// Connect to a database that stays held, the platform's clock moved on at every wait: False
// once the wait has passed, and the reason.
void ExpectSaidLockedAfterTheWait(const path& file) {
  ManualTicks ticks;
  SetLockRetryHookForTesting([&](int) { ticks.Advance(std::chrono::milliseconds(700)); });
  const Ref<SQLiteDatabase> db = New<SQLiteDatabase>();
  db->SetDatabaseFile(GetFolderItem(file.string(), 3));
  EXPECT_FALSE(db->Connect());
  EXPECT_EQ(db->ErrorMessage(), "verrouillé par un autre programme");
  SetLockRetryHookForTesting(nullptr);
}

// Column 1 of every row.
std::vector<String> FirstColumn(const Ref<RecordSet>& rows) {
  std::vector<String> values;
  for (; !rows->IsEOF(); rows->MoveNext()) values.push_back(rows->IdxField(1)->StringValue());
  return values;
}

std::vector<String> Tables(const Ref<Database>& db) { return FirstColumn(db->TableSchema()); }

// A database of two tables and an index, the usual kind of file a run meets.
void MakeCarnet(const path& file) {
  fixtures::MakeDatabase(file,
                         "CREATE TABLE contacts(nom TEXT, ville TEXT);"
                         "CREATE INDEX contacts_nom ON contacts(nom);"
                         "INSERT INTO contacts VALUES('Durand', 'Nantes'), ('Petit', 'Lille');"
                         "CREATE TABLE notes(texte);"
                         "INSERT INTO notes VALUES('à lire');");
}

// ---- Values -------------------------------------------------------------------------------

TEST(DatabaseField, StringValueOfEveryKindOfValue) {
  fixtures::TempDir dir;
  fixtures::MakeDatabase(dir / "v.sqlite",
                         "CREATE TABLE v(x);"
                         "INSERT INTO v VALUES(NULL), (42), (-7), (9223372036854775807), (1.5), (3.0), (0.1),"
                         "(1e20), (-2.5e-7), ('texte é'), (''), (x''), (x'00FF41C3'), (x'C3A9'),"
                         "(CAST(x'610062' AS TEXT)), (x'0000'), (x'410A42'), (x'C3'), (x'EDA080'), (CAST(x'FF' AS TEXT));");
  // A BLOB reads as its text when it is valid UTF-8 without NUL, else as SQLite's literal; a
  // text reads as its bytes, whatever they are.
  const std::vector<String> expected = {"",        "42",       "-7",      "9223372036854775807", "1.5",
                                        "3.0",     "0.1",      "1.0e+20", "-2.5e-07",            "texte é",
                                        "",        "",         "X'00FF41C3'", "é",               "a\0b"s,
                                        "X'0000'", "A\nB",     "X'C3'",   "X'EDA080'",           "\xFF"};
  const Ref<SQLiteDatabase> db = Open(dir / "v.sqlite");
  EXPECT_EQ(FirstColumn(db->SQLSelect("select x from v order by rowid")), expected);
}

TEST(DatabaseField, NumbersReadAsSQLitesOwnText) {
  fixtures::TempDir dir;
  fixtures::MakeDatabase(dir / "n.sqlite",
                         "CREATE TABLE n(x REAL);"
                         "INSERT INTO n VALUES(1.5), (100), (1e15), (1e16), (123456789.123456789), (-0.0),"
                         "(3.141592653589793), (5e-324), (1.7976931348623157e308), (0.30000000000000004);");
  const Ref<SQLiteDatabase> db = Open(dir / "n.sqlite");
  const Ref<RecordSet> rows = db->SQLSelect("select x, CAST(x AS TEXT) from n");
  int seen = 0;
  for (; !rows->IsEOF(); rows->MoveNext(), ++seen)
    EXPECT_EQ(rows->IdxField(1)->StringValue(), rows->IdxField(2)->StringValue());
  EXPECT_EQ(seen, 10);
}

TEST(DatabaseField, TextOfAUtf16DatabaseReadsAsUtf8) {
  fixtures::TempDir dir;
  fixtures::MakeDatabase(dir / "u.sqlite",
                         "PRAGMA encoding = 'UTF-16le'; CREATE TABLE t(x); INSERT INTO t VALUES('été €'), (12);");
  const Ref<SQLiteDatabase> db = Open(dir / "u.sqlite");
  EXPECT_EQ(FirstColumn(db->SQLSelect("select x from t")), (std::vector<String>{"été €", "12"}));
  EXPECT_EQ(Tables(db), std::vector<String>{"t"});
}

// ---- Record sets --------------------------------------------------------------------------

TEST(RecordSet, RecordCountIsTheTrueNumberOfRows) {
  fixtures::TempDir dir;
  fixtures::MakeDatabase(dir / "c.sqlite",
                         "CREATE TABLE grande(a, b);"
                         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1234)"
                         "  INSERT INTO grande SELECT i, 'ligne ' || i FROM n;"
                         "CREATE TABLE vide(a);"
                         "CREATE TABLE \"nom d'une table\"(a); INSERT INTO \"nom d'une table\" VALUES(1), (2);");
  const Ref<SQLiteDatabase> db = Open(dir / "c.sqlite");
  struct Case {
    const char* sql;
    std::int64_t count;
  };
  const Case cases[] = {{"select rowid,* from grande", 1234},
                        {"select rowid,* from vide", 0},
                        {"select rowid,* from \"nom d'une table\"", 2},
                        {"select rowid,* from grande where a > 1000", 234}};
  for (const auto& c : cases) {
    const Ref<RecordSet> rows = db->SQLSelect(c.sql);
    ASSERT_NE(rows, nullptr) << c.sql;
    EXPECT_EQ(rows->IsEOF(), c.count == 0) << c.sql;
    EXPECT_EQ(rows->RecordCount(), c.count) << c.sql;
    std::int64_t stepped = 0;
    for (; !rows->IsEOF(); rows->MoveNext()) ++stepped;
    EXPECT_EQ(stepped, c.count) << c.sql;
    EXPECT_EQ(rows->RecordCount(), c.count) << c.sql << " (after the rows)";
    rows->MoveNext();  // past the end: stays there
    EXPECT_TRUE(rows->IsEOF());
  }
  EXPECT_EQ(db->TableSchema()->RecordCount(), 3);
  EXPECT_EQ(db->FieldSchema("grande")->RecordCount(), 2);
  EXPECT_EQ(db->FieldSchema("nom d'une table")->RecordCount(), 1);
}

TEST(RecordSet, RowsInOrderWithTheRowidFirst) {
  fixtures::TempDir dir;
  fixtures::MakeDatabase(dir / "r.sqlite",
                         "CREATE TABLE t(a, b, c);"
                         "INSERT INTO t(rowid, a, b, c) VALUES(5, 'x', NULL, 1), (9, 'y', 2.5, x'41');");
  const Ref<SQLiteDatabase> db = Open(dir / "r.sqlite");
  const Ref<RecordSet> rows = db->SQLSelect("select rowid,* from t");
  ASSERT_NE(rows, nullptr);
  ASSERT_EQ(rows->FieldCount(), 4);
  std::vector<std::vector<String>> seen;
  for (; !rows->IsEOF(); rows->MoveNext()) {
    std::vector<String> row;
    for (int i = 1; i <= rows->FieldCount(); ++i) row.push_back(rows->IdxField(i)->StringValue());
    seen.push_back(row);
  }
  EXPECT_EQ(seen, (std::vector<std::vector<String>>{{"5", "x", "", "1"}, {"9", "y", "2.5", "A"}}));
}

TEST(RecordSet, IdxFieldOutsideOneToFieldCountIsNil) {
  fixtures::TempDir dir;
  fixtures::MakeDatabase(dir / "r.sqlite", "CREATE TABLE t(a, b); INSERT INTO t VALUES(1, 2);");
  const Ref<SQLiteDatabase> db = Open(dir / "r.sqlite");
  const Ref<RecordSet> rows = db->SQLSelect("select rowid,* from t");
  ASSERT_EQ(rows->FieldCount(), 3);
  for (int i : {-1, 0, 4, 100}) EXPECT_EQ(rows->IdxField(i), nullptr) << i;
  EXPECT_THROW(rows->IdxField(4)->StringValue(), NilObjectException);
}

TEST(RecordSet, ClosedRowsReadAsEmptyAndAreAtTheEnd) {
  fixtures::TempDir dir;
  fixtures::MakeDatabase(dir / "r.sqlite", "CREATE TABLE t(a); INSERT INTO t VALUES('x'), ('y');");
  const Ref<SQLiteDatabase> db = Open(dir / "r.sqlite");
  const Ref<RecordSet> rows = db->SQLSelect("select a from t");
  const Ref<DatabaseField> field = rows->IdxField(1);
  EXPECT_EQ(field->StringValue(), "x");
  rows->Close();
  EXPECT_TRUE(rows->IsEOF());
  EXPECT_EQ(field->StringValue(), "");
  EXPECT_NO_THROW(rows->Close());

  // A field kept after its record set has gone reads as empty too.
  Ref<RecordSet> other = db->SQLSelect("select a from t");
  const Ref<DatabaseField> kept = other->IdxField(1);
  other = nullptr;
  EXPECT_EQ(kept->StringValue(), "");
}

// ---- Schema -------------------------------------------------------------------------------

TEST(Database, TableSchemaListsEveryTableInCreationOrder) {
  fixtures::TempDir dir;
  fixtures::MakeDatabase(dir / "s.sqlite",
                         "CREATE TABLE zebre(a);"
                         "CREATE TABLE compteur(id INTEGER PRIMARY KEY AUTOINCREMENT, v);"
                         "INSERT INTO compteur(v) VALUES(1);"
                         "CREATE VIEW vue AS SELECT * FROM zebre;"
                         "CREATE INDEX idx ON zebre(a);"
                         "CREATE TABLE \"Table à blancs\"(a);"
                         "CREATE TABLE sqlitemeta(a);"
                         "CREATE TABLE abc(k PRIMARY KEY, v) WITHOUT ROWID;"
                         "CREATE TRIGGER trg AFTER INSERT ON zebre BEGIN SELECT 1; END;"
                         "INSERT INTO zebre VALUES(1); ANALYZE;");
  const Ref<SQLiteDatabase> db = Open(dir / "s.sqlite");
  // SQLite's own tables hold rows like any other; its schema is not one of them.
  EXPECT_EQ(Tables(db), (std::vector<String>{"zebre", "compteur", "sqlite_sequence", "Table à blancs", "sqlitemeta",
                                             "abc", "sqlite_stat1"}));
  EXPECT_EQ(db->TableSchema()->FieldCount(), 1);
}

TEST(Database, TableSchemaOfADatabaseWithoutTablesIsEmpty) {
  fixtures::TempDir dir;
  fixtures::MakeDatabase(dir / "e.sqlite", "CREATE TABLE t(a); DROP TABLE t;");
  const Ref<SQLiteDatabase> db = Open(dir / "e.sqlite");
  const Ref<RecordSet> tables = db->TableSchema();
  ASSERT_NE(tables, nullptr);
  EXPECT_TRUE(tables->IsEOF());
  EXPECT_EQ(tables->RecordCount(), 0);
}

TEST(Database, FieldSchemaListsTheColumnsOfSelectStar) {
  fixtures::TempDir dir;
  fixtures::MakeDatabase(dir / "f.sqlite",
                         "CREATE TABLE t(z, a INTEGER, \"m n\" TEXT, \"it's\");"
                         "CREATE TABLE g(a, b AS (a * 2) VIRTUAL, c AS (a + 1) STORED);"
                         "CREATE TABLE \"it's\"(x, y);"
                         "CREATE TABLE w(k PRIMARY KEY, v) WITHOUT ROWID;"
                         "CREATE VIRTUAL TABLE docs USING fts5(titre, corps);"
                         "INSERT INTO docs VALUES('un', 'deux');");
  const Ref<SQLiteDatabase> db = Open(dir / "f.sqlite");
  struct Case {
    const char* table;
    const char* select;
    std::vector<String> columns;
  };
  const Case cases[] = {
      {"t", "select rowid,* from t", {"z", "a", "m n", "it's"}},
      {"g", "select rowid,* from g", {"a", "b", "c"}},
      {"it's", "select rowid,* from \"it's\"", {"x", "y"}},
      {"w", "select null,* from w", {"k", "v"}},
      {"docs", "select rowid,* from docs", {"titre", "corps"}},
  };
  for (const auto& c : cases) {
    const Ref<RecordSet> columns = db->FieldSchema(c.table);
    ASSERT_NE(columns, nullptr) << c.table;
    EXPECT_EQ(FirstColumn(columns), c.columns) << c.table;
    // The walk writes one name per column that its select gives after the rowid.
    const Ref<RecordSet> rows = db->SQLSelect(c.select);
    ASSERT_NE(rows, nullptr) << c.select;
    EXPECT_EQ(rows->FieldCount(), static_cast<int>(c.columns.size()) + 1) << c.select;
  }
  for (const char* missing : {"absent", "", "T "}) EXPECT_EQ(db->FieldSchema(missing), nullptr) << missing;
}

TEST(Database, SQLSelectGivesNilForAFailingQuery) {
  fixtures::TempDir dir;
  fixtures::MakeDatabase(dir / "q.sqlite", "CREATE TABLE t(a); CREATE TABLE w(k PRIMARY KEY) WITHOUT ROWID;");
  const Ref<SQLiteDatabase> db = Open(dir / "q.sqlite");
  for (const char* sql : {"select rowid,* from absent", "select rowid,* from w", "selec * from t", ""})
    EXPECT_EQ(db->SQLSelect(sql), nullptr) << sql;
  EXPECT_NE(db->SQLSelect("select rowid,* from t"), nullptr);
}

TEST(Database, CloseThenConnectToAnotherFile) {
  fixtures::TempDir dir;
  MakeCarnet(dir / "a.sqlite");
  fixtures::MakeDatabase(dir / "b.sqlite", "CREATE TABLE autre(x); INSERT INTO autre VALUES('b');");
  fixtures::WriteFile(dir / "c.txt", "pas une base");
  const Ref<SQLiteDatabase> db = New<SQLiteDatabase>();
  EXPECT_EQ(db->DatabaseFile(), nullptr);
  EXPECT_EQ(db->SQLSelect("select 1"), nullptr);  // not connected

  const Ref<FolderItem> a = GetFolderItem((dir / "a.sqlite").string(), 3);
  db->SetDatabaseFile(a);
  EXPECT_EQ(db->DatabaseFile(), a);
  ASSERT_TRUE(db->Connect());
  EXPECT_EQ(Tables(db), (std::vector<String>{"contacts", "notes"}));
  db->Close();
  EXPECT_EQ(db->SQLSelect("select 1"), nullptr);

  db->SetDatabaseFile(GetFolderItem((dir / "b.sqlite").string(), 3));
  ASSERT_TRUE(db->Connect());
  EXPECT_EQ(Tables(db), std::vector<String>{"autre"});
  EXPECT_EQ(FirstColumn(db->SQLSelect("select x from autre")), std::vector<String>{"b"});

  // A failed Connect leaves nothing of the file before it open.
  db->SetDatabaseFile(GetFolderItem((dir / "c.txt").string(), 3));
  EXPECT_FALSE(db->Connect());
  EXPECT_EQ(db->SQLSelect("select x from autre"), nullptr);
  db->Close();
  db->Close();

  db->SetDatabaseFile(a);
  ASSERT_TRUE(db->Connect());
  ASSERT_TRUE(db->Connect());  // again, without a Close between
  EXPECT_EQ(Tables(db), (std::vector<String>{"contacts", "notes"}));
}

TEST(Database, RowsOutliveTheDatabaseObject) {
  fixtures::TempDir dir;
  MakeCarnet(dir / "a.sqlite");
  Ref<RecordSet> rows;
  {
    const Ref<SQLiteDatabase> db = Open(dir / "a.sqlite");
    rows = db->SQLSelect("select nom from contacts order by nom");
  }
  EXPECT_EQ(rows->RecordCount(), 2);
  EXPECT_EQ(FirstColumn(rows), (std::vector<String>{"Durand", "Petit"}));
  rows->Close();
}

// ---- Which files open ---------------------------------------------------------------------

class Connecting : public testing::Test {
 protected:
  bool ConnectTo(const path& file) {
    const Ref<SQLiteDatabase> db = New<SQLiteDatabase>();
    db->SetDatabaseFile(GetFolderItem(file.string(), 3));
    // A Connect that waited for a pipe's writer would hang the run: give it a writer in the end.
    auto connected = std::async(std::launch::async, [&] { return db->Connect(); });
    if (connected.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
      const int writer = ::open(file.c_str(), O_WRONLY | O_NONBLOCK);
      if (writer >= 0) ::close(writer);
      ADD_FAILURE() << "Connect hung on " << file;
    }
    const bool ok = connected.get();
    error = db->ErrorMessage();
    db->Close();
    return ok;
  }

  fixtures::TempDir dir;
  String error;  // the reason that the last ConnectTo gave
};

TEST_F(Connecting, FalseForAnythingButADatabase) {
  MakeCarnet(dir / "real.sqlite");
  const String real = fixtures::ReadFile(dir / "real.sqlite");
  ASSERT_GE(real.size(), 4096u);
  fs::create_directory(dir / "folder.sqlite");
  ASSERT_EQ(::mkfifo((dir / "pipe.sqlite").c_str(), 0600), 0);
  fixtures::WriteFile(dir / "empty.sqlite", "");
  fixtures::WriteFile(dir / "text.sqlite", "Bonjour, ceci est un texte.\n");
  fixtures::WriteFile(dir / "random.sqlite", RandomBytes(8192, 7));
  fixtures::WriteFile(dir / "magic-only.sqlite", "SQLite format 3\0"s);
  fixtures::WriteFile(dir / "short.sqlite", real.substr(0, 100));
  fixtures::WriteFile(dir / "corrupt.sqlite", real.substr(0, 100) + RandomBytes(3 * 4096 - 100, 8));
  fixtures::WriteFile(dir / "overwritten.sqlite", real.substr(0, 100) + RandomBytes(real.size() - 100, 9));
  fixtures::WriteFile(dir / "zeros.sqlite", real.substr(0, 100) + String(real.size() - 100, '\0'));
  fs::create_symlink(dir / "absent.sqlite", dir / "dangling.sqlite");
  fs::create_symlink(dir / "folder.sqlite", dir / "link-to-folder.sqlite");

  // Nothing there, or something that is no SQLite database: no error, only False.
  for (const char* name : {"absent.sqlite", "folder.sqlite", "pipe.sqlite", "empty.sqlite", "text.sqlite",
                           "random.sqlite", "dangling.sqlite", "link-to-folder.sqlite"}) {
    EXPECT_FALSE(ConnectTo(dir / name)) << name;
    EXPECT_EQ(error, "") << name;
  }
  // A database that cannot be read: False, and the reason.
  for (const char* name : {"magic-only.sqlite", "short.sqlite", "corrupt.sqlite", "overwritten.sqlite", "zeros.sqlite"}) {
    EXPECT_FALSE(ConnectTo(dir / name)) << name;
    EXPECT_EQ(error, "fichier endommagé") << name;
  }

  const Ref<SQLiteDatabase> db = New<SQLiteDatabase>();
  EXPECT_FALSE(db->Connect());  // no file at all
  EXPECT_FALSE(db->Error());
  EXPECT_TRUE(ConnectTo(dir / "real.sqlite"));
  EXPECT_EQ(error, "");
}

TEST_F(Connecting, TrueForADatabaseWhateverItsPath) {
  const char* names[] = {"simple.sqlite", "avec des blancs.db", "100%.sqlite", "%41.sqlite", "quoi?.sqlite",
                         "n°#1.sqlite",   "été à Noël.sqlite",   "sans-extension", "a+b&c=d;e.sqlite", "'\".sqlite"};
  fs::create_directory(dir / "dossier #2 ? 50% é");
  for (const path& folder : {dir.path(), dir / "dossier #2 ? 50% é"}) {
    for (const char* name : names) {
      const path file = folder / name;
      fixtures::MakeDatabase(file, "CREATE TABLE t(a); INSERT INTO t VALUES('x');");
      ASSERT_TRUE(ConnectTo(file)) << file;
      const Ref<SQLiteDatabase> db = Open(file);
      EXPECT_EQ(Tables(db), std::vector<String>{"t"}) << file;
      db->Close();
    }
  }
  MakeCarnet(dir / "cible.sqlite");
  fs::create_symlink(dir / "cible.sqlite", dir / "lien.sqlite");
  EXPECT_TRUE(ConnectTo(dir / "lien.sqlite"));
}

// ---- Nothing is ever changed --------------------------------------------------------------

// Reads every table of the database the way a run does.
void ReadAll(const path& file) {
  const Ref<SQLiteDatabase> db = Open(file);
  const Ref<RecordSet> tables = db->TableSchema();
  for (; !tables->IsEOF(); tables->MoveNext()) {
    const String table = tables->IdxField(1)->StringValue();
    const Ref<RecordSet> columns = db->FieldSchema(table);
    ASSERT_NE(columns, nullptr);
    columns->Close();
    const Ref<RecordSet> rows = db->SQLSelect("select rowid,* from \"" + table + "\"");
    ASSERT_NE(rows, nullptr);
    EXPECT_GT(rows->RecordCount(), 0);
    for (; !rows->IsEOF(); rows->MoveNext())
      for (int i = 1; i <= rows->FieldCount(); ++i) rows->IdxField(i)->StringValue();
    rows->Close();
  }
  tables->Close();
  db->Close();
}

TEST(ReadOnly, ConnectAndReadChangeNothing) {
  struct Case {
    const char* what;
    const char* pragma;
  };
  const Case cases[] = {{"rollback journal", "PRAGMA journal_mode=DELETE;"},
                        {"WAL", "PRAGMA journal_mode=WAL;"}};
  for (const auto& c : cases) {
    fixtures::TempDir dir;
    const path file = dir / "carnet.sqlite";
    fixtures::MakeDatabase(file, String(c.pragma) +
                                     "CREATE TABLE contacts(nom, ville);"
                                     "INSERT INTO contacts VALUES('Durand', 'Nantes'), ('Petit', 'Lille');");
    ASSERT_EQ(Listing(dir.path()), std::vector<String>{"carnet.sqlite"}) << c.what;
    ::chmod(file.c_str(), 0644);
    const auto before = fixtures::Snapshot(dir.path());
    struct stat st0;
    ::stat(file.c_str(), &st0);
    ReadAll(file);
    ReadAll(file);
    EXPECT_EQ(Listing(dir.path()), std::vector<String>{"carnet.sqlite"}) << c.what;
    EXPECT_TRUE(fixtures::Snapshot(dir.path()) == before) << c.what << ": a file was changed";
    struct stat st1;
    ::stat(file.c_str(), &st1);
    EXPECT_EQ(st1.st_mtim.tv_sec, st0.st_mtim.tv_sec) << c.what;
    EXPECT_EQ(st1.st_mtim.tv_nsec, st0.st_mtim.tv_nsec) << c.what;
  }
}

TEST(ReadOnly, AFileWithoutWritePermissionOpens) {
  fixtures::TempDir dir;
  MakeCarnet(dir / "carnet.sqlite");
  fs::permissions(dir / "carnet.sqlite", fs::perms::owner_read);
  fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
  fixtures::Unprivileged user(dir.path());
  ReadAll(dir / "carnet.sqlite");
}

// Another program has a WAL database open and has written rows that are still in its -wal.
class LiveWal : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(dir / "bases");
    file = dir / "bases" / "vivante.sqlite";
    writer = fixtures::OpenWalWriter(file, "CREATE TABLE t(a); INSERT INTO t VALUES(1), (2), (3);");
    ASSERT_TRUE(fs::exists(file.string() + "-wal"));
  }
  void TearDown() override { sqlite3_close(writer); }

  std::vector<String> Rows(const path& through) {
    const Ref<SQLiteDatabase> db = Open(through);
    const Ref<RecordSet> rows = db->SQLSelect("select a from t");
    if (!rows) return {"(no rows)"};
    return FirstColumn(rows);
  }

  fixtures::TempDir dir;
  path file;
  sqlite3* writer = nullptr;
};

TEST_F(LiveWal, RowsStillInTheWalAreRead) { EXPECT_EQ(Rows(file), (std::vector<String>{"1", "2", "3"})); }

TEST_F(LiveWal, RowsStillInTheWalAreReadThroughALink) {
  fs::create_directory(dir / "liens");
  fs::create_symlink(file, dir / "liens" / "vivante.sqlite");
  EXPECT_EQ(Rows(dir / "liens" / "vivante.sqlite"), (std::vector<String>{"1", "2", "3"}));
  EXPECT_EQ(Listing(dir / "liens"), std::vector<String>{"vivante.sqlite"});
}

// A database copied with its -wal, or left so by a writer that died: no -shm beside it.
TEST_F(LiveWal, ALeftOverWalGetsNoNewFileBesideIt) {
  fs::create_directory(dir / "copie");
  fs::copy_file(file, dir / "copie" / "vivante.sqlite");
  fs::copy_file(file.string() + "-wal", dir / "copie" / "vivante.sqlite-wal");
  sqlite3_close(writer);
  writer = nullptr;
  const auto before = fixtures::Snapshot(dir / "copie");
  EXPECT_EQ(Rows(dir / "copie" / "vivante.sqlite"), (std::vector<String>{"1", "2", "3"}));
  EXPECT_EQ(Listing(dir / "copie"), (std::vector<String>{"vivante.sqlite", "vivante.sqlite-wal"}));
  EXPECT_TRUE(fixtures::Snapshot(dir / "copie") == before) << "a file was changed or made";
}

// A program opens a closed WAL database at the moment Connect copies it: the copy may hold
// pages of two states, so the database is read as the live database it now is, in its -wal.
TEST(Snapshot, ADatabaseOpenedWhileItIsCopiedIsReadLive) {
  fixtures::TempDir dir;
  fs::create_directory(dir / "tmp");
  const path file = dir / "vivante.sqlite";
  fixtures::MakeDatabase(file, "PRAGMA journal_mode = WAL; CREATE TABLE t(a); INSERT INTO t VALUES(1), (2);");
  ASSERT_FALSE(fs::exists(file.string() + "-wal"));
  sqlite3* writer = nullptr;
  SetSnapshotHookForTesting([&] {
    if (!writer) writer = fixtures::OpenWalWriter(file, "INSERT INTO t VALUES(3);");
  });
  {
    fixtures::TemporaryFolderAt tmp(dir / "tmp");
    EXPECT_EQ(FirstColumn(Open(file)->SQLSelect("select a from t")), (std::vector<String>{"1", "2", "3"}));
  }
  SetSnapshotHookForTesting(nullptr);
  EXPECT_EQ(Listing(dir / "tmp"), std::vector<String>{});
  sqlite3_close(writer);
}

// A private copy that cannot be removed with its connection (its folder made undeletable to the
// user nobody) is given for the user to be told, once. One that can be removed by the time it
// is asked for goes then, and is not told.
TEST(Snapshot, APrivateCopyThatCannotBeRemovedIsToldOnceUnlessASecondTryRemovesIt) {
  fixtures::TempDir dir;
  fs::create_directory(dir / "tmp");
  const path file = dir / "base.sqlite";
  fixtures::MakeDatabase(file, "PRAGMA journal_mode = WAL; CREATE TABLE t(a); INSERT INTO t VALUES(1);");
  path copy;
  SetSnapshotHookForTesting([&] {
    for (const auto& entry : fs::directory_iterator(dir / "tmp")) copy = entry.path();
    fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_exec);
  });
  for (const bool removableAtSecondTry : {false, true}) {
    SCOPED_TRACE(removableAtSecondTry);
    fixtures::TemporaryFolderAt tmp(dir / "tmp");
    fixtures::Unprivileged nobody(dir.path());
    EXPECT_EQ(FirstColumn(Open(file)->SQLSelect("select a from t")), std::vector<String>{"1"});
    ASSERT_TRUE(fs::exists(copy / "base.sqlite"));
    if (removableAtSecondTry) fs::permissions(copy, fs::perms::owner_all);
    const std::vector<LeftoverCopy> left = TakeLeftoverCopies();
    if (removableAtSecondTry) {
      EXPECT_TRUE(left.empty());
      EXPECT_EQ(Listing(dir / "tmp"), std::vector<String>{});
    } else {
      ASSERT_EQ(left.size(), 1u);
      EXPECT_EQ(left[0].folder, copy.string());
      EXPECT_EQ(left[0].reason, "permission refusée");
      EXPECT_TRUE(TakeLeftoverCopies().empty()) << "told twice";
      fs::permissions(copy, fs::perms::owner_all);
      fs::remove_all(copy);
    }
  }
  SetSnapshotHookForTesting(nullptr);
}

// A program that opens a WAL database makes its -wal, then its -shm: in between, the -wal is
// not one that a writer left, and is not copied while that program may write it. Connect
// waits for the -shm, and says the database locked when none comes.
TEST(Database, AWalWhoseShmIsNotMadeYetIsWaitedFor) {
  fixtures::TempDir dir;
  const path file = dir / "vivante.sqlite";
  fixtures::MakeDatabase(file, "PRAGMA journal_mode = WAL; CREATE TABLE t(v); INSERT INTO t VALUES('un');");
  fixtures::OtherProgram other(file, fixtures::OtherProgram::Action::OpenInWal);
  const path shm = file.string() + "-shm";
  fs::rename(shm, dir / "ailleurs");
  std::vector<int> retries;
  SetLockRetryHookForTesting([&](int retry) {
    retries.push_back(retry);
    if (retry == 1) fs::rename(dir / "ailleurs", shm);
  });
  EXPECT_EQ(FirstColumn(Open(file)->SQLSelect("select v from t")), std::vector<String>{"un"});
  EXPECT_EQ(retries, std::vector<int>{1});

  fs::rename(shm, dir / "ailleurs");
  ExpectSaidLockedAfterTheWait(file);
  fs::rename(dir / "ailleurs", shm);
  EXPECT_EQ(Listing(dir.path()), (std::vector<String>{"vivante.sqlite", "vivante.sqlite-shm", "vivante.sqlite-wal"}));
}

}  // namespace

namespace {

// A database that another program holds locked for a moment is waited for, not taken for a
// file that is no database; one that stays locked longer than the wait is said to be locked.
TEST(Database, ALockedDatabaseIsWaitedForThenSaidLocked) {
  fixtures::TempDir dir;
  const path file = dir / "occupee.sqlite";
  MakeCarnet(file);
  sqlite3* writer = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &writer), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(writer, "BEGIN EXCLUSIVE; INSERT INTO notes VALUES('encore');", nullptr, nullptr, nullptr),
            SQLITE_OK);
  // The writer commits when the reader first finds the database locked.
  std::vector<int> retries;
  SetLockRetryHookForTesting([&](int retry) {
    retries.push_back(retry);
    if (retry == 1) sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr);
  });
  const Ref<SQLiteDatabase> db = Open(file);
  EXPECT_EQ(retries, std::vector<int>{1});
  EXPECT_EQ(FirstColumn(db->SQLSelect("select texte from notes")), (std::vector<String>{"à lire", "encore"}));
  db->Close();

  // Held beyond the wait, by the platform's clock: False, and the reason.
  ASSERT_EQ(sqlite3_exec(writer, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  ExpectSaidLockedAfterTheWait(file);
  sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(writer);
}

}  // namespace
