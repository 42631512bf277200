// Dialogs, message boxes, the stop key and the event loop's yield: where the system meets
// its user.
#pragma once

#include <chrono>

#include "platform/files/files.h"
#include "platform/runtime/object.h"

namespace platform {

// ---- Dialogs and the stop key -------------------------------------------------------------

// Modal folder dialog: the chosen folder, or nil when cancelled. It opens in
// FolderDialogStart().
Ref<FolderItem> SelectFolder();
// Modal save dialog: the chosen file (it need not exist), or nil when cancelled. The file
// type "TEXT" offers text files; the proposed name stands in the name field. It opens in
// SaveDialogStart().
Ref<FolderItem> GetSaveFolderItem(const String& fileType, const String& proposedName);
// Where the dialogs open: the folder dialog in the last folder chosen in it since the
// application started, else in the user's home folder; the save dialog in the folder that
// holds that folder (a result file beside the folder that it describes, not inside it), else
// in the home folder. Held in memory only: nothing is stored when the application ends.
String FolderDialogStart();
String SaveDialogStart();
// Modal message box over the main window, wide enough for its title; returns when
// dismissed. Keys typed before it appears, and for kMessageAnswerDelay after, answer
// nothing: they were meant for what came before.
void MsgBox(const String& text);
inline constexpr std::chrono::milliseconds kMessageAnswerDelay{400};
// True once for each press of Esc since it last answered True.
bool UserCancelled();

// Lets the event loop run when kEventLoopInterval has passed since it last did: the window
// repaints, its check boxes answer and Esc is seen. Cheap enough to call for every value:
// the clock (MonotonicNow) is read on every kClockGate-th call only. It is also the yield of
// the platform's own long tasks (RuntimeYield).
namespace detail {
inline constexpr unsigned kClockGate = 32;
inline constexpr std::chrono::milliseconds kEventLoopInterval{20};

// What a long task shares with the event loop that it lets run: one for the process, as
// there is one event loop.
struct BackgroundTask {
  unsigned calls = 0;
  std::chrono::steady_clock::time_point lastEventLoop{};
  bool inside = false;         // the event loop is running inside the yield
  bool escapePressed = false;  // an Esc seen there and not yet asked for
};
extern BackgroundTask backgroundTask;
void BackgroundTaskTick();
}  // namespace detail
inline void RuntimeBackgroundTask() {
  if ((++detail::backgroundTask.calls % detail::kClockGate) == 0) detail::BackgroundTaskTick();
}

// The one seam between the system and its user: the dialogs, the message boxes and the stop
// key. The application uses Qt's dialogs and the real Esc key; tests answer from a script.
class Interaction {
 public:
  virtual ~Interaction() = default;
  virtual Ref<FolderItem> SelectFolder() = 0;
  virtual Ref<FolderItem> GetSaveFolderItem(const String& fileType, const String& proposedName) = 0;
  virtual void MsgBox(const String& text) = 0;
  virtual bool UserCancelled() = 0;
};

// Installs the interaction that the functions above go through (nil: the real one). The
// caller keeps ownership.
void SetInteraction(Interaction* interaction);

// Forgets the folder last chosen, as at the application's start (RuntimeInit).
void RuntimeForgetChosenFolder();

// The real stop key: True once for each Esc pressed while the event loop ran inside
// RuntimeBackgroundTask, since it last answered True. Such an Esc is taken by the stop and
// goes to no control.
bool TakeEscapePress();

// True while the event loop runs inside RuntimeBackgroundTask: a handler is in the middle of
// a long task.
bool RuntimeInsideBackgroundTask();
// Asks the running task to stop, as a press of Esc does.
void RuntimeRequestStop();

}  // namespace platform
