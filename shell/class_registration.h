// What the system's window classes share: a control looked up by name and class, and the
// implicit instance of a window class.
#pragma once

#include <string_view>

#include "platform/runtime.h"
#include "platform/ui.h"

// The control registered in the window under the name, as its class.
template <class C>
platform::Ref<C> RegisteredControl(platform::Window& window, std::string_view name) {
  return platform::RuntimeCheckCast<C>(platform::WindowOperations::_ControlByName(window, name),
                                       C::GetClass());
}

// The live window registered under the name, or a new one, built through its table.
platform::Ref<platform::Object> ImplicitInstance(const char* registeredName, platform::ClassRecord* record);
