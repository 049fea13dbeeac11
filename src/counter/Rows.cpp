// The listings of every row, the IVI driver interfaces' and the counter's.
#include "core/Rows.h"
#include "counter/Rows.h"

namespace tevra::core {
namespace {

// Both sets of rows under one name.
namespace all {
using namespace core::rows;
using namespace counter::rows;
}  // namespace all

#define TEVRA_INTERFACE(Itf, ...) &all::Itf##_Interface,
#define TEVRA_PROPERTY(Itf, Name, ...)
#define TEVRA_METHOD(Itf, Name, ...)
#define TEVRA_QUERY(Itf, Name, ...) TEVRA_METHOD(Itf, Name)
#define TEVRA_COMMAND(Itf, Name, ...) TEVRA_METHOD(Itf, Name)
constexpr const Interface* kInterfaces[] = {
#include "core/members/Interfaces.inc"
#include "counter/members/Interfaces.inc"
};
#undef TEVRA_INTERFACE
#undef TEVRA_PROPERTY

#define TEVRA_INTERFACE(Itf, ...)
#define TEVRA_PROPERTY(Itf, Name, ...) &all::Itf##_##Name,
// A last null entry keeps the array valid while no file has a row of the kind.
constexpr const Property* kProperties[] = {
#include "core/members/Interfaces.inc"
#include "counter/members/Interfaces.inc"
    nullptr};
#undef TEVRA_PROPERTY
#undef TEVRA_METHOD

#define TEVRA_PROPERTY(Itf, Name, ...)
#define TEVRA_METHOD(Itf, Name, ...) &all::Itf##_##Name,
constexpr const Method* kMethods[] = {
#include "core/members/Interfaces.inc"
#include "counter/members/Interfaces.inc"
    nullptr};
#undef TEVRA_INTERFACE
#undef TEVRA_PROPERTY
#undef TEVRA_METHOD
#undef TEVRA_QUERY
#undef TEVRA_COMMAND

}  // namespace

std::span<const Interface* const> RegisteredInterfaces() { return kInterfaces; }
std::span<const Property* const> RegisteredProperties() {
  return std::span(kProperties).first(std::size(kProperties) - 1);
}
std::span<const Method* const> RegisteredMethods() {
  return std::span(kMethods).first(std::size(kMethods) - 1);
}

}  // namespace tevra::core
