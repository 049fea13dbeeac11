// One query and its reply through a live property get (ITevraTrigger::Count with the cache off,
// so every get asks the instrument), through the object and the C interface, each beside the same
// bytes exchanged on a bare blocking socket with the same fake.
#include <string>

#include "Fixtures.h"
#include "Timing.h"
#include "Workload.h"
#include "support/BareSocket.h"

namespace tevra::workloads {

void RunRoundTrip(const Settings& settings, std::vector<Row>& rows) {
  const int calls = settings.quick ? 50 : 20000;
  Row object{"round trip: live property get, object", "us", Goal::RatioAtMost, 1.05};
  Row c{"round trip: live property get, C", "us", Goal::RatioAtMost, 1.05};
  const Replies replies(1);
  const auto fake = StartFake(replies);
  DriverSession driver;
  CSession session;
  testing::BareSocket bare;
  std::string failure = fake ? driver.Open(fake->ResourceName(), "Cache=false") : "no fake";
  if (failure.empty()) failure = session.Open(fake->ResourceName(), "Cache=false");
  if (failure.empty() && !bare.Connect(fake->Port())) failure = "cannot connect a bare socket";
  auto* trigger = driver.Get<ITevraTrigger>(IID_ITevraTrigger);
  if (failure.empty() && !trigger) failure = "no ITevraTrigger";
  if (!failure.empty()) {
    object.failure = c.failure = failure;
    rows.push_back(object);
    rows.push_back(c);
    return;
  }

  const Job objectGets = [&]() -> std::string {
    for (int i = 0; i < calls; ++i) {
      LONG count = 0;
      if (const HRESULT hr = trigger->get_Count(&count); FAILED(hr) || count != 1)
        return Failure("get_Count", hr);
    }
    return {};
  };
  const Job cGets = [&]() -> std::string {
    for (int i = 0; i < calls; ++i) {
      ViInt32 count = 0;
      if (Tevra_GetAttributeViInt32(session.vi(), "", TEVRA_ATTR_TRIGGER_COUNT, &count) < 0 ||
          count != 1)
        return "Tevra_GetAttributeViInt32 failed: " + session.LastError();
    }
    return {};
  };
  const Job bareExchanges = [&]() -> std::string {
    char reply[64];
    for (int i = 0; i < calls; ++i) {
      if (!bare.Send(kCountQuery) || bare.ReceiveLine(reply, sizeof reply) != kCountReply.size())
        return "the bare socket lost the fake";
    }
    return {};
  };
  // Each driver figure sits right beside its own floor figure.
  const auto samples =
      MeasureBeside(settings.repeats, {objectGets, bareExchanges, cGets, bareExchanges}, failure);
  const auto fill = [&](Row& row, const Sample& through, const Sample& floor) {
    row.failure = failure;
    row.driver = through.wall / calls * 1e6;
    row.floor = floor.wall / calls * 1e6;
    row.cpuRatio = floor.cpu > 0 ? through.cpu / floor.cpu : 0;
    rows.push_back(row);
  };
  fill(object, samples[0], samples[1]);
  fill(c, samples[2], samples[3]);
}

}  // namespace tevra::workloads
