// The display's Clear, the one member of the display, output and reference-oscillator interfaces
// with a body of its own: in simulation the text reads back empty. Its command on the wire is the
// display row of the C suite's forwarding table (tests/c/FunctionsTest.c).
#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

TEST(InstrumentParts, DisplayClearEmptiesTheText) {
  CounterDriver d;
  d.Simulate("QX1200");
  auto* display = d.Get<ITevraDisplay>(IID_ITevraDisplay);
  EXPECT_EQ(GetText([&](BSTR* v) { return display->get_Text(v); }), "\"Hello\"");
  EXPECT_EQ(display->Clear(), S_OK);
  EXPECT_EQ(GetText([&](BSTR* v) { return display->get_Text(v); }), "");
}

}  // namespace
}  // namespace tevra::testing
