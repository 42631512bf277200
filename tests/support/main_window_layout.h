// The main window's 43 controls as the designer laid them out, in creation order, written
// apart from the code that compiles their lists: the list test reads every list against it,
// the window test every control as built.
#pragma once

#include <string_view>

#include "shell/main_window_lists.h"

namespace main_window_layout {

inline constexpr std::string_view kOnWindow = "";
inline constexpr int kNoTab = -1;
inline constexpr std::string_view kBlackOpaque = "TextColor=000000 Transparent=0";
inline constexpr std::string_view kWhiteTransparent = "TextColor=FFFFFF Transparent=1";
inline constexpr std::string_view kEnabled = "Enabled=1";
inline constexpr std::string_view kDisabled = "Enabled=0";
inline constexpr std::string_view kPlain = "Default=0 Cancel=0";

struct Row {
  std::string_view name;
  ControlKind kind;
  std::string_view container;
  int left, top, width, height, tab;
  std::string_view text;   // the Caption or the Text, whichever the class has
  std::string_view other;  // further values, "Name=value" separated by blanks
};

using K = ControlKind;
inline const Row kRows[] = {
    {"GroupBox1", K::GroupBox, kOnWindow, 20, 20, 556, 178, 1, "Paramètres", ""},
    {"AfficheInfo", K::CheckBox, "GroupBox1", 29, 125, 281, 20, 4, "Afficher les infos pendant la conversion", kEnabled},
    {"TablesVides", K::CheckBox, "GroupBox1", 29, 41, 166, 20, 0, "Inclure les tables vides", kEnabled},
    {"CheckBox2", K::CheckBox, "GroupBox1", 29, 104, 240, 20, 3, "Traiter les colonnes de type Date", kDisabled},
    {"CheckBox1", K::CheckBox, "GroupBox1", 29, 83, 180, 20, 2, "Un fichier texte par base", kDisabled},
    {"NomsRubriques", K::CheckBox, "GroupBox1", 29, 62, 281, 20, 1, "Ne pas inclure les noms des rubriques", kEnabled},
    {"Recursif", K::CheckBox, "GroupBox1", 29, 146, 416, 20, 5, "Recherche récursive dans tous les sous-dossiers", kEnabled},
    {"CopieBase", K::CheckBox, "GroupBox1", 29, 167, 504, 20, 6, "Copier chaque base dans le même dossier que le fichier résultat", kEnabled},
    {"BtnAide", K::PushButton, kOnWindow, 260, 210, 80, 20, 3, "Aide ?", kPlain},
    {"BtnQuitter", K::PushButton, kOnWindow, 20, 210, 80, 20, 2, "Quitter", "Default=0 Cancel=1"},
    {"Label1", K::Label, kOnWindow, 75, 242, 450, 20, 4, "Traitement en cours, veuillez patienter. Appuyez sur Esc pour stopper", kBlackOpaque},
    {"ProgressBar1", K::ProgressBar, kOnWindow, 192, 274, 217, 20, kNoTab, "", ""},
    {"Line1", K::Line, kOnWindow, 214, 351, 100, 50, kNoTab, "", "X1=214 Y1=351 X2=574 Y2=351 LineColor=000000"},
    {"Line2", K::Line, kOnWindow, 24, 447, 100, 50, kNoTab, "", "X1=24 Y1=447 X2=212 Y2=447 LineColor=FFFFFF"},
    {"Line3", K::Line, kOnWindow, 24, 479, 100, 50, kNoTab, "", "X1=24 Y1=479 X2=212 Y2=479 LineColor=FFFFFF"},
    {"Line4", K::Line, kOnWindow, 214, 383, 100, 50, kNoTab, "", "X1=214 Y1=383 X2=574 Y2=383 LineColor=000000"},
    {"Line5", K::Line, kOnWindow, 214, 415, 100, 50, kNoTab, "", "X1=214 Y1=415 X2=574 Y2=415 LineColor=000000"},
    {"Line6", K::Line, kOnWindow, 214, 447, 100, 50, kNoTab, "", "X1=214 Y1=447 X2=574 Y2=447 LineColor=000000"},
    {"Line7", K::Line, kOnWindow, 214, 479, 100, 50, kNoTab, "", "X1=214 Y1=479 X2=574 Y2=479 LineColor=000000"},
    {"Line8", K::Line, kOnWindow, 214, 511, 100, 50, kNoTab, "", "X1=214 Y1=511 X2=574 Y2=511 LineColor=000000"},
    {"Line10", K::Line, kOnWindow, 24, 383, 100, 50, kNoTab, "", "X1=24 Y1=383 X2=212 Y2=383 LineColor=FFFFFF"},
    {"Line11", K::Line, kOnWindow, 24, 415, 100, 50, kNoTab, "", "X1=24 Y1=415 X2=212 Y2=415 LineColor=FFFFFF"},
    {"NbBases", K::Label, kOnWindow, 222, 358, 208, 20, 5, "Nombre de bases/total", kBlackOpaque},
    {"NbBases1", K::Label, kOnWindow, 35, 358, 148, 20, 6, "Db restant à traiter", kWhiteTransparent},
    {"NbRecords", K::Label, kOnWindow, 222, 486, 208, 20, 7, "Nombre records/total", kBlackOpaque},
    {"NbRecords1", K::Label, kOnWindow, 35, 486, 174, 20, 8, "Nb total d'enregistrements", kWhiteTransparent},
    {"Nbtables", K::Label, kOnWindow, 222, 422, 208, 20, 9, "Nombre tables/total", kBlackOpaque},
    {"Nbtables1", K::Label, kOnWindow, 35, 422, 167, 20, 10, "Tables restant à traiter", kWhiteTransparent},
    {"NomBase", K::Label, kOnWindow, 222, 390, 208, 20, 11, "Nom base de données courante", kBlackOpaque},
    {"NomBase1", K::Label, kOnWindow, 35, 390, 114, 20, 12, "Db en cours", kWhiteTransparent},
    {"NomTable", K::Label, kOnWindow, 222, 454, 208, 20, 13, "Nom de table courate", kBlackOpaque},
    {"NomTable1", K::Label, kOnWindow, 35, 454, 114, 20, 14, "Table en cours", kWhiteTransparent},
    {"Rectangle1", K::Rectangle, kOnWindow, 27, 325, 188, 187, 15, "", ""},
    {"NomDossier2", K::Label, "Rectangle1", 35, 326, 148, 20, 0, "Nom du dossier", kWhiteTransparent},
    {"NbBases2", K::Label, "Rectangle1", 35, 358, 148, 20, 1, "Db restant à traiter", kWhiteTransparent},
    {"NomBase2", K::Label, "Rectangle1", 35, 390, 114, 20, 2, "Db en cours", kWhiteTransparent},
    {"Nbtables2", K::Label, "Rectangle1", 35, 422, 167, 20, 3, "Tables restant à traiter", kWhiteTransparent},
    {"NomTable2", K::Label, "Rectangle1", 35, 454, 114, 20, 4, "Table en cours", kWhiteTransparent},
    {"NbRecords2", K::Label, "Rectangle1", 35, 486, 174, 20, 5, "Nb total d'enregistrements", kWhiteTransparent},
    {"Line9", K::Line, kOnWindow, 24, 351, 100, 50, kNoTab, "", "X1=24 Y1=351 X2=212 Y2=351 LineColor=FFFFFF"},
    {"NomDossier", K::Label, kOnWindow, 222, 326, 208, 20, 16, "Nom du dossier", kBlackOpaque},
    {"NomDossier1", K::Label, kOnWindow, 35, 326, 148, 20, 17, "Nom du dossier", kWhiteTransparent},
    {"BtnDemarrer", K::PushButton, kOnWindow, 452, 210, 124, 20, 0, "Démarrer", "Default=1 Cancel=0"},
};

}  // namespace main_window_layout
