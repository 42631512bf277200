// Reads the values of a property list back, written apart from the code that compiles lists,
// so that a test of the lists does not take the encoder's word for it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace list_reading {

// The declared type of a property: Boolean, Integer, Colour or Text (S).
enum Type { B, I, C, S };

// The value at `at`, rendered as text (Booleans 0 or 1, integers in decimal, colours as six
// hex digits, texts as their bytes), with `at` moved past it; nothing when the list ends
// inside the value.
inline std::optional<std::string> ReadValue(std::string_view list, std::size_t& at, Type type) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(list[at + i]); };
  const std::size_t width = type == B ? 1 : type == C ? 3 : 4;
  if (list.size() - at < width) return std::nullopt;
  std::string value;
  if (type == B) {
    value = std::to_string(byte(0));
  } else if (type == C) {
    char hex[7];
    std::snprintf(hex, sizeof hex, "%02X%02X%02X", byte(0), byte(1), byte(2));
    value = hex;
  } else {
    const std::uint32_t word = std::uint32_t{byte(0)} << 24 | std::uint32_t{byte(1)} << 16 |
                               std::uint32_t{byte(2)} << 8 | byte(3);
    if (type == I) {
      value = std::to_string(static_cast<std::int32_t>(word));
    } else {
      if (list.size() - at - 4 < word) return std::nullopt;
      value = std::string(list.substr(at + 4, word));
      at += word;
    }
  }
  at += width;
  return value;
}

}  // namespace list_reading
