// Properties of the platform's classes, property lists, and the setter that applies a list.
//
// A property list is a run of entries placed back to back, with no count, separator or end
// mark: the property's name, one blank (20), then its value. An entry carries no type: the
// value's length and encoding follow from the declared type of the property of that name in
// the object's class or its bases, so a list can be read only against the object it is for.
//
//   Boolean                      1 byte: 00 or 01
//   colour                       3 bytes: red, green, blue
//   integer, integer enumeration 4 bytes: two's complement, most significant byte first
//   text                         4 + n bytes: n as an unsigned 32-bit count, most significant
//                                byte first, then the n bytes of UTF-8 text
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <utility>

#include "platform/runtime/classes.h"

namespace platform {

inline constexpr Color kBlack{0x00, 0x00, 0x00};
inline constexpr Color kWhite{0xFF, 0xFF, 0xFF};

// How the values of a declared type are held in a list, and handed to its setter.
enum class PropertyKind { Boolean, Integer, Colour, Text, Double, Byte };

// The kind of a declared type: "b", "i4", "color", "s", "d", "u1"; the name of an
// integer-coded enumeration ("State", "ButtonStyle") is an Integer.
constexpr PropertyKind KindOfType(std::string_view type) {
  if (type == "b") return PropertyKind::Boolean;
  if (type == "color") return PropertyKind::Colour;
  if (type == "s") return PropertyKind::Text;
  if (type == "d") return PropertyKind::Double;
  if (type == "u1") return PropertyKind::Byte;
  return PropertyKind::Integer;  // "i4" and the integer-coded enumerations
}

// The declared type that stands for a kind in a property entry.
constexpr const char* TypeOfKind(PropertyKind kind) {
  switch (kind) {
    case PropertyKind::Boolean: return "b";
    case PropertyKind::Integer: return "i4";
    case PropertyKind::Colour: return "color";
    case PropertyKind::Text: return "s";
    case PropertyKind::Double: return "d";
    case PropertyKind::Byte: return "u1";
  }
  return "i4";
}

namespace detail {

template <PropertyKind K>
struct KindValue;
template <> struct KindValue<PropertyKind::Boolean> { using type = bool; };
template <> struct KindValue<PropertyKind::Integer> { using type = std::int32_t; };
template <> struct KindValue<PropertyKind::Colour> { using type = Color; };
template <> struct KindValue<PropertyKind::Text> { using type = const String&; };
template <> struct KindValue<PropertyKind::Double> { using type = double; };
template <> struct KindValue<PropertyKind::Byte> { using type = std::uint8_t; };

// The kind whose values are of the C++ type T; no other type makes a property.
template <class T>
struct KindOf;
template <> struct KindOf<bool> { static constexpr PropertyKind value = PropertyKind::Boolean; };
template <> struct KindOf<std::int32_t> { static constexpr PropertyKind value = PropertyKind::Integer; };
template <> struct KindOf<Color> { static constexpr PropertyKind value = PropertyKind::Colour; };
template <> struct KindOf<String> { static constexpr PropertyKind value = PropertyKind::Text; };
template <> struct KindOf<double> { static constexpr PropertyKind value = PropertyKind::Double; };
template <> struct KindOf<std::uint8_t> { static constexpr PropertyKind value = PropertyKind::Byte; };

// The class and the value type of a setter.
template <class M>
struct SetterOf;
template <class C, class T>
struct SetterOf<void (C::*)(T)> {
  using Class = C;
  using Value = std::remove_cvref_t<T>;
};

}  // namespace detail

// The C++ type in which a kind's values reach a setter and leave a getter.
template <PropertyKind K>
using KindValue = typename detail::KindValue<K>::type;
template <PropertyKind K>
using KindResult = std::remove_cvref_t<KindValue<K>>;
// The kind of the values of a C++ type.
template <class T>
inline constexpr PropertyKind kKindOf = detail::KindOf<std::remove_cvref_t<T>>::value;

// A property entry from its getter and setter routines, which pass one type of value: that
// type's kind gives the declared type, and the routines' types give the invokers. A property
// that lists set (kPropertyInLists) must take any Object and its kind's value, since
// RuntimeMassPropertySetter calls its setter so; one that does not raises RuntimeException.
template <class GetterSelf, class Result, class SetterSelf, class V>
PropertyEntry AccessorProperty(const char* name, std::uintptr_t flags, Result (*getter)(GetterSelf&),
                               void (*setter)(SetterSelf&, V)) {
  static_assert(std::is_same_v<std::remove_cvref_t<Result>, std::remove_cvref_t<V>>,
                "a property's getter gives the type of value that its setter takes");
  constexpr PropertyKind kind = kKindOf<V>;
  constexpr bool listable = std::is_same_v<GetterSelf, Object> && std::is_same_v<SetterSelf, Object> &&
                            std::is_same_v<Result, KindResult<kind>> && std::is_same_v<V, KindValue<kind>>;
  if ((flags & kPropertyInLists) && !listable)
    throw RuntimeException(String("the property ") + name + " cannot be set by a property list");
  PropertyEntry entry;
  entry.name = name;
  entry.flags = flags;
  entry.type = TypeOfKind(kind);
  entry.getter = CodeOf(getter);
  entry.setter = CodeOf(setter);
  entry.getterInvoker = InvokerFor<decltype(getter)>();
  entry.setterInvoker = InvokerFor<decltype(setter)>();
  return entry;
}

// A property entry for a platform class, from its getter and setter, that property lists set;
// the setter's value type gives its kind and declared type. Both run through routines of the
// kind's own type, reached through the entry's getter and setter words.
template <auto Getter, auto Setter>
PropertyEntry MakeProperty(const char* name) {
  using C = typename detail::SetterOf<decltype(Setter)>::Class;
  constexpr PropertyKind K = kKindOf<typename detail::SetterOf<decltype(Setter)>::Value>;
  static_assert(std::is_same_v<std::remove_cvref_t<decltype((std::declval<const C&>().*Getter)())>, KindResult<K>>,
                "a property's getter gives the type of value that its setter takes");
  using Get = KindResult<K> (*)(Object&);
  using Set = void (*)(Object&, KindValue<K>);
  Get get = [](Object& self) -> KindResult<K> { return (dynamic_cast<C&>(self).*Getter)(); };
  Set set = [](Object& self, KindValue<K> value) { (dynamic_cast<C&>(self).*Setter)(value); };
  return AccessorProperty(name, kPropertyPublic | kPropertyReadWrite | kPropertyInLists, get, set);
}

// The same for an integer-coded enumeration, whose declared type is the enumeration's name.
template <auto Getter, auto Setter>
PropertyEntry MakeEnumerationProperty(const char* name, const char* enumeration) {
  static_assert(kKindOf<typename detail::SetterOf<decltype(Setter)>::Value> == PropertyKind::Integer,
                "an enumeration's values are integers");
  PropertyEntry entry = MakeProperty<Getter, Setter>(name);
  entry.type = enumeration;
  return entry;
}

// Sets, entry by entry in list order, each named property of the object to the entry's
// value, as its setter would. Raises RuntimeException for a name that the object's class
// does not declare as a property that lists set (kPropertyInLists) or a list that ends inside
// an entry; what was set before stays set.
void RuntimeMassPropertySetter(const Ref<Object>& object, std::string_view list);

// ---- Compiled property lists --------------------------------------------------------------

namespace property_list {

struct Entry {
  std::string_view name;
  PropertyKind kind = PropertyKind::Integer;
  std::int64_t number = 0;
  Color colour;
  std::string_view text;
};

constexpr Entry Boolean(std::string_view name, bool value) {
  return {name, PropertyKind::Boolean, value ? 1 : 0, {}, {}};
}
constexpr Entry Integer(std::string_view name, std::int32_t value) {
  return {name, PropertyKind::Integer, value, {}, {}};
}
constexpr Entry Colour(std::string_view name, Color value) { return {name, PropertyKind::Colour, 0, value, {}}; }
constexpr Entry Text(std::string_view name, std::string_view value) {
  return {name, PropertyKind::Text, 0, {}, value};
}

constexpr std::size_t EncodedSize(const Entry& entry) {
  const std::size_t value = entry.kind == PropertyKind::Boolean  ? 1
                            : entry.kind == PropertyKind::Colour ? 3
                            : entry.kind == PropertyKind::Text   ? 4 + entry.text.size()
                                                                 : 4;
  return entry.name.size() + 1 + value;
}

template <std::size_t N>
constexpr std::size_t EncodedSize(const std::array<Entry, N>& entries) {
  std::size_t size = 0;
  for (const Entry& entry : entries) size += EncodedSize(entry);
  return size;
}

template <std::size_t Size, std::size_t N>
constexpr std::array<char, Size> Encode(const std::array<Entry, N>& entries) {
  std::array<char, Size> bytes{};
  std::size_t at = 0;
  auto put32 = [&](std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes[at++] = static_cast<char>((v >> shift) & 0xFF);
  };
  for (const Entry& entry : entries) {
    for (char c : entry.name) bytes[at++] = c;
    bytes[at++] = ' ';
    switch (entry.kind) {
      case PropertyKind::Boolean:
        bytes[at++] = static_cast<char>(entry.number);
        break;
      case PropertyKind::Colour:
        bytes[at++] = static_cast<char>(entry.colour.red);
        bytes[at++] = static_cast<char>(entry.colour.green);
        bytes[at++] = static_cast<char>(entry.colour.blue);
        break;
      case PropertyKind::Text:
        put32(static_cast<std::uint32_t>(entry.text.size()));
        for (char c : entry.text) bytes[at++] = c;
        break;
      default:
        put32(static_cast<std::uint32_t>(entry.number));
        break;
    }
  }
  return bytes;
}

// The bytes of a list, made by the compiler from a function that gives its entries:
//   constexpr auto kList = property_list::Compile([] { return std::array{Integer("Width", 596), ...}; });
template <class Entries>
consteval auto Compile(Entries) {
  constexpr auto list = Entries{}();
  return Encode<EncodedSize(list)>(list);
}

// A compiled list as the text value that RuntimeMassPropertySetter takes.
template <std::size_t Size>
constexpr std::string_view View(const std::array<char, Size>& bytes) {
  return std::string_view(bytes.data(), Size);
}

}  // namespace property_list

}  // namespace platform
