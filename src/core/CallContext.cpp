#include "core/CallContext.h"

namespace tevra::core {

void CallContextStack::PushCallContext(CallFrame& frame) {
  frame.below = top_;
  top_ = &frame;
}

void CallContextStack::PopCallContext() {
  if (top_) top_ = top_->below;
}

}  // namespace tevra::core
