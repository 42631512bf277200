// The main window: its options, its buttons, its progress panel, and the export run.
#pragma once

#include "platform/database.h"
#include "platform/files.h"
#include "platform/runtime.h"
#include "platform/text.h"
#include "platform/ui.h"

class Window1 : public platform::Window {
 public:
  Window1();

  // Control accessors: the control registered in this window under the accessor's name.
  platform::Ref<platform::CheckBox> AfficheInfo();
  platform::Ref<platform::CheckBox> TablesVides();
  platform::Ref<platform::CheckBox> NomsRubriques();
  platform::Ref<platform::CheckBox> Recursif();
  platform::Ref<platform::CheckBox> CopieBase();
  platform::Ref<platform::PushButton> BtnDemarrer();
  platform::Ref<platform::Label> NbBases();
  platform::Ref<platform::Label> NbRecords();
  platform::Ref<platform::Label> NomBase();
  platform::Ref<platform::Label> NomTable();
  platform::Ref<platform::Label> NomDossier();

  // One export run, from the Start button.
  void BtnDemarrer_Action(const platform::Ref<platform::PushButton>& button);

 protected:
  void OnCreateControls() override;
  void OnOpen() override;

 private:
  // Walks one folder into the result stream; recurses into sub-folders on request.
  void ScanDossier(const platform::Ref<platform::FolderItem>& folder,
                   const platform::Ref<platform::TextOutputStream>& output,
                   const platform::Ref<platform::FolderItem>& copyFolder);
};

// The one live main window, made when none lives.
platform::Ref<Window1> ImplicitWindow1();
