// The help window: one read-only text area that shows the help text.
//
// AideW is registered with the platform as "AideW.AideW". Its own four virtual operations
// follow Window's 35 in its table, in member order. Every call of a member listed below goes
// through the window's table of virtual operations.
#pragma once

#include <string_view>

#include "platform/runtime.h"
#include "platform/ui.h"

// AideW's own virtual operations, in member order, by kind:
//   HOOK(name)              "%%"           a construction hook
//   HIDDEN(name)            "%%"           the control-creation method, marked Hidden
//   CONTROL(name, Class)    "%o<Class>%"   the control registered under that name
#define AIDEW_OPERATIONS(HOOK, HIDDEN, CONTROL) \
  HOOK(Layout)                                  \
  HOOK(CreateControls)                          \
  HIDDEN(_CreateControls0)                      \
  CONTROL(TextArea1, TextArea)

// The places of AideW's own operations in its table, after Window's.
enum class AideWSlot : std::size_t {
  BeforeFirst = platform::kWindowOperationCount - 1,
#define AIDEW_SLOT(name, ...) name,
  AIDEW_OPERATIONS(AIDEW_SLOT, AIDEW_SLOT, AIDEW_SLOT)
#undef AIDEW_SLOT
  End
};
constexpr std::size_t At(AideWSlot slot) { return static_cast<std::size_t>(slot); }
inline constexpr std::size_t kAideWOwnOperationCount =
    static_cast<std::size_t>(AideWSlot::End) - platform::kWindowOperationCount;

class AideW : public platform::Window {
 public:
  // The record of the class, registered on first use.
  static platform::ClassRecord* GetClass();

  // Typed calls of the class's own operations through a window's table.
  struct Operations {
    template <class Signature>
    using Op = platform::Operation<Signature>;
#define AIDEW_HOOK_OP(name) static constexpr Op<void(AideW&)> name{At(AideWSlot::name)};
#define AIDEW_CONTROL_OP(name, Class) \
  static constexpr Op<platform::Ref<platform::Class>(AideW&)> name{At(AideWSlot::name)};
    AIDEW_OPERATIONS(AIDEW_HOOK_OP, AIDEW_HOOK_OP, AIDEW_CONTROL_OP)
#undef AIDEW_HOOK_OP
#undef AIDEW_CONTROL_OP
  };

  // The text area, through the table.
  platform::Ref<platform::TextArea> TextArea1() { return Operations::TextArea1(*this); }

  // The code of the hooks. The platform and the window's own code reach them through the
  // table; a direct call runs the code itself.
  void Layout();
  void CreateControls();
  void _CreateControls0();

 private:
  friend struct AideWMembers;
  // The code of the accessor TextArea1 in the table; the construction looks the text area
  // up the same way.
  static platform::Ref<platform::TextArea> FindTextArea1(AideW& window);
};

// Registers the class with the platform; a second registration changes nothing.
void RegisterAideW();

// The one live help window, made and built when none lives.
platform::Ref<AideW> ImplicitAideW();

// The two property lists, compiled constants: the window's (22 entries) and TextArea1's (40),
// and the help text that TextArea1's list holds as its Text.
extern const std::string_view kAideWList;
extern const std::string_view kAideWTextArea1List;
extern const std::string_view kAideWHelpText;
