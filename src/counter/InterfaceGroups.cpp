// The list of the driver object's interface groups; each group lives in its own files.
#include "counter/InterfaceGroup.h"

namespace tevra::counter {

std::vector<std::unique_ptr<InterfaceGroup>> CreateInterfaceGroups(Tevra& driver) {
  std::vector<std::unique_ptr<InterfaceGroup>> groups;
  static_cast<void>(driver);
  return groups;
}

}  // namespace tevra::counter
