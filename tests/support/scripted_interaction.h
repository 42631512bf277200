// Answers the dialogs, message boxes and stop key of a run from a script.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui.h"

class ScriptedInteraction : public platform::Interaction {
 public:
  ScriptedInteraction() { platform::SetInteraction(this); }
  ~ScriptedInteraction() override { platform::SetInteraction(nullptr); }

  // The answers of the two dialogs; an empty path stands for a cancel.
  std::optional<std::string> folder;
  std::optional<std::string> resultFile;
  // UserCancelled answers True at this call (1 = the first row), when set.
  std::optional<int> stopAtCall;
  // Runs when a message box is shown, before it is dismissed.
  std::function<void(const std::string&)> onMessage;
  // Runs at every poll of the stop key (1 = the first), before it is answered: the walk is
  // inside a row then, so the window can be looked at, or its options changed.
  std::function<void(int call)> onStopKeyPoll;
  // The stop key is the real Esc key (and whatever else stops a run, such as a quit).
  bool realStopKey = false;

  std::vector<std::string> messages;
  int stopKeyCalls = 0;
  std::string saveFileType, saveProposedName;

  platform::Ref<platform::FolderItem> SelectFolder() override;
  platform::Ref<platform::FolderItem> GetSaveFolderItem(const platform::String& fileType,
                                                        const platform::String& proposedName) override;
  void MsgBox(const platform::String& text) override;
  bool UserCancelled() override;
};
