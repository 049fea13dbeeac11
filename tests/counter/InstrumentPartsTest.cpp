// The display's Clear, the one member of the display, output and reference-oscillator interfaces
// with a body of its own: live it sends its command, in simulation the text reads back empty.
#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

TEST(InstrumentParts, DisplayClearEmptiesTheText) {
  CounterDriver live;
  live.Open("QX1200");
  live.script.Expect("DISP:TEXT:CLE");
  EXPECT_EQ(live.Get<ITevraDisplay>(IID_ITevraDisplay)->Clear(), S_OK);
  live.ExpectScriptPlayed();

  CounterDriver d;
  d.Simulate("QX1200");
  auto* display = d.Get<ITevraDisplay>(IID_ITevraDisplay);
  EXPECT_EQ(GetText([&](BSTR* v) { return display->get_Text(v); }), "\"Hello\"");
  EXPECT_EQ(display->Clear(), S_OK);
  EXPECT_EQ(GetText([&](BSTR* v) { return display->get_Text(v); }), "");
}

}  // namespace
}  // namespace tevra::testing
