// A main window, a scripted user, a pinned clock and a French locale: everything an export
// run needs to be driven from a test.
#pragma once

#include <gtest/gtest.h>

#include <QLocale>

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
    App::ArretTraitement = 0;
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

  fixtures::TempDir temp;
  ScriptedInteraction user;
  platform::Ref<Window1> window;
};

inline constexpr char kCreationLine[] = "fichier créé le jeudi 10 décembre 2026 à 07:27:37";
inline constexpr char kFooterLine[] = "fichier terminé le jeudi 10 décembre 2026 à 07:27:37";
inline constexpr char kDescriptionLine[] =
    "Chaque ligne est composée de : \r - Nom de la base de données\r - Nom de la table\r"
    " - Rowid de l'enregistrement\r - Le contenu de l'enregistrement";
