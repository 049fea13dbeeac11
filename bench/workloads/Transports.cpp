// The same two exchanges over each wire of the emulator, through the driver object: the "*IDN?"
// round trip (ITevraSystem's pass-through write and read) and a block of readings
// (DestructiveReadUpToCount, 8 bytes a reading). Each wire's figure sits beside the raw socket's,
// measured in turn with it, so the ratio is what the wire's framing costs.
#include <cstring>
#include <memory>
#include <string>

#include "Fixtures.h"
#include "Timing.h"
#include "Workload.h"

namespace tevra::workloads {
namespace {

// A driver on a fake served over one wire, and the two exchanges as jobs.
class WireBench {
 public:
  WireBench(emulator::WireSetUp wire, const Replies& replies) : replies_(replies) {
    fake_ = StartFake(replies, wire);
    failure_ = fake_ ? driver_.Open(fake_->ResourceName(), "") : "no fake on the wire";
    system_ = driver_.Get<ITevraSystem3>(IID_ITevraSystem3);
    measurement_ = driver_.Get<ITevraMeasurement>(IID_ITevraMeasurement);
    if (failure_.empty() && (!system_ || !measurement_)) failure_ = "no system or measurement";
  }
  const std::string& Failure() const { return failure_; }

  Job IdentityQueries(int calls) {
    return [this, calls]() -> std::string {
      static const char16_t kQuery[] = u"*IDN?\n";
      BSTR query = TevraSysAllocStringLen(kQuery, 6);
      for (int i = 0; i < calls; ++i) {
        BSTR reply = nullptr;
        HRESULT hr = system_->WriteString(query);
        if (SUCCEEDED(hr)) hr = system_->ReadString(&reply);
        const bool whole = reply && TevraSysStringLen(reply) == kSampleIdentityLength;
        TevraSysFreeString(reply);
        if (FAILED(hr) || !whole) {
          TevraSysFreeString(query);
          return workloads::Failure("the *IDN? round trip", hr);
        }
      }
      TevraSysFreeString(query);
      return {};
    };
  }
  Job BlockReads(int calls) {
    return [this, calls]() -> std::string {
      const LONG readings = static_cast<LONG>(replies_.readings);
      for (int i = 0; i < calls; ++i) {
        SAFEARRAY* array = nullptr;
        const HRESULT hr = measurement_->DestructiveReadUpToCount(readings, &array);
        const bool complete = array && array->rgsabound[0].cElements == ULONG(readings);
        if (array) TevraSafeArrayDestroy(array);
        if (FAILED(hr) || !complete) return workloads::Failure("the block read", hr);
      }
      return {};
    };
  }

 private:
  // The identity the sample fake answers, without the line feed that ReadString drops.
  static inline const std::size_t kSampleIdentityLength = std::strlen(testing::kSampleIdentity) - 1;

  const Replies& replies_;
  std::unique_ptr<emulator::Instrument> fake_;
  DriverSession driver_;
  ITevraSystem3* system_ = nullptr;
  ITevraMeasurement* measurement_ = nullptr;
  std::string failure_;
};

}  // namespace

void RunTransports(const Settings& settings, std::vector<Row>& rows) {
  const std::size_t readings = settings.quick ? 1000 : 1000000;
  const int queries = settings.quick ? 20 : 5000, blocks = settings.quick ? 2 : 10;
  const Replies replies(readings, false);
  WireBench socket(emulator::SetUpSocketWire, replies);
  const struct {
    const char* name;
    emulator::WireSetUp wire;
    double blockGoal;  // the block's ratio to the raw socket; 0: a figure to read
  } wires[] = {{"VXI-11", emulator::SetUpVxi11Wire, 1.5},
               {"HiSLIP", emulator::SetUpHislipWire, 1.5},
               {"serial pty", emulator::SetUpSerialWire, 0}};
  for (const auto& wire : wires) {
    Row idn{std::string("*IDN? round trip, ") + wire.name + " / socket", "us", Goal::None, 0};
    Row block{"block of " + std::to_string(readings * 8 / 1000) + " kB, " + wire.name + " / socket",
              "ms", wire.blockGoal > 0 ? Goal::RatioAtMost : Goal::None, wire.blockGoal};
    WireBench bench(wire.wire, replies);
    std::string failure = socket.Failure().empty() ? bench.Failure() : socket.Failure();
    std::vector<Sample> samples(4);
    if (failure.empty()) {
      samples = MeasureBeside(settings.repeats,
                              {bench.IdentityQueries(queries), socket.IdentityQueries(queries),
                               bench.BlockReads(blocks), socket.BlockReads(blocks)},
                              failure);
    }
    const auto fill = [&](Row& row, const Sample& through, const Sample& floor, double scale) {
      row.failure = failure;
      row.driver = through.wall * scale;
      row.floor = floor.wall * scale;
      row.cpuRatio = floor.cpu > 0 ? through.cpu / floor.cpu : 0;
      rows.push_back(row);
    };
    fill(idn, samples[0], samples[1], 1e6 / queries);
    fill(block, samples[2], samples[3], 1e3 / blocks);
  }
}

}  // namespace tevra::workloads
