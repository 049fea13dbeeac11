#include "counter/Rows.h"

namespace tevra::counter {
namespace {

#define TEVRA_INTERFACE(Itf, ...) &rows::Itf##_Interface,
#define TEVRA_PROPERTY(Itf, Name, ...)
#define TEVRA_METHOD(Itf, Name, ...)
constexpr const Interface* kInterfaces[] = {
#include "counter/members/Interfaces.inc"
};
#undef TEVRA_INTERFACE
#undef TEVRA_PROPERTY

#define TEVRA_INTERFACE(Itf, ...)
#define TEVRA_PROPERTY(Itf, Name, ...) &rows::Itf##_##Name,
// A last null entry keeps the array valid while no file has a row of the kind.
constexpr const Property* kProperties[] = {
#include "counter/members/Interfaces.inc"
    nullptr};
#undef TEVRA_PROPERTY
#undef TEVRA_METHOD

#define TEVRA_PROPERTY(Itf, Name, ...)
#define TEVRA_METHOD(Itf, Name, ...) &rows::Itf##_##Name,
constexpr const Method* kMethods[] = {
#include "counter/members/Interfaces.inc"
    nullptr};
#undef TEVRA_INTERFACE
#undef TEVRA_PROPERTY
#undef TEVRA_METHOD

}  // namespace

std::span<const Interface* const> RegisteredInterfaces() { return kInterfaces; }
std::span<const Property* const> RegisteredProperties() {
  return std::span(kProperties).first(std::size(kProperties) - 1);
}
std::span<const Method* const> RegisteredMethods() {
  return std::span(kMethods).first(std::size(kMethods) - 1);
}

}  // namespace tevra::counter
