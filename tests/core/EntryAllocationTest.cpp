// The entry path runs on every call: once warmed up, a call must not touch the heap, whether it
// only reads a flag, formats a long command into its frame or talks to an instrument over a
// loopback socket.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <new>

#include "counter/CounterTestSupport.h"
#include "support/DriverHandle.h"

namespace {
// Per thread: the fake instrument serves on a thread of its own and allocates as it likes.
thread_local long t_allocations = 0;
}  // namespace

// Counts every allocation of this test program. Every form is replaced, so that allocation and
// release always pair up (sanitizers check that they do).
void* operator new(std::size_t size) {
  ++t_allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  ++t_allocations;
  return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace tevra::testing {
namespace {

// The allocations of 100 calls after one to warm up.
long AllocationsOf(const std::function<HRESULT()>& call) {
  EXPECT_EQ(call(), S_OK) << TakeErrorDescription();
  const long before = t_allocations;
  for (int i = 0; i < 100; ++i) call();
  return t_allocations - before;
}

TEST(EntryAllocation, PropertyCallsDoNotAllocate) {
  DriverHandle handle;
  ASSERT_EQ(handle.Initialize("SIM", "Simulate=true"), S_OK);
  VARIANT_BOOL value = 0;
  LONG version = 0;
  EXPECT_EQ(AllocationsOf([&] {
              handle.operation->get_Cache(&value);
              handle.operation->put_RangeCheck(VARIANT_TRUE);
              handle.identity->get_SpecificationMajorVersion(&version);
              return handle.utility->Reset();
            }),
            0);
}

// Templated methods whose commands are longer than a string keeps inline: a channel's level put
// with all fifteen digits of a real, a channel's enumeration put, a function's configure and
// measure.
struct TemplatedCall {
  const char* name;
  std::function<HRESULT(ITevraChannel*, ITevraFrequency*)> call;
};
const TemplatedCall kTemplatedCalls[] = {
    {"ITevraChannel.put_Voltage1",
     [](ITevraChannel* c, ITevraFrequency*) { return c->put_Voltage1(0.123456789012345); }},
    {"ITevraChannel.put_Coupling",
     [](ITevraChannel* c, ITevraFrequency*) { return c->put_Coupling(TevraCouplingDC); }},
    {"ITevraFrequency.Configure",
     [](ITevraChannel*, ITevraFrequency* f) {
       return f->Configure(1.23456789012345e6, 0.000123456789012345, 1);
     }},
    {"ITevraFrequency.Measure",
     [](ITevraChannel*, ITevraFrequency* f) {
       double reading = 0;
       return f->Measure(1.23456789012345e6, 0.000123456789012345, 1, &reading);
     }},
};

template <class Driver>
void ExpectTemplatedCallsDoNotAllocate(Driver& d) {
  ITevraChannel* channel = d.Channel("Channel1");
  auto* frequency = d.template Get<ITevraFrequency>(IID_ITevraFrequency);
  for (const TemplatedCall& c : kTemplatedCalls) {
    EXPECT_EQ(AllocationsOf([&] { return c.call(channel, frequency); }), 0) << c.name;
  }
}

TEST(EntryAllocation, SimulatedTemplatedCallsDoNotAllocate) {
  CounterDriver d;
  d.Simulate("QX1300");
  ExpectTemplatedCallsDoNotAllocate(d);
}

TEST(EntryAllocation, LiveTemplatedCallsDoNotAllocate) {
  SocketDriver d;
  d.fake.OnPrefix("MEAS:FREQ?").Reply("+1.000000000000E+06\n");
  d.Open("QX1300", "");
  ExpectTemplatedCallsDoNotAllocate(d);
  // The calls went to the instrument, each command whole.
  const std::string wire = d.fake.Transcript();
  EXPECT_NE(wire.find("INP1:LEV 0.123456789012345\n"), std::string::npos);
  EXPECT_NE(wire.find("MEAS:FREQ? 1234567.89012345, 0.000123456789012345, (@1)\n"),
            std::string::npos);
}

}  // namespace
}  // namespace tevra::testing
