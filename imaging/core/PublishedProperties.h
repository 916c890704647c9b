#pragma once
// Published properties: a small table per class (name, kind, getter,
// setter) standing in for run-time type information, so that an object can
// hand all its settings to another one of its family by name.

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "platform/rtl/Persistent.h"

// Ordinals give the bits of TTypeKinds.
enum TTypeKind : std::uint8_t { tkInteger, tkEnumeration, tkFloat, tkString, tkClass, tkMethod };
using TTypeKinds = std::uint32_t;

constexpr TTypeKinds TypeKindBit(TTypeKind kind) { return TTypeKinds{1} << kind; }
constexpr TTypeKinds tkAny = (TTypeKinds{1} << (tkMethod + 1)) - 1;
// Every kind except events: what assignment within a family copies.
constexpr TTypeKinds tkProperties = tkAny & ~TypeKindBit(tkMethod);

// Integers and enumerations travel as int64, floats as double, objects as
// the address of the object the property holds.
using TPropertyValue = std::variant<std::int64_t, double, std::string, TPersistent*>;

struct TPropInfo {
  std::string_view Name;
  TTypeKind Kind;
  TPropertyValue (*Get)(const TPersistent& object);
  // nullptr for a property that cannot be written (owned objects).
  void (*Set)(TPersistent& object, const TPropertyValue& value);
};

// Implemented by classes that publish properties.
class IPublishedProperties {
public:
  // Appends the published properties of this object's class, those of its
  // bases first (declaration order).
  virtual void ListPublishedProperties(std::vector<TPropInfo>& list) const = 0;

protected:
  ~IPublishedProperties() = default;
};

namespace imaging {

// For every published property of source whose kind is in kinds: when it is
// an object property and both objects exist, dest's object is assigned from
// source's; otherwise the value is written to dest's property of the same
// name and kind. Properties dest lacks, or cannot write, are skipped.
void CopyPublishedProperties(const TPersistent& source, TPersistent& dest, TTypeKinds kinds);

namespace detail {

template <class>
struct TGetterTraits;
template <class C, class V>
struct TGetterTraits<V (C::*)() const> {
  using Class = C;
  using Value = std::remove_cvref_t<V>;
};

template <class V>
constexpr TTypeKind KindOf() {
  if constexpr (std::is_enum_v<V>)
    return tkEnumeration;
  else if constexpr (std::is_floating_point_v<V>)
    return tkFloat;
  else if constexpr (std::is_integral_v<V>)
    return tkInteger;
  else if constexpr (std::is_pointer_v<V>)
    return tkClass;
  else
    return tkString;
}

template <class V>
TPropertyValue ToValue(const V& value) {
  if constexpr (std::is_enum_v<V> || std::is_integral_v<V>)
    return static_cast<std::int64_t>(value);
  else if constexpr (std::is_floating_point_v<V>)
    return static_cast<double>(value);
  else if constexpr (std::is_pointer_v<V>)
    return static_cast<TPersistent*>(value);
  else
    return std::string(value);
}

template <class V>
V FromValue(const TPropertyValue& value) {
  if constexpr (std::is_enum_v<V> || std::is_integral_v<V>)
    return static_cast<V>(std::get<std::int64_t>(value));
  else if constexpr (std::is_floating_point_v<V>)
    return static_cast<V>(std::get<double>(value));
  else
    return V(std::get<std::string>(value));
}

}  // namespace detail

// The table entry of a property read by Getter and written by Setter
// (member functions of the class; pass nullptr as Setter for read-only).
template <auto Getter, auto Setter>
TPropInfo Published(std::string_view name) {
  using Traits = detail::TGetterTraits<decltype(Getter)>;
  using C = typename Traits::Class;
  using V = typename Traits::Value;
  TPropInfo info{name, detail::KindOf<V>(),
                 [](const TPersistent& object) { return detail::ToValue((static_cast<const C&>(object).*Getter)()); },
                 nullptr};
  if constexpr (!std::is_null_pointer_v<decltype(Setter)>) {
    info.Set = [](TPersistent& object, const TPropertyValue& value) {
      (static_cast<C&>(object).*Setter)(detail::FromValue<V>(value));
    };
  }
  return info;
}

}  // namespace imaging
