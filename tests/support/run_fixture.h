// A main window, a scripted user, a pinned clock and a French locale: everything an export
// run needs to be driven from a test.
#pragma once

#include <gtest/gtest.h>

#include <QLocale>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "engine/export_run.h"
#include "shell/app.h"
#include "shell/main_window.h"
#include "tests/support/fixtures.h"
#include "tests/support/scripted_interaction.h"

class RunFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    platform::SetClockForTesting([] { return platform::CivilTime{2026, 12, 10, 7, 27, 37}; });
    window = ImplicitWindow1();
    fixtures::fs::create_directories(root);
    fixtures::fs::create_directories(result.parent_path());
  }
  void TearDown() override {
    window->Close();
    platform::SetClockForTesting(nullptr);
    QLocale::setDefault(QLocale::c());
  }

  // Sets the five options, in the order of the window's group.
  void Options(bool tablesVides, bool nomsRubriques, bool afficheInfo, bool recursif, bool copieBase) {
    window->TablesVides()->SetValue(tablesVides);
    window->NomsRubriques()->SetValue(nomsRubriques);
    window->AfficheInfo()->SetValue(afficheInfo);
    window->Recursif()->SetValue(recursif);
    window->CopieBase()->SetValue(copieBase);
  }

  // One press of the Start button, answered by the script.
  void Run(const fixtures::fs::path& root, const fixtures::fs::path& result) {
    user.folder = root.string();
    user.resultFile = result.string();
    window->BtnDemarrer_Action(window->BtnDemarrer());
  }

  std::vector<std::string> ResultLines(const fixtures::fs::path& result) const {
    return fixtures::Lines(fixtures::ReadFile(result));
  }

  // Runs on the usual root, as the user nobody when asked, then checks that no input changed
  // and that nothing was made beside them; gives the result file's lines.
  std::vector<std::string> RunKeepingInputs(const fixtures::fs::path& resultFile, bool unprivileged = false);
  std::vector<std::string> RunKeepingInputs(bool unprivileged = false) {
    return RunKeepingInputs(result, unprivileged);
  }

  fixtures::TempDir temp;
  // The usual root folder and result file; the result file stands outside the root.
  fixtures::fs::path root = temp / "racine";
  fixtures::fs::path result = temp / "out" / "resultat.txt";
  // The copy folder of a run that starts at the fixture's moment with that result file.
  fixtures::fs::path copies = temp / "out" / "resultat.txt_2026-12-10_072737";
  ScriptedInteraction user;
  platform::Ref<Window1> window;
};

inline constexpr char kCreationLine[] = "fichier créé le jeudi 10 décembre 2026 à 07:27:37";
inline constexpr char kFooterLine[] = "fichier terminé le jeudi 10 décembre 2026 à 07:27:37";
inline constexpr char kDescriptionLine[] =
    "Chaque ligne est composée de : \r - Nom de la base de données\r - Nom de la table\r"
    " - Rowid de l'enregistrement\r - Le contenu de l'enregistrement";

inline constexpr char kRule[] = "====================================";
inline constexpr char kNotADatabase[] = "Ce fichier n'est pas une base SQLite";
inline constexpr char kCancelLine[] = "Traitement annulé à l'utilisateur";
inline constexpr char kFinishedMessage[] = "Traitement terminé !";

// A line of cells: each cell follows a TAB, so that the first cell is empty.
inline std::string Cells(std::initializer_list<std::string> cells) {
  std::string line;
  for (const std::string& cell : cells) line += "\t" + cell;
  return line;
}

// The lines that a run is expected to write, composed in the order of the file.
class ExpectedFile {
 public:
  // The four header lines, with the root folder's entry count.
  explicit ExpectedFile(long long entryCount)
      : lines_{kCreationLine, kDescriptionLine, "", "Nb de bases de données : " + std::to_string(entryCount)} {}

