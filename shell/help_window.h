// The help window: one read-only text area that shows the help text.
//
// AideW is registered with the platform as "AideW.AideW". Its own four virtual operations
// follow Window's 35 in its table, in member order. Every call of a member listed below goes
// through the window's table of virtual operations.
#pragma once

#include <string_view>

#include "platform/runtime.h"
#include "platform/ui.h"
#include "shell/class_registration.h"

// AideW's own virtual operations, in member order, by the kinds of shell/class_registration.h.
#define AIDEW_OPERATIONS(METHOD, REPLACES, HIDDEN, CONTROL, ...) \
  METHOD(Layout)                                                 \
  METHOD(CreateControls)                                         \
  HIDDEN(_CreateControls0)                                       \
  CONTROL(TextArea1, TextArea)

SYSTEM_CLASS_PLACES(AideWSlot, platform::kWindowOperationCount, AIDEW_OPERATIONS)
inline constexpr std::size_t kAideWOwnOperationCount = At(AideWSlot::End) - platform::kWindowOperationCount;

class AideW : public platform::Window {
 public:
  // The record of the class, registered on first use.
  static platform::ClassRecord* GetClass() { return SystemClass<AideW>::Record(); }

  // Typed calls of the class's own operations through a window's table.
  struct Operations {
    SYSTEM_CLASS_TYPED_CALLS(AideW, AideWSlot, AIDEW_OPERATIONS)
  };

  // The text area, through the table.
  SYSTEM_CLASS_ACCESSORS(AIDEW_OPERATIONS)

  // The code of the hooks. The platform and the window's own code reach them through the
  // table; a direct call runs the code itself.
  void Layout();
  void CreateControls();
  void _CreateControls0();

 private:
  friend class SystemClass<AideW>;
  // What the class adds to Window (help_window_class.cpp).
  static SystemClassDefinition Definition();
};

// The one live help window, made and built when none lives.
platform::Ref<AideW> ImplicitAideW();

// The two property lists, compiled constants: the window's (22 entries) and TextArea1's (40),
// and the help text that TextArea1's list holds as its Text.
extern const std::string_view kAideWList;
extern const std::string_view kAideWTextArea1List;
extern const std::string_view kAideWHelpText;
