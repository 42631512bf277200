// What the system's classes share: one registration for all of them, the places of their own
// operations and the typed calls through those places made from one list per class, and the
// windows' accessors and implicit instances.
//
// A class lists its own operations once, in member order, as a macro over the kinds of row
// below; the macro takes them in this order and names those it uses, the others after "...":
//   METHOD(name)                    "%%"           a method with a place of its own, after the
//                                                  parent's places and the earlier rows'
//   REPLACES(name, Inherited)       "%%"           a method that takes the inherited place which
//                                                  Inherited::name, the parent's typed call, reads
//   HIDDEN(name)                    "%%"           a control-creation method, marked Hidden
//   CONTROL(name, Class)            "%o<Class>%"   the window's control registered under that name
//   HANDLER(control, Event, Class)  "%%o<Class>"   control_Event, the handler that the window
//                                                  binds to that event of the control
//   MENU(name, Class)               "%o<Class>%"   the entry of that name below the window's menu bar
// Every row but REPLACES gets a place of its own. From the list, SYSTEM_CLASS_PLACES numbers the
// places, SYSTEM_CLASS_TYPED_CALLS types the calls through them, SYSTEM_CLASS_MEMBERS makes the
// member entries, each routine of the type of the typed call that reads its place (checked at
// compile time), and SystemClass registers the class, then checks that each place holds its
// member's routine.
#pragma once

#include <cstddef>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/runtime.h"
#include "platform/ui.h"

// ---- Registration -------------------------------------------------------------------------

// One of a class's own operations, with the place of the table that its typed call reads.
struct PlacedMember {
  platform::OwnMember member;
  std::size_t place;
};

// What a class of the system adds to its parent: its operations from its list, then its
// members without a place, its properties and the implementations of its parent's events.
struct SystemClassDefinition {
  const char* name = nullptr;  // the registered name
  platform::ClassRecord* parent = nullptr;
  std::vector<PlacedMember> operations = {};
  std::vector<platform::OwnMember> privateMembers = {};
  std::vector<platform::PropertyEntry> properties = {};
  std::vector<platform::EventImplementation> implementations = {};
  bool publicScope = true;  // the class's own attribute "__Scope" "Public"
};

// Registers the class with BuildClassRecord; its objects are made by make. Raises
// RuntimeException when an operation's place does not hold its routine (a row that took an
// inherited place of the same name and signature, say), so that no typed call reads another.
platform::ClassRecord* RegisterSystemClass(const SystemClassDefinition& definition, platform::Object* (*make)());

// The registration of the class C, which gives its definition as a static Definition() (and
// makes SystemClass<C> its friend when that is private). The record is the class's one global.
template <class C>
class SystemClass {
 public:
  // Registers the class; when it is registered already, returns at once and changes nothing.
  static void Register() {
    if (!record_) record_ = RegisterSystemClass(C::Definition(), &platform::MakeObject<C>);
  }
  // The class record, registered first when needed.
  static platform::ClassRecord* Record() {
    Register();
    return record_;
  }

 private:
  static inline platform::ClassRecord* record_ = nullptr;
};

// ---- Members made from a class's list -----------------------------------------------------

// The member entry of an operation whose typed call is Call: its routine must have the type
// that the call reads its place as.
template <const auto& Call, class Routine>
PlacedMember AtPlaceOf(const char* name, const char* signature, Routine routine, bool hidden = false) {
  static_assert(std::is_same_v<Routine, typename std::remove_cvref_t<decltype(Call)>::Routine>,
                "a member's routine has the type of the typed call that reads its place");
  return {hidden ? platform::HiddenMember(name, signature, routine) : platform::Member(name, signature, routine),
          Call.Slot()};
}

namespace system_class {

template <class Method>
struct MethodOf;
template <class C>
struct MethodOf<void (C::*)()> {
  using Class = C;
};

// A routine of the type of an inherited place, R(Base&), that runs the method of a subclass.
template <class Routine, auto Method>
struct Replacement;
template <class Base, auto Method>
struct Replacement<void (*)(Base&), Method> {
  static void Run(Base& self) { (dynamic_cast<typename MethodOf<decltype(Method)>::Class&>(self).*Method)(); }
};

}  // namespace system_class

// The member entry of a method without arguments that takes the inherited place of Call.
template <const auto& Call, auto Method>
PlacedMember ReplacingAtPlaceOf(const char* name) {
  using Routine = typename std::remove_cvref_t<decltype(Call)>::Routine;
  return AtPlaceOf<Call>(name, "%%", &system_class::Replacement<Routine, Method>::Run);
}

// ---- What the windows share ---------------------------------------------------------------

// The control registered in the window under the name, as its class.
template <class C>
platform::Ref<C> RegisteredControl(platform::Window& window, std::string_view name) {
  return platform::RuntimeCheckCast<C>(platform::WindowOperations::_ControlByName(window, name), C::GetClass());
}

// The entry of that name below the window's menu bar, as its class; NilObjectException when
// the window has no menu bar.
template <class C>
platform::Ref<C> MenuItemAccessor(platform::Window& window, const char* name) {
  const platform::Ref<platform::MenuBar> bar = window.MenuBar();
  if (!bar) platform::RaiseNilObjectException();
  return platform::RuntimeCheckCast<C>(platform::MenuItemOperations::_Lookup(*bar, name), C::GetClass());
}

// The live window of the class, found under the class's registered name, or a new one, built
// through its table.
platform::Ref<platform::Object> ImplicitWindow(platform::ClassRecord* record);