  // The entry's block of four lines.
  ExpectedFile& Entry(const fixtures::fs::path& entry) {
    const std::string name = entry.filename().string();
    lines_.insert(lines_.end(),
                  {"", kRule, "Nom du fichier suivant : " + name + " (dossier :" + entry.string() + " )", kRule});
    return *this;
  }
  // The entry's block and its not-a-database line.
  ExpectedFile& NotADatabase(const fixtures::fs::path& entry) {
    Entry(entry);
    return Line(Cells({entry.filename().string(), kNotADatabase}));
  }
  ExpectedFile& Line(const std::string& line) {
    lines_.push_back(line);
    return *this;
  }
  ExpectedFile& Lines(std::initializer_list<std::string> lines) {
    lines_.insert(lines_.end(), lines);
    return *this;
  }
  // The whole file: the cancel lines when the walk was stopped, then the footer line.
  std::vector<std::string> End(bool stopped = false) const {
    std::vector<std::string> all = lines_;
    if (stopped) all.insert(all.end(), {"", kCancelLine});
    all.push_back(kFooterLine);
    return all;
  }

 private:
  std::vector<std::string> lines_;
};

// Every path below the folder, folders included, for "nothing was created" checks.
inline std::vector<std::string> AllPaths(const fixtures::fs::path& folder) {
  std::vector<std::string> paths;
  for (const auto& entry : fixtures::fs::recursive_directory_iterator(folder))
    paths.push_back(fixtures::fs::relative(entry.path(), folder).string());
  std::sort(paths.begin(), paths.end());
  return paths;
}

// What differs between two snapshots of a folder: "+name" for a new file, "-name" for one
// gone, "~name" for one whose bytes changed. Short enough to read when a test fails.
inline std::vector<std::string> Changes(const std::vector<std::pair<std::string, std::string>>& before,
                                        const std::vector<std::pair<std::string, std::string>>& after) {
  std::vector<std::string> changes;
  auto b = before.begin(), a = after.begin();
  while (b != before.end() || a != after.end()) {
    if (a == after.end() || (b != before.end() && b->first < a->first)) {
      changes.push_back("-" + (b++)->first);
    } else if (b == before.end() || a->first < b->first) {
      changes.push_back("+" + (a++)->first);
    } else {
      if (a->second != b->second) changes.push_back("~" + a->first);
      ++a, ++b;
    }
  }
  return changes;
}

inline std::vector<std::string> RunFixture::RunKeepingInputs(const fixtures::fs::path& resultFile,
                                                             bool unprivileged) {
  const auto before = fixtures::Snapshot(root);
  const auto paths = AllPaths(root);
  {
    std::optional<fixtures::Unprivileged> nobody;
    if (unprivileged) nobody.emplace(temp.path());
    Run(root, resultFile);
  }
  EXPECT_EQ(Changes(before, fixtures::Snapshot(root)), std::vector<std::string>{});
  EXPECT_EQ(AllPaths(root), paths);
  return ResultLines(resultFile);
}

// The line that says what could not be read, for the whole entry or a part of it.
inline std::string UnreadableLine(const std::string& entry, const std::string& reason) {
  return Cells({entry, "lecture impossible : " + reason});
}
inline std::string UnreadableLine(const std::string& entry, const std::string& what, const std::string& reason) {
  return Cells({entry, "lecture impossible (" + what + ") : " + reason});
}

// The closing message of a run in which that many entries could not be read or copied.
inline std::string FinishedWith(int troubled) {
  const std::string count = troubled == 1 ? "1 élément n'a pas pu être lu ou copié : le fichier texte le signale"
                                          : std::to_string(troubled) +
                                                " éléments n'ont pas pu être lus ou copiés : le fichier texte les signale";
  return std::string(kFinishedMessage) + "\n" + count + " par « lecture impossible » ou « copie impossible ».";
}

// A database with one table of the given rows, in a single column "v" holding "r1", "r2", ...
inline void MakeTable(const fixtures::fs::path& file, const std::string& table, int rows) {
  fixtures::MakeDatabase(file, "CREATE TABLE \"" + table + "\"(v TEXT);"
                               "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                                   std::to_string(rows) + ") INSERT INTO \"" + table +
                                   "\" SELECT 'r' || i FROM n WHERE " + std::to_string(rows) + " > 0;");
}

// The row line that MakeTable's row i gives.
inline std::string RowOf(const std::string& database, const std::string& table, int i) {
  return Cells({database, table, std::to_string(i), "r" + std::to_string(i)});
}
// The column-name line of a MakeTable table.
inline std::string ColumnsOf(const std::string& database, const std::string& table, int rows) {
  return Cells({database, table + " (" + std::to_string(rows) + ")", "Rowid", "v"});
}
