// The help window's construction from its two property lists.
#include "shell/help_window.h"

#include <array>
#include <cstdint>
#include <limits>

using namespace platform;

namespace {

using platform::property_list::Boolean;
using platform::property_list::Colour;
using platform::property_list::Compile;
using platform::property_list::Integer;
using platform::property_list::Text;
using platform::property_list::View;

// The help text: 20 lines, one per source line, joined by CR; no LF, no CR after the last.
// Lines 11 and 15 end with a blank; items begin with " - ".
// clang-format off
constexpr std::string_view kHelpText =
    "Quorvane v2 : Utilitaire d'extraction automatique de toutes les données contenues dans un groupe de bases SQLite afin de les placer dans un fichier texte." "\r"
    "" "\r"
    "But de l'outil : Faciliter la recherche d\"informations simultanément dans plusieurs bases SQLite. Une fois le contenu des bases placé dans un fichier texte, il suffit de faire une simple recherche dans le fichier texte pour savoir si l'information que l'on cherche est présente ou non et surtout de savoir dans quelle table de quelle base elle se trouve." "\r"
    "" "\r"
    "Comment ça marche : Cliquez sur le bouton \"Démarrer\" pour :" "\r"
    " - Sélectionner le dossier racine dans lequel se trouvent vos fichiers de base de données SQLite. Ce dossier sert également de point de départ pour une recherche récursive (cf case à cocher intitulée \"Recherche récursive dans tous les sous-dossiers\")" "\r"
    " - Indiquer le lieu et le nom du fichier Texte. Si vous avez coché la case \"Copier chaque base dans le même dossier que le fichier résultat\" alors un dossier portant le même nom que votre fichier texte sera créé ici et une copie de toutes les bases de données trouvées sera placée dans ce dossier." "\r"
    "" "\r"
    "Structure du fichier texte résultat : Chaque ligne est contient un enregistrement issu des tables de chaque base. La structure d'une ligne est :" "\r"
    " - Nom de la base SQLite" "\r"
    " - Nom de la table " "\r"
    " - Rowid de l'enregistrement" "\r"
    " - Le contenu de l'enregistrement lui-même" "\r"
    "" "\r"
    "Paramètres : " "\r"
    " - Inclure les tables vides : Les tables ne contenant aucune information sont quand même inscrites dans le fichier texte" "\r"
    " - Ne pas inclure les noms des rubriques : Par défaut le contenu de chaque table est précédé par la liste des rubriques. Si on coche cette case, le nom des rubriques n'est pas inscrit." "\r"
    " - Afficher les infos pendant la conversion : Affiche le détail des db et tables ainsi que le nb d'enregistrements traités." "\r"
    " - Recherche récursive dans tous les sous-dossiers : Effectue un traitement récursif dans tous les sous-dossiers." "\r"
    " - Copier chaque base dans le même dossier que le fichier résultat : Chaque base lue est dupliquée dans un dossier créé au même niveau que le fichier texte. Ce dossier porte le même nom que le fichier texte auquel est ajouté la date et l'heure.";
// clang-format on

constexpr auto kWindowBytes = Compile([] {
  return std::array{
      Integer("Placement", 0),         Integer("Width", 600),            Integer("Height", 400),
      Integer("MinWidth", 64),         Integer("MinHeight", 64),         Integer("MaxWidth", 32000),
      Integer("MaxHeight", 32000),     Integer("Frame", 3),              Boolean("Composite", false),
      Boolean("HasBackColor", false),  Colour("BackColor", kWhite),      Text("Title", "Aide Quorvane"),
      Boolean("Visible", true),        Boolean("FullScreen", false),     Boolean("MenuBarVisible", true),
      Boolean("CloseButton", true),    Boolean("Resizeable", true),      Boolean("LiveResize", true),
      Boolean("MaximizeButton", true), Boolean("MinimizeButton", true),  Boolean("FullScreenButton", false),
      Integer("MacProcID", 0),  // the class declares MacProcId; names match without regard to case
  };
});

// The text area fills the window but for a margin of 20, locked to all four edges so that the
// margins hold when the window is resized. It stands on the window itself: no InitialParent.
constexpr auto kTextArea1Bytes = Compile([] {
  return std::array{
      Text("Name", "TextArea1"),         Integer("Index", std::numeric_limits<std::int32_t>::min()),
      Integer("Left", 20),               Integer("Top", 20),
      Integer("Width", 560),             Integer("Height", 360),
      Boolean("LockLeft", true),         Boolean("LockTop", true),
      Boolean("LockRight", true),        Boolean("LockBottom", true),
      Integer("TabPanelIndex", 0),       Integer("TabIndex", 0),
      Boolean("TabStop", true),          Boolean("Border", true),
      // The class declares MultiLine, ScrollBarHorizontal and ScrollBarVertical.
      Boolean("Multiline", true),        Boolean("ScrollbarHorizontal", false),
      Boolean("ScrollbarVertical", true), Boolean("Styled", true),
      Boolean("UseFocusRing", true),     Colour("TextColor", kBlack),
      Colour("BackColor", kWhite),       Boolean("Enabled", true),
      Text("Format", ""),                Boolean("Visible", true),
      Text("HelpTag", ""),               Boolean("AutoDeactivate", true),
      Boolean("HideSelection", true),    Text("TextFont", "System"),
      Boolean("Bold", false),            Boolean("Italic", false),
      Boolean("Underline", false),       Text("Text", kHelpText),
      Text("Mask", ""),                  Boolean("ReadOnly", true),
      Integer("LimitText", 0),           Boolean("AcceptTabs", false),
      Integer("Alignment", 0),           Boolean("AutomaticallyCheckSpelling", true),
      Text("DataSource", ""),            Text("DataField", ""),
  };
});

}  // namespace

constexpr std::string_view kAideWList = View(kWindowBytes);
constexpr std::string_view kAideWTextArea1List = View(kTextArea1Bytes);
constexpr std::string_view kAideWHelpText = kHelpText;

// No menu bar of its own, unlike the main window: the list alone.
void AideW::Layout() { RuntimeMassPropertySetter(Ref<Object>(this), kAideWList); }

void AideW::CreateControls() { Operations::_CreateControls0(*this); }

// Every step after the registration reaches the text area through its name in the window.
// LineSpacing and TextUnit are not in the list, so what is set here stands after it.
void AideW::_CreateControls0() {
  const Ref<Object> made = WindowOperations::__New(*this, TextArea::GetClass());
  RuntimeCheckCast<RectControl>(made, RectControl::GetClass())->Constructor();
  WindowOperations::_AddControl(*this, String("TextArea1"), made);
  RegisteredControl<TextArea>(*this, "TextArea1")->SetLineSpacing(1.0);
  RegisteredControl<TextArea>(*this, "TextArea1")->SetTextUnit(0);
  RuntimeMassPropertySetter(RegisteredControl<TextArea>(*this, "TextArea1"), kAideWTextArea1List);
}
