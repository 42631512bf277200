#include "shell/main_window_lists.h"

#include <cstdint>
#include <limits>

#include "platform/runtime/properties.h"
#include "shell/main_window.h"

namespace {

using platform::Color;
using platform::kBlack;
using platform::kWhite;
using namespace platform::property_list;

// Every control's `Index`: the lowest 32-bit integer, 80 00 00 00.
constexpr std::int32_t kIndex = std::numeric_limits<std::int32_t>::min();
// The container of a control placed on the window itself: the empty `InitialParent`.
constexpr std::string_view kWindow = "";

// A control class's entries, in the class's list order, with the class they are for.
template <std::size_t N>
struct ClassList {
  ControlKind kind;
  std::array<Entry, N> entries;
};

// ---- One function per control class: the row's values in, the class's full list out -------

constexpr ClassList<23> GroupBox(std::string_view name, std::string_view container, std::int32_t left,
                                 std::int32_t top, std::int32_t width, std::int32_t height, std::int32_t tab,
                                 std::string_view caption) {
  return {ControlKind::GroupBox,
          {Text("Name", name), Integer("Index", kIndex), Integer("Left", left), Integer("Top", top),
           Integer("Width", width), Integer("Height", height), Boolean("LockLeft", true), Boolean("LockTop", true),
           Boolean("LockRight", false), Boolean("LockBottom", false), Integer("TabPanelIndex", 0),
           Integer("TabIndex", tab), Boolean("TabStop", true), Text("Caption", caption), Boolean("Enabled", true),
           Boolean("Visible", true), Text("HelpTag", ""), Boolean("AutoDeactivate", true), Text("TextFont", "System"),
           Boolean("Bold", false), Boolean("Italic", false), Boolean("Underline", false),
           Text("InitialParent", container)}};
}

constexpr bool kEnabled = true;
constexpr bool kDisabled = false;

constexpr ClassList<27> CheckBox(std::string_view name, std::string_view container, std::int32_t left,
                                 std::int32_t top, std::int32_t width, std::int32_t height, std::int32_t tab,
                                 std::string_view caption, bool enabled) {
  return {ControlKind::CheckBox,
          {Text("Name", name), Integer("Index", kIndex), Integer("Left", left), Integer("Top", top),
           Integer("Width", width), Integer("Height", height), Boolean("LockLeft", true), Boolean("LockTop", true),
           Boolean("LockRight", false), Boolean("LockBottom", false), Integer("TabPanelIndex", 0),
           Integer("TabIndex", tab), Boolean("TabStop", true), Text("Caption", caption), Boolean("Enabled", enabled),
           Boolean("Visible", true), Text("HelpTag", ""), Boolean("AutoDeactivate", true), Text("TextFont", "System"),
           Boolean("Bold", false), Boolean("Italic", false), Boolean("Underline", false),
           Integer("State", 0),  // unchecked
           Boolean("Value", false), Text("DataSource", ""), Text("DataField", ""), Text("InitialParent", container)}};
}

// Which key role a button has in its window.
enum class ButtonRole { Plain, Default, Cancel };
constexpr ButtonRole kPlainButton = ButtonRole::Plain;
constexpr ButtonRole kDefaultButton = ButtonRole::Default;
constexpr ButtonRole kCancelButton = ButtonRole::Cancel;

constexpr ClassList<26> PushButton(std::string_view name, std::string_view container, std::int32_t left,
                                   std::int32_t top, std::int32_t width, std::int32_t height, std::int32_t tab,
                                   std::string_view caption, ButtonRole role) {
  return {ControlKind::PushButton,
          {Text("Name", name), Integer("Index", kIndex), Integer("Left", left), Integer("Top", top),
           Integer("Width", width), Integer("Height", height), Boolean("LockLeft", true), Boolean("LockTop", true),
           Boolean("LockRight", false), Boolean("LockBottom", false), Integer("TabPanelIndex", 0),
           Integer("TabIndex", tab), Boolean("TabStop", true), Text("Caption", caption),
           Boolean("Default", role == ButtonRole::Default), Boolean("Cancel", role == ButtonRole::Cancel),
           Boolean("Enabled", true), Boolean("Visible", true), Text("HelpTag", ""), Boolean("AutoDeactivate", true),
           Integer("ButtonStyle", 0), Text("TextFont", "System"), Boolean("Bold", false), Boolean("Italic", false),
           Boolean("Underline", false), Text("InitialParent", container)}};
}

// The two looks of the labels: values black on the window, captions white over the black
// rectangle.
enum class LabelLook { BlackOpaque, WhiteTransparent };
constexpr LabelLook kBlackOpaque = LabelLook::BlackOpaque;
constexpr LabelLook kWhiteTransparent = LabelLook::WhiteTransparent;

constexpr ClassList<29> Label(std::string_view name, std::string_view container, std::int32_t left, std::int32_t top,
                              std::int32_t width, std::int32_t height, std::int32_t tab, std::string_view text,
                              LabelLook look) {
  const bool white = look == LabelLook::WhiteTransparent;
  return {ControlKind::Label,
          {Text("Name", name), Integer("Index", kIndex), Integer("Left", left), Integer("Top", top),
           Integer("Width", width), Integer("Height", height), Boolean("LockLeft", true), Boolean("LockTop", true),
           Boolean("LockRight", false), Boolean("LockBottom", false), Integer("TabPanelIndex", 0),
           Integer("TabIndex", tab), Text("Text", text), Integer("TextAlign", 0),
           Colour("TextColor", white ? kWhite : kBlack),
           Boolean("Multiline", false),  // the class declares MultiLine; names match without regard to case
           Boolean("Enabled", true), Boolean("Visible", true), Boolean("Selectable", false),
           Boolean("Transparent", white), Text("HelpTag", ""), Boolean("AutoDeactivate", true),
           Text("TextFont", "System"), Boolean("Bold", false), Boolean("Italic", false), Boolean("Underline", false),
           Text("DataSource", ""), Text("DataField", ""), Text("InitialParent", container)}};
}

constexpr ClassList<18> ProgressBar(std::string_view name, std::string_view container, std::int32_t left,
                                    std::int32_t top, std::int32_t width, std::int32_t height) {
  return {ControlKind::ProgressBar,
          {Text("Name", name), Integer("Index", kIndex), Integer("Left", left), Integer("Top", top),
           Integer("Width", width), Integer("Height", height), Boolean("LockLeft", true), Boolean("LockTop", true),
           Boolean("LockRight", false), Boolean("LockBottom", false), Integer("TabPanelIndex", 0),
           Boolean("Visible", true), Text("HelpTag", ""), Boolean("AutoDeactivate", true), Boolean("Enabled", true),
           Integer("Value", 0), Integer("Maximum", 0),  // Maximum 0: a busy bar
           Text("InitialParent", container)}};
}

// A line is placed by its two ends; `Left` and `Top` repeat the first end, and its `Width` and
// `Height` are the class's fixed 100 by 50.
constexpr ClassList<15> Line(std::string_view name, std::string_view container, std::int32_t x1, std::int32_t y1,
                             std::int32_t x2, std::int32_t y2, Color colour) {
  return {ControlKind::Line,
          {Text("Name", name), Integer("Index", kIndex), Integer("Top", y1), Integer("Left", x1),
           Integer("Width", 100), Integer("Height", 50), Integer("X1", x1), Integer("X2", x2), Integer("Y1", y1),
           Integer("Y2", y2), Integer("TabPanelIndex", 0), Boolean("Visible", true), Integer("BorderWidth", 1),
           Colour("LineColor", colour), Text("InitialParent", container)}};
}

constexpr ClassList<21> Rectangle(std::string_view name, std::string_view container, std::int32_t left,
                                  std::int32_t top, std::int32_t width, std::int32_t height, std::int32_t tab) {
  return {ControlKind::Rectangle,
          {Text("Name", name), Integer("Index", kIndex), Integer("Left", left), Integer("Top", top),
           Integer("Width", width), Integer("Height", height), Boolean("LockLeft", true), Boolean("LockTop", true),
           Boolean("LockRight", false), Boolean("LockBottom", false), Integer("TabIndex", tab),
           Integer("TabPanelIndex", 0), Boolean("Visible", true), Text("HelpTag", ""), Boolean("AutoDeactivate", true),
           Boolean("Enabled", true), Colour("FillColor", kBlack), Integer("BorderWidth", 1),
           Colour("TopLeftColor", kBlack), Colour("BottomRightColor", kBlack), Text("InitialParent", container)}};
}

// ---- From a row to its compiled list ----------------------------------------------------------

// The bytes of one row, made once by the compiler and kept in static storage, so that the
// control's string_view can point at them.
template <class Row>
struct Compiled {
  static constexpr auto bytes = Compile([] { return Row{}().entries; });
};

template <class Row>
consteval ControlSpec Made(Row) {
  constexpr auto row = Row{}();
  static_assert(row.entries.front().name == "Name" && row.entries.back().name == "InitialParent");
  return {row.entries.front().text, row.kind, View(Compiled<Row>::bytes)};
}

constexpr auto kWindowBytes = Compile([] {
  return std::array{
      Integer("Placement", 3),         Integer("Width", 596),           Integer("Height", kHeightRunningWithPanel),
      Integer("MinWidth", 64),         Integer("MinHeight", 64),        Integer("MaxWidth", 32000),
      Integer("MaxHeight", 32000),     Integer("Frame", 0),             Boolean("Composite", false),
      Boolean("HasBackColor", false),  Colour("BackColor", kWhite),     Text("Title", "Quorvane v2"),
      Boolean("Visible", true),        Boolean("FullScreen", false),    Boolean("MenuBarVisible", true),
      Boolean("CloseButton", true),    Boolean("Resizeable", false),    Boolean("LiveResize", true),
      Boolean("MaximizeButton", false), Boolean("MinimizeButton", false), Boolean("FullScreenButton", false),
      Integer("MacProcID", 0),  // the class declares MacProcId; names match without regard to case
  };
});

}  // namespace

