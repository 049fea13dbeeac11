#include "counter/Trigger.h"

#include "counter/Property.h"

namespace tevra::counter {

#define TEVRA_ROWS "counter/members/ITevraTrigger.def"
#define TEVRA_CLASS TriggerInterface
#define TEVRA_NODE driver_
#include "counter/DefineAccessors.inc"

}  // namespace tevra::counter
