// The misuse test's rows: every method of every interface of the public headers, generated from
// them by tools/gen-misuse-table, with a call that passes zeros, the given string for every
// string argument, and real or null outputs (releasing what comes back).
#pragma once

#include <vector>

#include "tevra/TevraTypes.h"

namespace tevra::testing {

struct MisuseRow {
  const char* interfaceName;
  const IID* iid;
  const char* method;
  std::vector<const char*> outputs;  // the names of the output parameters
  bool givesInterface;               // an output is an interface: the method is an interface getter
  HRESULT (*call)(void* itf, BSTR text, bool nullOutputs);
};

const std::vector<MisuseRow>& MisuseRows();

}  // namespace tevra::testing
