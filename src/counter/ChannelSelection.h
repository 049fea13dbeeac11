// The driver object's internal interface that turns a channel selector ("Channel1",
// "Channel1,Channel3", "Channel1-Channel2") into channel objects: the C interface's functions and
// attributes that act on channels go through it. It is answered by QueryInterface on the driver
// object but declared in no public header.
#pragma once

#include <vector>

#include "platform/ComPtr.h"
#include "tevra/TevraTypes.h"

namespace tevra::counter {

struct IChannelSelection : IUnknown {
  // The channels the selector names, in selector order, each as the interface riid
  // (IID_ITevraChannel or IID_IIviCounterChannel). With rangesAllowed false a range is badly
  // formed. A failure is reported on the calling thread's error information and leaves channels
  // empty.
  virtual HRESULT SelectChannels(const char* selector, bool rangesAllowed, REFIID riid,
                                 std::vector<platform::ComPtr<IUnknown>>& channels) = 0;

 protected:
  ~IChannelSelection() = default;
};

inline constexpr IID IID_IChannelSelection = {
    0x8bb208cc, 0x017b, 0x4e02, {0x8f, 0xa4, 0x0f, 0x7c, 0xb0, 0x6b, 0x7d, 0x5d}};

}  // namespace tevra::counter
