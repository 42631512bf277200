// The export run around the walk: its early ends, the same-folder refusal, the header, the
// window during and after a run, the stop flag, and the copy folder.
#include "tests/support/run_fixture.h"

using fixtures::fs::path;
using Lines = std::vector<std::string>;
namespace fs = fixtures::fs;

namespace {

constexpr char kSameFolderMessage[] =
    "Désolé vous ne pouvez pas placer le fichier texte dans le même dossier que celui où se trouve vos bases SQLite !";

class ExportRun : public RunFixture {};

// ---- The three early ends -----------------------------------------------------------------

struct EarlyEndCase {
  const char* label;
  bool chooseFolder, chooseFile;
  const char* message;
  bool saveDialogShown;
  const char* nomDossierAfter;
  friend void PrintTo(const EarlyEndCase& c, std::ostream* os) { *os << c.label; }
};

class EarlyEnd : public ExportRun, public ::testing::WithParamInterface<EarlyEndCase> {};

TEST_P(EarlyEnd, ShowsItsMessageReenablesStartAndCreatesNothing) {
  MakeTable(root / "a.sqlite", "t", 1);
  Options(true, false, true, true, true);
  window->NomDossier()->SetText("précédent");
  const auto before = AllPaths(temp.path());
  const int height = window->Height();

  user.folder = GetParam().chooseFolder ? std::optional<std::string>(root.string()) : std::nullopt;
  // The same-folder case chooses a result file directly in the root folder.
  user.resultFile = GetParam().chooseFile ? std::optional<std::string>((root / "resultat.txt").string()) : std::nullopt;
  bool disabledWhileShown = false;
  user.onMessage = [&](const std::string&) { disabledWhileShown = !window->BtnDemarrer()->Enabled(); };
  window->BtnDemarrer_Action(window->BtnDemarrer());

  EXPECT_EQ(user.messages, Lines{GetParam().message});
  EXPECT_TRUE(disabledWhileShown);
  EXPECT_TRUE(window->BtnDemarrer()->Enabled());
  EXPECT_EQ(window->Height(), height);
  EXPECT_EQ(window->NomDossier()->Text(), GetParam().nomDossierAfter);
  EXPECT_EQ(AllPaths(temp.path()), before);
  if (GetParam().saveDialogShown) {
    EXPECT_EQ(user.saveFileType, "TEXT");
    EXPECT_EQ(user.saveProposedName, "ExtractDatabase");
  } else {
    EXPECT_EQ(user.saveFileType, "");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EarlyEnd,
    ::testing::Values(
        EarlyEndCase{"FolderCancelled", false, false, "Choix du dossier annulé par l'utilisateur", false, "précédent"},
        EarlyEndCase{"FileCancelled", true, false, "Choix du fichier texte annulé par l'utilisateur", true, "racine"},
        EarlyEndCase{"ResultInRootFolder", true, true, kSameFolderMessage, true, "racine"}),
    [](const auto& info) { return std::string(info.param.label); });

struct PlacementCase {
  const char* label;
  const char* root;    // below the temporary folder
  const char* result;  // below the temporary folder
  bool refused;
  friend void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.label; }
};

class ResultPlacement : public ExportRun, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(ResultPlacement, OnlyTheRootFolderItselfIsRefused) {
  for (const char* folder : {"x/base/sous", "x/Base", "x/basement"}) fs::create_directories(temp / folder);
  Options(false, false, false, false, false);
  Run(temp / GetParam().root, temp / GetParam().result);
  ASSERT_EQ(user.messages.size(), 1u);
  if (GetParam().refused) {
    EXPECT_EQ(user.messages[0], kSameFolderMessage);
    EXPECT_FALSE(fs::exists(temp / GetParam().result));
  } else {
    EXPECT_EQ(user.messages[0], kFinishedMessage);
    EXPECT_EQ(ResultLines(temp / GetParam().result).back(), kFooterLine);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResultPlacement,
    ::testing::Values(PlacementCase{"DirectlyInRoot", "x/base", "x/base/resultat.txt", true},
                      // The file's name occurs earlier in its path.
                      PlacementCase{"NamedAfterTheRoot", "x/base", "x/base/base", true},
                      PlacementCase{"NamedAfterTheParent", "x/base", "x/base/x", true},
                      PlacementCase{"InASubFolderOfRoot", "x/base", "x/base/sous/resultat.txt", false},
                      PlacementCase{"BesideTheRoot", "x/base", "x/resultat.txt", false},
                      PlacementCase{"InAFolderWhoseNameStartsLikeRoot", "x/base", "x/basement/resultat.txt", false},
                      PlacementCase{"InAFolderDifferingOnlyInCase", "x/Base", "x/base/resultat.txt", false}),
    [](const auto& info) { return std::string(info.param.label); });

// ---- Header and footer --------------------------------------------------------------------

TEST_F(ExportRun, EmptyRootGivesTheHeaderAndTheFooterOnly) {
  Options(true, false, true, true, false);
  Run(root, result);
  EXPECT_EQ(ResultLines(result), ExpectedFile(0).End());
  const std::string bytes = fixtures::ReadFile(result);
  EXPECT_EQ(bytes.back(), '\n');
  EXPECT_EQ(bytes.find("\r\n"), std::string::npos);
  EXPECT_EQ(user.messages, Lines{kFinishedMessage});
}

TEST_F(ExportRun, CountLineCountsTheRootsOwnEntriesWhateverTheyAre) {
  MakeTable(root / "a.sqlite", "t", 0);
  MakeTable(root / "b.sqlite", "t", 0);
  for (const char* folder : {"s1", "s2/profond", "s3"}) fs::create_directories(root / folder);
  MakeTable(root / "s2" / "c.sqlite", "t", 0);
  for (bool recursif : {false, true}) {
    Options(false, false, false, recursif, false);
    Run(root, result);
    EXPECT_EQ(ResultLines(result).at(3), "Nb de bases de données : 5") << "Recursif " << recursif;
  }
}

// ---- The window during and after a run ----------------------------------------------------

class WindowHeight : public ExportRun, public ::testing::WithParamInterface<bool> {};

TEST_P(WindowHeight, DuringTheWalkAndTheClosingMessageThenBack) {
  const bool afficheInfo = GetParam();
  MakeTable(root / "a.sqlite", "t", 2);
  Options(false, false, afficheInfo, false, false);
  ASSERT_EQ(window->Height(), 246);
  std::vector<int> duringWalk;
  bool startEnabledDuringWalk = true;
  user.onStopKeyPoll = [&](int) {
    duringWalk.push_back(window->Height());
    startEnabledDuringWalk = startEnabledDuringWalk && window->BtnDemarrer()->Enabled();
  };
  int duringMessage = 0;
  bool startEnabledDuringMessage = true;
  user.onMessage = [&](const std::string&) {
    duringMessage = window->Height();
    startEnabledDuringMessage = window->BtnDemarrer()->Enabled();
  };
  Run(root, result);

  const int runHeight = afficheInfo ? 532 : 312;
  EXPECT_EQ(duringWalk, (std::vector<int>{runHeight, runHeight}));
  EXPECT_FALSE(startEnabledDuringWalk);
  EXPECT_EQ(duringMessage, runHeight);
  EXPECT_FALSE(startEnabledDuringMessage);
  EXPECT_EQ(window->Height(), 246);
  EXPECT_TRUE(window->BtnDemarrer()->Enabled());
  EXPECT_EQ(window->NomDossier()->Text(), "racine");
}

INSTANTIATE_TEST_SUITE_P(AfficheInfo, WindowHeight, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Checked" : "Unchecked"; });

// ---- The stop flag ------------------------------------------------------------------------

TEST_F(ExportRun, StopFlagLeftRaisedBeforeTheRunIsCleared) {
  MakeTable(root / "a.sqlite", "t", 2);
  MakeTable(root / "b.sqlite", "t", 1);
  Options(false, true, false, false, false);
  App::ArretTraitement = 1;
  Run(root, result);
  EXPECT_EQ(ResultLines(result), ExpectedFile(2)
                                     .Entry(root / "a.sqlite")
                                     .Lines({RowOf("a.sqlite", "t", 1), RowOf("a.sqlite", "t", 2), ""})
                                     .Entry(root / "b.sqlite")
                                     .Lines({RowOf("b.sqlite", "t", 1), ""})
                                     .End());
  EXPECT_EQ(App::ArretTraitement, 0);
}

TEST_F(ExportRun, StoppedRunThenAFullOne) {
  MakeTable(root / "a.sqlite", "t", 3);
  Options(false, true, false, false, false);
  user.stopAtCall = 1;
  Run(root, result);
  EXPECT_EQ(ResultLines(result),
            ExpectedFile(1).Entry(root / "a.sqlite").Line(RowOf("a.sqlite", "t", 1)).End(true));
  EXPECT_EQ(App::ArretTraitement, 0);

  user.stopAtCall.reset();
  Run(root, result);
  EXPECT_EQ(ResultLines(result), ExpectedFile(1)
                                     .Entry(root / "a.sqlite")
                                     .Lines({RowOf("a.sqlite", "t", 1), RowOf("a.sqlite", "t", 2),
                                             RowOf("a.sqlite", "t", 3), ""})
                                     .End());
}

// ---- The copy folder ----------------------------------------------------------------------

struct CopyNameCase {
  const char* label;
  platform::CivilTime clock;
  const char* suffix;
  friend void PrintTo(const CopyNameCase& c, std::ostream* os) { *os << c.label; }
};

class CopyFolderName : public ExportRun, public ::testing::WithParamInterface<CopyNameCase> {};

TEST_P(CopyFolderName, ResultPathThenSqlDateThenSixDigitTime) {
  const platform::CivilTime clock = GetParam().clock;
  platform::SetClockForTesting([clock] { return clock; });
  MakeTable(root / "a.sqlite", "t", 1);
  Options(false, false, false, false, true);
  Run(root, result);
  EXPECT_EQ(AllPaths(temp / "out"),
            (Lines{"resultat.txt", std::string("resultat.txt_") + GetParam().suffix,
                   std::string("resultat.txt_") + GetParam().suffix + "/a.sqlite"}));
}

INSTANTIATE_TEST_SUITE_P(Cases, CopyFolderName,
                         ::testing::Values(CopyNameCase{"Afternoon", {2026, 12, 10, 17, 27, 37}, "2026-12-10_172737"},
                                           CopyNameCase{"ZeroPadded", {2027, 1, 5, 0, 4, 9}, "2027-01-05_000409"}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(ExportRun, CopyFolderIsMadeBeforeTheResultFileIsCreated) {
  MakeTable(root / "a.sqlite", "t", 1);
  Options(false, false, false, false, true);
  // A result "file" that is a folder cannot be created; the copy folder stands already.
  fs::create_directories(result);
  Run(root, result);
  EXPECT_TRUE(fs::is_directory(copies));
  EXPECT_TRUE(fs::is_empty(copies));
  EXPECT_TRUE(window->BtnDemarrer()->Enabled());
}

TEST_F(ExportRun, CopyFolderIsMadeEvenWhenNoDatabaseIsFound) {
  fixtures::WriteFile(root / "a.txt", "texte\n");
  Options(false, false, false, false, true);
  Run(root, result);
  EXPECT_EQ(AllPaths(temp / "out"), (Lines{"resultat.txt", "resultat.txt_2026-12-10_072737"}));
}

TEST_F(ExportRun, CopiesHoldTheSameDatabaseAndAreOnlyOfDatabases) {
  MakeTable(root / "a.sqlite", "t", 3);
  fixtures::MakeDatabase(root / "sans_table.sqlite", "PRAGMA user_version = 3;");
  fixtures::MakeDatabase(root / "large.sqlite",
                         "PRAGMA page_size = 1024; CREATE TABLE t(k TEXT PRIMARY KEY, v) WITHOUT ROWID;"
                         "CREATE INDEX tv ON t(v); CREATE TABLE u(id INTEGER PRIMARY KEY AUTOINCREMENT, b BLOB);"
                         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000)"
                         " INSERT INTO t SELECT 'k' || i, randomblob(i % 300) FROM n;"
                         "INSERT INTO u(b) SELECT v FROM t; DELETE FROM u WHERE id % 3 = 0;");
  fixtures::WriteFile(root / "lisezmoi.txt", "texte\n");
  Options(false, false, false, false, true);
  Run(root, result);
  EXPECT_EQ(AllPaths(copies), (Lines{"a.sqlite", "large.sqlite", "sans_table.sqlite"}));
  for (const char* name : {"a.sqlite", "large.sqlite", "sans_table.sqlite"})
    EXPECT_EQ(fixtures::DatabaseContent(copies / name), fixtures::DatabaseContent(root / name)) << name;
  EXPECT_EQ(fixtures::DatabaseContent(copies / "large.sqlite").back(), "integrity: ok");
  EXPECT_EQ(user.messages, Lines{kFinishedMessage});
}

TEST_F(ExportRun, RunsInTheSameSecondShareTheCopyFolder) {
  MakeTable(root / "carnet.sqlite", "t", 1);
  Options(false, false, false, false, true);
  Run(root, result);
  fixtures::WriteFile(copies / "marque.txt", "laissé là\n");
  Run(root, result);
  EXPECT_EQ(AllPaths(copies), (Lines{"carnet (2).sqlite", "carnet.sqlite", "marque.txt"}));
  EXPECT_EQ(fixtures::ReadFile(copies / "marque.txt"), "laissé là\n");
  EXPECT_EQ(fixtures::DatabaseContent(copies / "carnet (2).sqlite"), fixtures::DatabaseContent(root / "carnet.sqlite"));
  EXPECT_EQ(user.messages, (Lines{kFinishedMessage, kFinishedMessage}));
}

TEST_F(ExportRun, WithoutCopieBaseNoCopyFolderIsMadeNorTouched) {
  MakeTable(root / "a.sqlite", "t", 1);
  Options(false, false, false, false, false);
  Run(root, result);
  EXPECT_EQ(AllPaths(temp / "out"), Lines{"resultat.txt"});

  // A folder of the very name the run would use stays as it is.
  fs::create_directories(copies);
  fixtures::WriteFile(copies / "marque.txt", "x");
  Run(root, result);
  EXPECT_EQ(AllPaths(temp / "out"),
            (Lines{"resultat.txt", "resultat.txt_2026-12-10_072737", "resultat.txt_2026-12-10_072737/marque.txt"}));
}

// With no copy folder made at the start, a copy asked for later cannot be made: each database
// says so, and the closing message counts them.
TEST_F(ExportRun, CopieBaseCheckedDuringTheRunCopiesNowhereAndSaysSo) {
  MakeTable(root / "a.sqlite", "t", 1);
  MakeTable(root / "b.sqlite", "t", 1);
  Options(false, true, false, false, false);
  user.onStopKeyPoll = [this](int) { window->CopieBase()->SetValue(true); };
  const auto before = AllPaths(temp.path());
  Run(root, result);
  auto noCopy = [](const std::string& database) {
    return Cells({database, "copie impossible : aucun dossier de copie, l'option a été cochée après le début du traitement"});
  };
  EXPECT_EQ(ResultLines(result), ExpectedFile(2)
                                     .Entry(root / "a.sqlite")
                                     .Lines({RowOf("a.sqlite", "t", 1), "", noCopy("a.sqlite")})
                                     .Entry(root / "b.sqlite")
                                     .Lines({RowOf("b.sqlite", "t", 1), "", noCopy("b.sqlite")})
                                     .End());
  EXPECT_EQ(user.messages, Lines{"Traitement terminé !\n2 éléments n'ont pas pu être lus ou copiés : le fichier texte "
                                 "les signale par « lecture impossible » ou « copie impossible »."});
  Lines after = AllPaths(temp.path());
  after.erase(std::remove(after.begin(), after.end(), "out/resultat.txt"), after.end());
  EXPECT_EQ(after, before);
}

TEST_F(ExportRun, DatabasesOfOneNameInTwoSubFoldersAreBothCopied) {
  for (const char* folder : {"un", "deux"}) fs::create_directories(root / folder);
  MakeTable(root / "deux" / "carnet.sqlite", "t", 2);
  MakeTable(root / "un" / "carnet.sqlite", "t", 1);
  Options(false, false, false, true, true);
  Run(root, result);
  EXPECT_EQ(AllPaths(copies), (Lines{"carnet (2).sqlite", "carnet.sqlite"}));
  // "deux" comes before "un": its database is copied first.
  EXPECT_EQ(fixtures::DatabaseContent(copies / "carnet.sqlite"), fixtures::DatabaseContent(root / "deux" / "carnet.sqlite"));
  EXPECT_EQ(fixtures::DatabaseContent(copies / "carnet (2).sqlite"),
            fixtures::DatabaseContent(root / "un" / "carnet.sqlite"));
}

}  // namespace
