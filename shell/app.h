// The application object.
#pragma once

#include <cstdint>

class App {
 public:
  // The stop request of an export run: 0 = go on, 1 = stop. One value for the process.
  static std::int32_t ArretTraitement;
};
