#include "tests/support/run_fixture.h"

using fixtures::fs::path;
using Lines = std::vector<std::string>;

namespace {

// The folder Archives: carnet.sqlite with one table of two rows, and a plain text file.
class WorkedExample : public RunFixture {
 protected:
  void SetUp() override {
    RunFixture::SetUp();
    root = temp / "Archives";
    fixtures::fs::create_directories(root);
    fixtures::MakeDatabase(root / "carnet.sqlite",
                           "CREATE TABLE contacts(nom TEXT, ville TEXT);"
                           "INSERT INTO contacts VALUES('Durand', 'Nantes');"
                           "INSERT INTO contacts VALUES('Petit', '12 rue Haute' || char(10) || 'Lille');");
    fixtures::WriteFile(root / "lisezmoi.txt", "Bonjour\n");
  }

  Lines Expected(bool withColumnNames) const {
    const std::string carnet = (root / "carnet.sqlite").string();
    const std::string lisezmoi = (root / "lisezmoi.txt").string();
    Lines lines = {kCreationLine, kDescriptionLine, "", "Nb de bases de données : 2", "",
                   "====================================",
                   "Nom du fichier suivant : carnet.sqlite (dossier :" + carnet + " )",
                   "====================================",
                   "\tcarnet.sqlite\tcontacts (2)\tRowid\tnom\tville",
                   "\tcarnet.sqlite\tcontacts\t1\tDurand\tNantes",
                   "\tcarnet.sqlite\tcontacts\t2\tPetit\t12 rue Haute Lille", "", "",
                   "====================================",
                   "Nom du fichier suivant : lisezmoi.txt (dossier :" + lisezmoi + " )",
                   "====================================", "\tlisezmoi.txt\tCe fichier n'est pas une base SQLite",
                   kFooterLine};
    if (!withColumnNames) lines.erase(lines.begin() + 8);
    return lines;
  }

};

TEST_F(WorkedExample, AllOptionsUnchecked) {
  Options(false, false, false, false, false);
  Run(root, result);
  EXPECT_EQ(ResultLines(result), Expected(true));
  EXPECT_EQ(fixtures::ReadFile(result).back(), '\n');
  EXPECT_EQ(user.messages, Lines{"Traitement terminé !"});
}

TEST_F(WorkedExample, NomsRubriquesLeavesOutTheColumnNameLine) {
  Options(false, true, false, false, false);
  Run(root, result);
  EXPECT_EQ(ResultLines(result), Expected(false));
}

TEST_F(WorkedExample, StopAtTheFirstRow) {
  Options(false, false, false, false, false);
  user.stopAtCall = 1;
  Run(root, result);
  Lines expected = Expected(true);
  expected.resize(10);  // up to the first row line
  expected.insert(expected.end(), {"", "Traitement annulé à l'utilisateur", kFooterLine});
  EXPECT_EQ(ResultLines(result), expected);
  EXPECT_EQ(App::ArretTraitement, 0);
}

}  // namespace
