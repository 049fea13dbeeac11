// The wires still to come answer that they cannot be set up, so a test that asks for one fails.
#include "support/FakeServer.h"

namespace tevra::testing {

bool SetUpSerialWire(FakeLoop&, std::string&) { return false; }
}  // namespace tevra::testing
