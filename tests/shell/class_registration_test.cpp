// The registration that the system's classes share.
#include <gtest/gtest.h>

#include "shell/class_registration.h"

using namespace platform;

namespace {

// Show has the name and signature of Window's operation Show, so it takes that place; its
// typed call, made from the list, reads a place of its own after Extra's.
#define SHADOWING_OPERATIONS(METHOD, ...) \
  METHOD(Extra)                           \
  METHOD(Show)

SYSTEM_CLASS_PLACES(ShadowingSlot, kWindowOperationCount, SHADOWING_OPERATIONS)

class Shadowing : public Window {
 public:
  struct Operations {
    SYSTEM_CLASS_TYPED_CALLS(Shadowing, ShadowingSlot, SHADOWING_OPERATIONS)
  };
  void Extra() {}
  void Show() {}
  static SystemClassDefinition Definition() {
    return {.name = "Shadowing.Shadowing",
            .parent = Window::GetClass(),
            .operations = SYSTEM_CLASS_MEMBERS(Shadowing, Operations, SHADOWING_OPERATIONS)};
  }
};

// The registration refuses a table in which a typed call would run another member.
TEST(SystemClass, AnOperationOutsideThePlaceItsTypedCallReadsIsRefused) {
  EXPECT_EQ(Shadowing::Operations::Show.Slot(), kWindowOperationCount + 1);
  EXPECT_THROW(SystemClass<Shadowing>::Register(), RuntimeException);
}

}  // namespace
