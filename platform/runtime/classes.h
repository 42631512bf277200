// The class registry: class records with their members, events, properties and attributes,
// tables of virtual operations, typed calls through them, and objects made from a record.
//
// A class record describes a class to the platform. Every class, the platform's and the
// system's, is registered by BuildClassRecord from what it adds to its parent: a record made
// from the parent's (RuntimeNewClass), its table of virtual operations (RuntimeNewVtable), its
// member and property entries with their attributes, and the event implementations it
// brings. A member is then called through the object's table: Operation<...> gives that call
// a type, so no code reads a slot by hand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/runtime/object.h"

namespace platform {

// ---- Texts of a record --------------------------------------------------------------------

// A text as records hold it: given by the address of its first character; the characters
// end with a zero byte and, when there are any, their count stands in the byte before.
template <std::size_t N>
struct RecordText {
  static_assert(N <= 256, "a record text holds at most 255 characters");
  consteval RecordText(const char (&text)[N]) : bytes{} {
    bytes[0] = static_cast<char>(N - 1);
    for (std::size_t i = 0; i < N; ++i) bytes[i + 1] = text[i];
  }
  const char* c_str() const noexcept { return bytes + 1; }
  char bytes[N + 1];
};

// The record text of a literal, in static storage: RecordTextOf<"Window1.Window1">().
template <RecordText Text>
const char* RecordTextOf() {
  static constexpr auto stored = Text;
  return stored.c_str();
}

// The count stored before a record text's first character (0 for the empty text).
inline std::size_t RecordTextLength(const char* text) {
  return text[0] ? static_cast<unsigned char>(text[-1]) : 0;
}

// ---- Record layout ------------------------------------------------------------------------

// An attribute: a name, a value, and whether the value counts (0 for a bare marker).
struct Attribute {
  const char* name;
  const char* value;
  std::uint8_t hasValue;
};

using Code = void (*)();  // a routine of a member, called back through its own type

struct Value;
// Calls a member with its arguments given as a list of values; casts each argument to its
// declared class and returns the result.
using Invoker = Value (*)(Code code, Object& self, const Value* arguments, std::size_t count);

// The bits of a member entry's flags. There is one: a public member is also an operation of
// the class's table of virtual operations (a place of its own, or the inherited place of the
// same name and signature); a private member (0) has no place and is reached through its
// entry only.
inline constexpr std::uintptr_t kMemberPublic = 1;

// One member of a class: seven words.
struct MemberEntry {
  const char* name = nullptr;
  std::uintptr_t flags = 0;  // kMemberPublic, or 0
  std::uintptr_t reserved1 = 0;
  std::uintptr_t reserved2 = 0;
  const char* signature = nullptr;  // "%result%arguments", e.g. "%o<CheckBox>%" or "%%o<PushButton>"
  Code code = nullptr;
  Invoker invoker = nullptr;
};

// The bits of a property entry's flags.
inline constexpr std::uintptr_t kPropertyPublic = 1;
// One value for the class rather than one per object; the entry's attributes say "__Shared" too.
inline constexpr std::uintptr_t kPropertyShared = 2;
// Read and written through the entry's getter and setter.
inline constexpr std::uintptr_t kPropertyReadWrite = 4;
// A property list may set it: its getter and setter take any Object and a value of the
// declared type's kind (MakeProperty makes such entries, properties.h); RuntimeMassPropertySetter
// sets no other property.
inline constexpr std::uintptr_t kPropertyInLists = 16;

// One property of a class: ten words.
struct PropertyEntry {
  const char* name = nullptr;
  std::uintptr_t flags = 0;  // kProperty... bits
  std::uintptr_t reserved1 = 0;
  std::uintptr_t reserved2 = 0;
  const char* type = nullptr;  // the declared type: "b", "i4", "s", "color", "d", "u1", or an enumeration's name
  std::uintptr_t entrySize = 24;
  Code getter = nullptr;
  Code setter = nullptr;
  Invoker getterInvoker = nullptr;
  Invoker setterInvoker = nullptr;
};

// One event of a class, by name, with the implementation that a class brings for it.
struct EventEntry {
  const char* name = nullptr;
  Code implementation = nullptr;
};

// A list of entries, each with its attribute list.
template <class Entry>
struct EntryTable {
  std::vector<Entry> entries;
  std::vector<std::vector<Attribute>> attributes;
};
using MemberTable = EntryTable<MemberEntry>;
using PropertyTable = EntryTable<PropertyEntry>;

// A class as registered. Some fields are there for the record's layout only, written at
// registration and read by nothing in the platform: interfaceFlag, reserved, interfaceCount and
// unusedCount here, and the words reserved1, reserved2 (and a property's entrySize) of the
// member and property entries.
struct ClassRecord {
  const char* name = nullptr;
  ClassRecord* parent = nullptr;
  std::size_t instanceSize = 0;
  std::uintptr_t interfaceFlag = 0;  // 1 for an interface type; no class registers one
  std::uintptr_t reserved = 0;
  Code* vtable = nullptr;
  std::size_t vtableCount = 0;
  MemberTable members;
  std::size_t interfaceCount = 0;
  std::vector<EventEntry> events;
  std::size_t unusedCount = 0;
  PropertyTable properties;
  std::vector<Attribute> attributes;
  // Makes an object of the class's C++ type, not yet built.
  Object* (*make)() = nullptr;
};

// A new record whose tables have room for the given counts, the parent's entries first: its
// members and properties copied, its events by name. The counts include the parent's.
ClassRecord* RuntimeNewClass(ClassRecord* parent, std::size_t memberCount, std::size_t interfaceCount,
                             std::size_t eventCount, std::size_t unusedCount, std::size_t propertyCount,
                             std::size_t attributeCount);
// A table of virtual operations of that many places, each to be filled.
Code* RuntimeNewVtable(std::size_t count);
// The attribute list of one entry, of that many attributes, ready to be filled.
template <class Entry>
Attribute* RuntimeAllocateAttributeTable(EntryTable<Entry>& table, std::size_t index, std::size_t count) {
  table.attributes.at(index).assign(count, Attribute{"", "", 0});
  return table.attributes[index].data();
}

// The event's implementation that the class or its nearest base brings, or none.
Code RuntimeEventImplementation(const ClassRecord* record, std::string_view eventName);
// The class's event number of that name: its place, from 1, in the class's event table.
std::size_t RuntimeEventNumber(const ClassRecord* record, std::string_view eventName);
// The property of that name, in the class or its bases; names match without regard to case.
const PropertyEntry* RuntimeFindProperty(const ClassRecord* record, std::string_view name);
// True when the record is the class or one of its descendants.
bool RuntimeIsA(const ClassRecord* record, const ClassRecord* ancestor);

// A new object of the class, not yet built.
Ref<Object> RuntimeNewObject(ClassRecord* record);

// The same object, typed as the class: nil stays nil; an object of another class raises
// IllegalCastException.
template <class T, class U>
Ref<T> RuntimeCheckCast(const Ref<U>& object, const ClassRecord* expected) {
  if (!object) return nullptr;
  if (!RuntimeIsA(object->Record(), expected)) RaiseIllegalCast(expected->name);
  return RuntimeCheckCast<T>(object);
}

// ---- Registration -------------------------------------------------------------------------

// One of a class's own members, in member order (Member, HiddenMember and PrivateMember
// below make them from routines).
struct OwnMember {
  const char* name = nullptr;
  const char* signature = nullptr;  // "%result%arguments"
  Code code = nullptr;
  Invoker invoker = nullptr;
  bool isPublic = true;  // see kMemberPublic
  bool hidden = false;   // marked "Hidden" after its scope
};

// The implementation that a class brings for one of its events.
struct EventImplementation {
  const char* event;
  Code code;
};

// What a class adds to its parent.
struct ClassDefinition {
  const char* name = nullptr;
  ClassRecord* parent = nullptr;
  std::vector<OwnMember> members = {};
  std::vector<const char*> events = {};  // its new events, after the parent's
  std::vector<PropertyEntry> properties = {};
  std::vector<EventImplementation> implementations = {};  // for its own events or its parent's
  Object* (*make)() = nullptr;  // none: the parent's
  std::size_t instanceSize = 0;  // 0: the parent's (an Object's for a root)
  bool publicScope = true;       // the class's own attribute "__Scope" "Public"
};

// Registers a class: a record that RuntimeNewClass makes from the parent's, with room for
// exactly the parent's entries and the definition's. The class's own member entries follow
// the parent's, each with its scope attribute ("Public" or "Private") and "Hidden" when asked;
// its table is the parent's, where an own public member of the same name and signature as an
// inherited operation takes that operation's place, then its other public members in member
// order. Its events and properties follow the parent's; each own property has the scope
// "Public", and "__Shared" when it is shared. Every name, signature and type is stored as a
// record text. Raises RuntimeException for two own operations of one name and signature.
ClassRecord* BuildClassRecord(const ClassDefinition& definition);

template <class T>
Object* MakeObject() {
  return new T;
}

// ---- Values and invokers ------------------------------------------------------------------

struct Color {
  std::uint8_t red = 0, green = 0, blue = 0;
  friend constexpr bool operator==(const Color&, const Color&) = default;
};

struct Value {
  enum class Kind { None, Boolean, Integer, Double, Text, Colour, Object, Pointer } kind = Kind::None;
  bool boolean = false;
  std::int64_t integer = 0;
  double number = 0;
  String text;
  Color colour;
  Ref<platform::Object> object;
  void* pointer = nullptr;
};

namespace detail {

template <class T>
std::remove_cvref_t<T> FromValue(const Value& value) {
  using Bare = std::remove_cvref_t<T>;
  if constexpr (std::is_same_v<Bare, bool>) return value.boolean;
  else if constexpr (std::is_integral_v<Bare>) return static_cast<Bare>(value.integer);
  else if constexpr (std::is_floating_point_v<Bare>) return value.number;
  else if constexpr (std::is_same_v<Bare, String> || std::is_same_v<Bare, std::string_view>) return value.text;
  else if constexpr (std::is_pointer_v<Bare>) return static_cast<Bare>(value.pointer);
  else if constexpr (std::is_same_v<Bare, Color>) return value.colour;
  else return RuntimeCheckCast<typename Bare::element_type>(value.object);
}

template <class T>
Value ToValue(T&& result) {
  using Bare = std::remove_cvref_t<T>;
  Value value;
  if constexpr (std::is_same_v<Bare, bool>) value.kind = Value::Kind::Boolean, value.boolean = result;
  else if constexpr (std::is_integral_v<Bare>) value.kind = Value::Kind::Integer, value.integer = result;
  else if constexpr (std::is_floating_point_v<Bare>) value.kind = Value::Kind::Double, value.number = result;
  else if constexpr (std::is_same_v<Bare, String>) value.kind = Value::Kind::Text, value.text = result;
  else if constexpr (std::is_pointer_v<Bare>)
    value.kind = Value::Kind::Pointer, value.pointer = const_cast<void*>(static_cast<const void*>(result));
  else if constexpr (std::is_same_v<Bare, Color>) value.kind = Value::Kind::Colour, value.colour = result;
  else value.kind = Value::Kind::Object, value.object = result;
  return value;
}

template <class F>
struct InvokerOf;
template <class R, class Self, class... A>
struct InvokerOf<R (*)(Self&, A...)> {
  static Value Invoke(Code code, Object& self, const Value* arguments, std::size_t count) {
    if (count != sizeof...(A)) throw RuntimeException("wrong number of arguments");
    auto routine = reinterpret_cast<R (*)(Self&, A...)>(code);
    Self& typed = dynamic_cast<Self&>(self);
    return [&]<std::size_t... I>(std::index_sequence<I...>) -> Value {
      if constexpr (std::is_void_v<R>) {
        routine(typed, FromValue<A>(arguments[I])...);
        return Value();
      } else {
        return ToValue(routine(typed, FromValue<A>(arguments[I])...));
      }
    }(std::index_sequence_for<A...>());
  }
};

}  // namespace detail

// The invoker of a routine's type: one per member signature, shared by every member of it.
template <class Routine>
Invoker InvokerFor() {
  return &detail::InvokerOf<Routine>::Invoke;
}

template <class Routine>
Code CodeOf(Routine routine) {
  return reinterpret_cast<Code>(routine);
}

// A public member; the routine's type gives the member's invoker.
template <class Routine>
OwnMember Member(const char* name, const char* signature, Routine routine) {
  return {name, signature, CodeOf(routine), InvokerFor<Routine>(), true, false};
}
// A public member marked "Hidden".
template <class Routine>
OwnMember HiddenMember(const char* name, const char* signature, Routine routine) {
  return {name, signature, CodeOf(routine), InvokerFor<Routine>(), true, true};
}
// A private member: in the member entries, not in the table.
template <class Routine>
OwnMember PrivateMember(const char* name, const char* signature, Routine routine) {
  return {name, signature, CodeOf(routine), InvokerFor<Routine>(), false, false};
}

// ---- Typed calls through the table of virtual operations ----------------------------------

template <class Signature>
class Operation;

// The operation at one place of a table of virtual operations, with its type: calling it runs
// whatever the object's class put in that place.
template <class R, class Self, class... A>
class Operation<R(Self&, A...)> {
 public:
  using Routine = R (*)(Self&, A...);
  constexpr explicit Operation(std::size_t slot) : slot_(slot) {}

  constexpr std::size_t Slot() const noexcept { return slot_; }
  // The routine in this place of the object's table.
  Routine In(const Object& object) const {
    const ClassRecord* record = object.Record();
    if (!record || slot_ >= record->vtableCount) throw RuntimeException("no such virtual operation");
    return reinterpret_cast<Routine>(record->vtable[slot_]);
  }
  template <class... Args>
  R operator()(Self& self, Args&&... args) const {
    return In(self)(self, std::forward<Args>(args)...);
  }

 private:
  std::size_t slot_;
};

}  // namespace platform
