#include "shell/main_window.h"

using namespace platform;

namespace {

template <class C>
Ref<C> ControlOf(Window1& window, std::string_view name) {
  return RuntimeCheckCast<C>(window._ControlByName(name));
}

}  // namespace

Window1::Window1() : Window(String("Window1.Window1")) {}

Ref<CheckBox> Window1::AfficheInfo() { return ControlOf<CheckBox>(*this, "AfficheInfo"); }
Ref<CheckBox> Window1::TablesVides() { return ControlOf<CheckBox>(*this, "TablesVides"); }
Ref<CheckBox> Window1::NomsRubriques() { return ControlOf<CheckBox>(*this, "NomsRubriques"); }
Ref<CheckBox> Window1::Recursif() { return ControlOf<CheckBox>(*this, "Recursif"); }
Ref<CheckBox> Window1::CopieBase() { return ControlOf<CheckBox>(*this, "CopieBase"); }
Ref<PushButton> Window1::BtnDemarrer() { return ControlOf<PushButton>(*this, "BtnDemarrer"); }
Ref<Label> Window1::NbBases() { return ControlOf<Label>(*this, "NbBases"); }
Ref<Label> Window1::NbRecords() { return ControlOf<Label>(*this, "NbRecords"); }
Ref<Label> Window1::NomBase() { return ControlOf<Label>(*this, "NomBase"); }
Ref<Label> Window1::NomTable() { return ControlOf<Label>(*this, "NomTable"); }
Ref<Label> Window1::NomDossier() { return ControlOf<Label>(*this, "NomDossier"); }

void Window1::OnCreateControls() {
  struct Box {
    const char* name;
    int top;
    const char* caption;
  };
  for (const Box& box : {Box{"TablesVides", 41, "Inclure les tables vides"},
                         Box{"NomsRubriques", 62, "Ne pas inclure les noms des rubriques"},
                         Box{"AfficheInfo", 125, "Afficher les infos pendant la conversion"},
                         Box{"Recursif", 146, "Recherche récursive dans tous les sous-dossiers"},
                         Box{"CopieBase", 167, "Copier chaque base dans le même dossier que le fichier résultat"}}) {
    Ref<CheckBox> control = New<CheckBox>();
    control->SetLeft(29);
    control->SetTop(box.top);
    control->SetWidth(504);
    control->SetHeight(20);
    control->SetCaption(box.caption);
    _AddControl(box.name, control);
  }
  Ref<PushButton> start = New<PushButton>();
  start->SetLeft(452);
  start->SetTop(210);
  start->SetWidth(124);
  start->SetHeight(20);
  start->SetCaption("Démarrer");
  _AddControl("BtnDemarrer", start);
  int row = 0;
  for (const char* name : {"NomDossier", "NbBases", "NomBase", "NomTable", "NbRecords"}) {
    Ref<Label> label = New<Label>();
    label->SetLeft(222);
    label->SetTop(326 + 32 * row++);
    label->SetWidth(208);
    label->SetHeight(20);
    _AddControl(name, label);
  }
  SetTitle("Quorvane v2");
  SetWidth(596);
  SetHeight(532);
}

void Window1::OnOpen() { SetHeight(246); }

Ref<Window1> ImplicitWindow1() {
  Ref<Window> live = RuntimeGetImplicitWindow("Window1.Window1");
  if (!live) {
    Ref<Window1> made = New<Window1>();
    made->Constructor();
    live = made;
  }
  return RuntimeCheckCast<Window1>(live);
}
