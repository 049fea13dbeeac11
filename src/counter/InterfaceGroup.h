// The driver object answers to many interfaces, grouped by the instrument function they serve
// (measurement functions, arming, system, math...). Each group is an object of its own that owns
// the embedded implementations of its interfaces, all sharing the driver object's identity.
#pragma once

#include <memory>
#include <vector>

#include "tevra/TevraTypes.h"

namespace tevra::counter {

class Tevra;

class InterfaceGroup {
 public:
  virtual ~InterfaceGroup() = default;
  // The group's object for riid (without a new reference), or null.
  virtual IUnknown* Find(REFIID riid) = 0;
};

// Every group of the driver object, built with it.
std::vector<std::unique_ptr<InterfaceGroup>> CreateInterfaceGroups(Tevra& driver);

}  // namespace tevra::counter
