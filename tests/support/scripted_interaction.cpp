#include "tests/support/scripted_interaction.h"

using namespace platform;

Ref<FolderItem> ScriptedInteraction::SelectFolder() {
  if (!folder) return nullptr;
  return New<FolderItem>(*folder);
}

Ref<FolderItem> ScriptedInteraction::GetSaveFolderItem(const String& fileType, const String& proposedName) {
  saveFileType = fileType;
  saveProposedName = proposedName;
  if (!resultFile) return nullptr;
  return New<FolderItem>(*resultFile);
}

void ScriptedInteraction::MsgBox(const String& text) {
  messages.push_back(text);
  if (onMessage) onMessage(text);
}

bool ScriptedInteraction::UserCancelled() {
  ++stopKeyCalls;
  if (onStopKeyPoll) onStopKeyPoll(stopKeyCalls);
  if (realStopKey) return platform::TakeEscapePress();
  return stopAtCall && stopKeyCalls == *stopAtCall;
}
