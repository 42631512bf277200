// Checks of the class records that the system registers.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "platform/runtime.h"

namespace fixtures {

// A class of the system's, registered as a public subclass of `parent`: its name, with the
// count that a record's text carries, its parent, the parent's instance size (it adds no
// field), and one attribute, __Scope = Public. Call it inside ASSERT_NO_FATAL_FAILURE.
inline void ExpectPublicSubclassRecord(const platform::ClassRecord* record, const char* name,
                                       const platform::ClassRecord* parent) {
  EXPECT_STREQ(record->name, name);
  EXPECT_EQ(platform::RecordTextLength(record->name), std::strlen(name));
  EXPECT_EQ(record->parent, parent);
  EXPECT_EQ(record->instanceSize, parent->instanceSize);
  ASSERT_EQ(record->attributes.size(), 1u);
  EXPECT_STREQ(record->attributes[0].name, "__Scope");
  EXPECT_STREQ(record->attributes[0].value, "Public");
  EXPECT_EQ(record->attributes[0].hasValue, 1);
}

}  // namespace fixtures
