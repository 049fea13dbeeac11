// CRepCap: a repeated-capability object (a channel) under the driver node. It has a physical
// name, its zero-based index in the parent's array, and a qualified name built on first use.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/Node.h"

namespace tevra::core {

class CRepCap : public CNode {
 public:
  CRepCap(CDriver& driver, std::string_view repCapName, std::string_view physicalName,
          std::int32_t index)
      : CNode(&driver), repCapName_(repCapName), physicalName_(physicalName), index_(index) {}

  const std::string& RepCapName() const { return repCapName_; }
  const std::string& PhysicalName() const { return physicalName_; }
  std::int32_t Index() const { return index_; }
  // The parent's qualified name (the driver's is empty), a dot when that is not empty, the
  // repeated-capability name and the physical name in brackets: "TevraChannel[Channel1]".
  const std::string& QualifiedName() {
    if (qualifiedName_.empty()) qualifiedName_ = repCapName_ + "[" + physicalName_ + "]";
    return qualifiedName_;
  }

 private:
  std::string repCapName_;
  std::string physicalName_;
  std::int32_t index_;
  std::string qualifiedName_;
};

}  // namespace tevra::core
