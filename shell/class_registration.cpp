#include "shell/class_registration.h"

using namespace platform;

Ref<Object> ImplicitInstance(const char* registeredName, ClassRecord* record) {
  Ref<Object> window = RuntimeGetImplicitWindow(registeredName);
  if (!window) {
    window = RuntimeNewObject(record);
    WindowOperations::Constructor(*RuntimeCheckCast<Window>(window));
  }
  return window;
}
