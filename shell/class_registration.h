// What the registrations of the system's window classes share: their own members, filled into
// a record that RuntimeNewClass made from the parent's, and the implicit instance.
#pragma once

#include <string_view>
#include <vector>

#include "platform/runtime.h"
#include "platform/ui.h"

// One of the class's own members, in member order.
struct OwnMember {
  const char* name;
  const char* signature;
  platform::Code code;
  platform::Invoker invoker;
  bool hidden = false;    // marked "Hidden" after its scope
  bool isPublic = true;   // a public member has its place in the table; a private one has none
};

template <class Routine>
OwnMember Member(const char* name, const char* signature, Routine routine, bool hidden = false) {
  return {name, signature, platform::CodeOf(routine), platform::InvokerFor<Routine>(), hidden, true};
}

template <class Routine>
OwnMember PrivateMember(const char* name, const char* signature, Routine routine) {
  return {name, signature, platform::CodeOf(routine), platform::InvokerFor<Routine>(), false, false};
}

// Names the record and sizes it as its parent; makes its table of virtual operations (the
// parent's, then the class's own public members in member order); fills the own member
// entries after the parent's, with their attributes; gives the class its scope attribute.
void FillClassRecord(platform::ClassRecord* record, const char* registeredName, const std::vector<OwnMember>& own,
                     platform::Object* (*make)());

// The control registered in the window under the name, as its class.
template <class C>
platform::Ref<C> RegisteredControl(platform::Window& window, std::string_view name) {
  return platform::RuntimeCheckCast<C>(platform::WindowOperations::_ControlByName(window, platform::String(name)),
                                       C::GetClass());
}

// The live window registered under the name, or a new one, built through its table.
platform::Ref<platform::Object> ImplicitInstance(const char* registeredName, platform::ClassRecord* record);