constexpr std::string_view kMainWindowList = View(kWindowBytes);

// clang-format off
constexpr std::array<ControlSpec, kMainWindowControlCount> kMainWindowControls{
  //                           control          container  left  top  width height tab  caption or text, other
  Made([] { return GroupBox(   "GroupBox1",     kWindow,      20,  20,  556, 178,  1, "Paramètres"); }),
  Made([] { return CheckBox(   "AfficheInfo",   "GroupBox1",  29, 125,  281,  20,  4, "Afficher les infos pendant la conversion", kEnabled); }),
  Made([] { return CheckBox(   "TablesVides",   "GroupBox1",  29,  41,  166,  20,  0, "Inclure les tables vides", kEnabled); }),
  Made([] { return CheckBox(   "CheckBox2",     "GroupBox1",  29, 104,  240,  20,  3, "Traiter les colonnes de type Date", kDisabled); }),
  Made([] { return CheckBox(   "CheckBox1",     "GroupBox1",  29,  83,  180,  20,  2, "Un fichier texte par base", kDisabled); }),
  Made([] { return CheckBox(   "NomsRubriques", "GroupBox1",  29,  62,  281,  20,  1, "Ne pas inclure les noms des rubriques", kEnabled); }),
  Made([] { return CheckBox(   "Recursif",      "GroupBox1",  29, 146,  416,  20,  5, "Recherche récursive dans tous les sous-dossiers", kEnabled); }),
  Made([] { return CheckBox(   "CopieBase",     "GroupBox1",  29, 167,  504,  20,  6, "Copier chaque base dans le même dossier que le fichier résultat", kEnabled); }),
  Made([] { return PushButton( "BtnAide",       kWindow,     260, 210,   80,  20,  3, "Aide ?", kPlainButton); }),
  Made([] { return PushButton( "BtnQuitter",    kWindow,      20, 210,   80,  20,  2, "Quitter", kCancelButton); }),
  Made([] { return Label(      "Label1",        kWindow,      75, 242,  450,  20,  4, "Traitement en cours, veuillez patienter. Appuyez sur Esc pour stopper", kBlackOpaque); }),
  Made([] { return ProgressBar("ProgressBar1",  kWindow,     192, 274,  217,  20); }),
  //                           line             container     X1   Y1   X2   Y2  colour
  Made([] { return Line(       "Line1",         kWindow,     214, 351, 574, 351, kBlack); }),
  Made([] { return Line(       "Line2",         kWindow,      24, 447, 212, 447, kWhite); }),
  Made([] { return Line(       "Line3",         kWindow,      24, 479, 212, 479, kWhite); }),
  Made([] { return Line(       "Line4",         kWindow,     214, 383, 574, 383, kBlack); }),
  Made([] { return Line(       "Line5",         kWindow,     214, 415, 574, 415, kBlack); }),
  Made([] { return Line(       "Line6",         kWindow,     214, 447, 574, 447, kBlack); }),
  Made([] { return Line(       "Line7",         kWindow,     214, 479, 574, 479, kBlack); }),
  Made([] { return Line(       "Line8",         kWindow,     214, 511, 574, 511, kBlack); }),
  Made([] { return Line(       "Line10",        kWindow,      24, 383, 212, 383, kWhite); }),
  Made([] { return Line(       "Line11",        kWindow,      24, 415, 212, 415, kWhite); }),
  Made([] { return Label(      "NbBases",       kWindow,     222, 358,  208,  20,  5, "Nombre de bases/total", kBlackOpaque); }),
  Made([] { return Label(      "NbBases1",      kWindow,      35, 358,  148,  20,  6, "Db restant à traiter", kWhiteTransparent); }),
  Made([] { return Label(      "NbRecords",     kWindow,     222, 486,  208,  20,  7, "Nombre records/total", kBlackOpaque); }),
  Made([] { return Label(      "NbRecords1",    kWindow,      35, 486,  174,  20,  8, "Nb total d'enregistrements", kWhiteTransparent); }),
  Made([] { return Label(      "Nbtables",      kWindow,     222, 422,  208,  20,  9, "Nombre tables/total", kBlackOpaque); }),
  Made([] { return Label(      "Nbtables1",     kWindow,      35, 422,  167,  20, 10, "Tables restant à traiter", kWhiteTransparent); }),
  Made([] { return Label(      "NomBase",       kWindow,     222, 390,  208,  20, 11, "Nom base de données courante", kBlackOpaque); }),
  Made([] { return Label(      "NomBase1",      kWindow,      35, 390,  114,  20, 12, "Db en cours", kWhiteTransparent); }),
  // made by _CreateControls1 from here on
  Made([] { return Label(      "NomTable",      kWindow,     222, 454,  208,  20, 13, "Nom de table courate", kBlackOpaque); }),
  Made([] { return Label(      "NomTable1",     kWindow,      35, 454,  114,  20, 14, "Table en cours", kWhiteTransparent); }),
  Made([] { return Rectangle(  "Rectangle1",    kWindow,      27, 325,  188, 187, 15); }),
  Made([] { return Label(      "NomDossier2",   "Rectangle1", 35, 326,  148,  20,  0, "Nom du dossier", kWhiteTransparent); }),
  Made([] { return Label(      "NbBases2",      "Rectangle1", 35, 358,  148,  20,  1, "Db restant à traiter", kWhiteTransparent); }),
  Made([] { return Label(      "NomBase2",      "Rectangle1", 35, 390,  114,  20,  2, "Db en cours", kWhiteTransparent); }),
  Made([] { return Label(      "Nbtables2",     "Rectangle1", 35, 422,  167,  20,  3, "Tables restant à traiter", kWhiteTransparent); }),
  Made([] { return Label(      "NomTable2",     "Rectangle1", 35, 454,  114,  20,  4, "Table en cours", kWhiteTransparent); }),
  Made([] { return Label(      "NbRecords2",    "Rectangle1", 35, 486,  174,  20,  5, "Nb total d'enregistrements", kWhiteTransparent); }),
  Made([] { return Line(       "Line9",         kWindow,      24, 351, 212, 351, kWhite); }),
  Made([] { return Label(      "NomDossier",    kWindow,     222, 326,  208,  20, 16, "Nom du dossier", kBlackOpaque); }),
  Made([] { return Label(      "NomDossier1",   kWindow,      35, 326,  148,  20, 17, "Nom du dossier", kWhiteTransparent); }),
  Made([] { return PushButton( "BtnDemarrer",   kWindow,     452, 210,  124,  20,  0, "Démarrer", kDefaultButton); }),
};
// clang-format on