// The one live window of the class W, made and built when none lives.
template <class W>
platform::Ref<W> ImplicitInstance() {
  platform::ClassRecord* record = W::GetClass();
  return platform::RuntimeCheckCast<W>(ImplicitWindow(record), record);
}

// ---- The macros over a class's list -------------------------------------------------------

// The enumeration Places of the class's own places, after the parent's parentCount, and At().
#define SYSTEM_CLASS_PLACES(Places, parentCount, LIST)                                                \
  enum class Places : std::size_t {                                                                   \
    BeforeFirst = (parentCount) - 1,                                                                  \
    LIST(SYSTEM_PLACE_OWN, SYSTEM_ROW_NONE, SYSTEM_PLACE_OWN, SYSTEM_PLACE_OWN, SYSTEM_PLACE_HANDLER, \
         SYSTEM_PLACE_OWN) End                                                                        \
  };                                                                                                  \
  constexpr std::size_t At(Places place) { return static_cast<std::size_t>(place); }
#define SYSTEM_PLACE_OWN(name, ...) name,
#define SYSTEM_PLACE_HANDLER(control, Event, Class) control##_##Event,
#define SYSTEM_ROW_NONE(...)

// Inside a struct: the typed calls of the class Self through its places Places.
#define SYSTEM_CLASS_TYPED_CALLS(Self, Places, LIST)                                                       \
  using SystemSelf = Self;                                                                                 \
  using SystemPlaces = Places;                                                                             \
  LIST(SYSTEM_CALL_METHOD, SYSTEM_ROW_NONE, SYSTEM_CALL_METHOD, SYSTEM_CALL_ACCESSOR, SYSTEM_CALL_HANDLER, \
       SYSTEM_CALL_ACCESSOR)
#define SYSTEM_CALL_METHOD(name) static constexpr platform::Operation<void(SystemSelf&)> name{At(SystemPlaces::name)};
#define SYSTEM_CALL_ACCESSOR(name, Class) \
  static constexpr platform::Operation<platform::Ref<platform::Class>(SystemSelf&)> name{At(SystemPlaces::name)};
#define SYSTEM_CALL_HANDLER(control, Event, Class)                                                                  \
  static constexpr platform::Operation<void(SystemSelf&, const platform::Ref<platform::Class>&)> control##_##Event{ \
      At(SystemPlaces::control##_##Event)};

// Inside a window class whose typed calls are its Operations: the control and menu-entry
// accessors, each a call through the window's table.
#define SYSTEM_CLASS_ACCESSORS(LIST) \
  LIST(SYSTEM_ROW_NONE, SYSTEM_ROW_NONE, SYSTEM_ROW_NONE, SYSTEM_ACCESSOR, SYSTEM_ROW_NONE, SYSTEM_ACCESSOR)
#define SYSTEM_ACCESSOR(name, Class) \
  platform::Ref<platform::Class> name() { return Operations::name(*this); }

// Inside a window class: the declarations of its handlers' code.
#define SYSTEM_CLASS_HANDLERS(LIST) \
  LIST(SYSTEM_ROW_NONE, SYSTEM_ROW_NONE, SYSTEM_ROW_NONE, SYSTEM_ROW_NONE, SYSTEM_HANDLER, SYSTEM_ROW_NONE)
#define SYSTEM_HANDLER(control, Event, Class) void control##_##Event(const platform::Ref<platform::Class>&);

// The member entries of the class Self, in member order, whose typed calls are TypedCalls.
#define SYSTEM_CLASS_MEMBERS(Self, TypedCalls, LIST)                                                          \
  [] {                                                                                                        \
    using SystemSelf = Self;                                                                                  \
    using SystemCalls = TypedCalls;                                                                           \
    return std::vector<PlacedMember>{LIST(SYSTEM_MEMBER_METHOD, SYSTEM_MEMBER_REPLACES, SYSTEM_MEMBER_HIDDEN, \
                                          SYSTEM_MEMBER_CONTROL, SYSTEM_MEMBER_HANDLER, SYSTEM_MEMBER_MENU)}; \
  }()
#define SYSTEM_MEMBER_METHOD(name) \
  AtPlaceOf<SystemCalls::name>(    \
      #name, "%%", +[](SystemSelf& self) { self.name(); }),
#define SYSTEM_MEMBER_REPLACES(name, Inherited) ReplacingAtPlaceOf<Inherited::name, &SystemSelf::name>(#name),
#define SYSTEM_MEMBER_HIDDEN(name) \
  AtPlaceOf<SystemCalls::name>(    \
      #name, "%%", +[](SystemSelf& self) { self.name(); }, true),
#define SYSTEM_MEMBER_CONTROL(name, Class) \
  AtPlaceOf<SystemCalls::name>(            \
      #name, "%o<" #Class ">%",            \
      +[](SystemSelf& window) { return RegisteredControl<platform::Class>(window, #name); }),
#define SYSTEM_MEMBER_HANDLER(control, Event, Class) \
  AtPlaceOf<SystemCalls::control##_##Event>(         \
      #control "_" #Event, "%%o<" #Class ">",        \
      +[](SystemSelf& window, const platform::Ref<platform::Class>& source) { window.control##_##Event(source); }),
#define SYSTEM_MEMBER_MENU(name, Class) \
  AtPlaceOf<SystemCalls::name>(         \
      #name, "%o<" #Class ">%", +[](SystemSelf& window) { return MenuItemAccessor<platform::Class>(window, #name); }),
