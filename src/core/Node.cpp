#include "core/Node.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>
#include <stdexcept>

#include "core/Driver.h"
#include "platform/ErrorInfo.h"

namespace tevra::core {
namespace {

// Output parameters start out zero (null for strings and objects), so a failing method never
// leaves the caller holding garbage.
void ZeroOutput(const Param& p) { std::memset(p.ptr, 0, FactsOf(p.type).size); }

class CallContextScope {
 public:
  CallContextScope(ICallContextProvider& calls, CallFrame& frame) : calls_(calls) {
    calls_.PushCallContext(frame);
  }
  ~CallContextScope() { calls_.PopCallContext(); }

 private:
  ICallContextProvider& calls_;
};

// The method's trace record: opened after the argument checks, closed with the final result.
class TraceScope {
 public:
  TraceScope(ITraceLog& log, const MethodRecord& method, std::span<const Param> params,
             const HRESULT& result)
      : log_(log), method_(method), params_(params), result_(result) {
    try {
      recording_ = log_.BeginRecord(method_, params_);
    } catch (...) {
      recording_ = false;  // the trace never fails the call it records
    }
  }
  ~TraceScope() {
    if (!recording_) return;
    try {
      log_.EndRecord(method_, params_, result_);
    } catch (...) {
    }
  }

 private:
  ITraceLog& log_;
  const MethodRecord& method_;
  std::span<const Param> params_;
  const HRESULT& result_;
  bool recording_ = false;
};

// A standard-library exception escaping a body becomes its status, with a description.
HRESULT StatusOfException(CTevraErrorReporter& reporter) noexcept {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return reporter.ReportStatusText(E_OUTOFMEMORY, "Could not allocate necessary memory.");
  } catch (const std::invalid_argument& e) {
    return reporter.ReportStatusText(E_INVALIDARG, e.what());
  } catch (const std::exception& e) {
    return reporter.ReportStatusText(E_FAIL, e.what());
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace

void CNode::AddChild(std::string_view repCapName, CNode* child) {
  for (RepCapGroup& g : children_) {
    if (g.name == repCapName) {
      g.nodes.push_back(child);
      return;
    }
  }
  children_.push_back({std::string(repCapName), {child}});
}

HRESULT CNode::PostInitializeChildren() {
  for (RepCapGroup& g : children_) {
    for (CNode* child : g.nodes) {
      HRESULT hr = child->PostInitialize();
      if (FAILED(hr)) return hr;
      hr = child->PostInitializeChildren();
      if (FAILED(hr)) return hr;
    }
  }
  return S_OK;
}

HRESULT CNode::CloseChildren() {
  for (RepCapGroup& g : children_) {
    for (CNode* child : g.nodes) {
      HRESULT hr = child->CloseChildren();
      if (FAILED(hr)) return hr;
      hr = child->OnClose();
      if (FAILED(hr)) return hr;
    }
  }
  return S_OK;
}

void CNode::ResetStateTree() {
  ResetState();
  for (RepCapGroup& g : children_)
    for (CNode* child : g.nodes) child->ResetStateTree();
}

void CNode::InvalidateCacheTree() {
  cache_.InvalidateAll();
  for (RepCapGroup& g : children_)
    for (CNode* child : g.nodes) child->InvalidateCacheTree();
}

HRESULT CNode::FormatTemplate(CDriver& driver, const MethodRecord& method,
                              std::span<const Param> params, CommandText& command) {
  const std::span<const Param> prefix = CommandPrefix();
  if (prefix.empty()) return driver.FormatCommand(method.commandTemplate, params, command);
  std::array<Param, kMaxTemplateArgs> all{};
  if (prefix.size() + params.size() > all.size()) return E_UNEXPECTED;
  std::copy(prefix.begin(), prefix.end(), all.begin());
  std::copy(params.begin(), params.end(), all.begin() + prefix.size());
  return driver.FormatCommand(method.commandTemplate,
                              std::span<const Param>(all.data(), prefix.size() + params.size()),
                              command);
}

HRESULT CNode::RunEntry(Formatting formatting, const MethodRecord& method,
                        std::span<const Param> params,
                        FunctionRef<HRESULT(CallFrame&)> body) noexcept {
  CDriver& driver = Driver();
  CTevraErrorReporter& reporter = driver.Reporter();
  try {
    // The driver's session lock, for a call on any of its nodes: the I/O session, trace log,
    // call-context stack and caches are shared by all nodes, so a channel call must not
    // interleave with a driver call. One lock serves them all, so a call pays for one.
    const std::lock_guard lock(driver.Mutex());
    CallFrame frame;
    frame.method = &method;
    CallContextScope context(driver.Calls(), frame);

    if (!(method.flags & kNoInitCheck) && !driver.IsInitialized())
      return reporter.Report(Code::NotInitialized);
    platform::ClearThreadError();

    for (const Param& p : params) {
      if (p.dir == Dir::In) continue;
      if (!p.ptr) return reporter.Report(Code::NullPointer, method.methodName, p.name);
      if (p.dir == Dir::Out && !(method.flags & kKeepsOutputs)) ZeroOutput(p);
    }

    HRESULT result = S_OK;
    TraceScope trace(driver.Trace(), method, params, result);
    try {
      if (method.unsupportedModels & driver.ModelBit()) {
        result = reporter.Report(Code::ModelNotSupported, method.methodName);
      } else if (method.commandTemplate &&
                 (formatting == Formatting::Always || !driver.Simulating()) &&
                 FAILED(result = FormatTemplate(driver, method, params, frame.command))) {
        // the formatter reported the failure
      } else {
        result = body(frame);
      }
    } catch (...) {
      result = StatusOfException(reporter);
    }
    return result;
  } catch (...) {
    return StatusOfException(reporter);
  }
}

}  // namespace tevra::core
