#include "platform/runtime/properties.h"

namespace platform {

// Each kind's declared type is read back as that kind.
static_assert([] {
  for (PropertyKind kind : {PropertyKind::Boolean, PropertyKind::Integer, PropertyKind::Colour, PropertyKind::Text,
                            PropertyKind::Double, PropertyKind::Byte})
    if (KindOfType(TypeOfKind(kind)) != kind) return false;
  return true;
}());

namespace {

class ListReader {
 public:
  explicit ListReader(std::string_view list) : list_(list) {}
  bool AtEnd() const { return at_ == list_.size(); }

  std::string_view Name() {
    const std::size_t blank = list_.find(' ', at_);
    if (blank == std::string_view::npos || blank == at_) Fail("an entry without its name and blank");
    const std::string_view name = list_.substr(at_, blank - at_);
    at_ = blank + 1;
    return name;
  }
  std::string_view Bytes(std::size_t count) {
    if (list_.size() - at_ < count) Fail("a value cut short");
    const std::string_view bytes = list_.substr(at_, count);
    at_ += count;
    return bytes;
  }
  std::uint32_t Unsigned32() {
    const std::string_view b = Bytes(4);
    std::uint32_t value = 0;
    for (char c : b) value = (value << 8) | static_cast<unsigned char>(c);
    return value;
  }

  [[noreturn]] void Fail(const char* what) const {
    throw RuntimeException(String("property list: ") + what + " at byte " + std::to_string(at_));
  }

 private:
  std::string_view list_;
  std::size_t at_ = 0;
};

template <PropertyKind K>
void Set(const PropertyEntry& property, Object& object, KindValue<K> value) {
  reinterpret_cast<void (*)(Object&, KindValue<K>)>(property.setter)(object, value);
}

}  // namespace

void RuntimeMassPropertySetter(const Ref<Object>& object, std::string_view list) {
  Object& target = *object;
  ListReader reader(list);
  while (!reader.AtEnd()) {
    const std::string_view name = reader.Name();
    const PropertyEntry* property = RuntimeFindProperty(target.Record(), name);
    if (!property || !(property->flags & kPropertyInLists) || !property->setter)
      throw RuntimeException("property list: the class " + String(target.Record() ? target.Record()->name : "?") +
                             " has no property " + String(name));
    switch (KindOfType(property->type)) {
      case PropertyKind::Boolean:
        Set<PropertyKind::Boolean>(*property, target, reader.Bytes(1)[0] != 0);
        break;
      case PropertyKind::Integer:
        Set<PropertyKind::Integer>(*property, target, static_cast<std::int32_t>(reader.Unsigned32()));
        break;
      case PropertyKind::Colour: {
        const std::string_view rgb = reader.Bytes(3);
        Set<PropertyKind::Colour>(*property, target,
                                  Color{static_cast<std::uint8_t>(rgb[0]), static_cast<std::uint8_t>(rgb[1]),
                                        static_cast<std::uint8_t>(rgb[2])});
        break;
      }
      case PropertyKind::Text: {
        const std::uint32_t count = reader.Unsigned32();
        Set<PropertyKind::Text>(*property, target, String(reader.Bytes(count)));
        break;
      }
      case PropertyKind::Double:
      case PropertyKind::Byte:
        reader.Fail("a kind of value that lists do not hold");
    }
  }
}

}  // namespace platform
