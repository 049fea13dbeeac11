// CNode: the common base of the driver object and of its repeated-capability (channel) objects.
// It holds the node's children and cache and runs the entry protocol that every interface method
// of every node goes through.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "core/CacheStore.h"
#include "core/CallContext.h"
#include "core/FunctionRef.h"
#include "core/Param.h"

namespace tevra::core {

class CDriver;

class CNode {
 public:
  // A node that is not the driver names the driver it belongs to.
  explicit CNode(CDriver* driver) : driver_(driver) {}
  virtual ~CNode() = default;
  CNode(const CNode&) = delete;
  CNode& operator=(const CNode&) = delete;

  CDriver& Driver() { return *driver_; }
  const CDriver& Driver() const { return *driver_; }

  // Hooks run on every node of the tree by the session steps.
  virtual HRESULT PostInitialize() { return S_OK; }
  virtual HRESULT OnClose() { return S_OK; }
  virtual void ResetState() {}

  // Children, grouped by repeated-capability name. The creator owns them; the node only lists.
  struct RepCapGroup {
    std::string name;
    std::vector<CNode*> nodes;
  };
  void AddChild(std::string_view repCapName, CNode* child);
  void ClearChildren() { children_.clear(); }
  const std::vector<RepCapGroup>& Children() const { return children_; }

  // Arguments every command template of this node's methods starts with, ahead of the method's
  // own inputs (a channel's number); not method parameters, so never traced.
  virtual std::span<const Param> CommandPrefix() const { return {}; }

  // The node's simulated settings.
  CCacheStore& Cache() { return cache_; }

  // Depth first, stopping at the first failure.
  HRESULT PostInitializeChildren();
  // Children of a child before the child, stopping at the first failure.
  HRESULT CloseChildren();
  // This node and every node below it.
  void ResetStateTree();
  // Empties every entry of this node's store and of every node below it.
  void InvalidateCacheTree();

  // The entry protocol around a method body. The params are the method's arguments in order;
  // outputs are checked for null and zeroed before the body runs.
  template <class Body, class... P>
  HRESULT Enter(const MethodRecord& method, Body&& body, P... params) noexcept {
    return EnterWith(Formatting::Always, method, body, params...);
  }
  // The entry protocol of a property that simulation answers from the cache: its template is
  // formatted only on a live session, so a simulated put stores any value, as given.
  template <class Body, class... P>
  HRESULT EnterCached(const MethodRecord& method, Body&& body, P... params) noexcept {
    return EnterWith(Formatting::LiveOnly, method, body, params...);
  }

 private:
  enum class Formatting : std::uint8_t { Always, LiveOnly };
  template <class Body, class... P>
  HRESULT EnterWith(Formatting formatting, const MethodRecord& method, Body& body,
                    P... params) noexcept {
    const std::array<Param, sizeof...(P)> list{params...};
    const std::span<const Param> args(list.data(), list.size());
    if constexpr (std::is_invocable_v<Body&, CallFrame&>) {
      return RunEntry(formatting, method, args, FunctionRef<HRESULT(CallFrame&)>(body));
    } else {
      auto withoutFrame = [&body](CallFrame&) { return body(); };
      return RunEntry(formatting, method, args, FunctionRef<HRESULT(CallFrame&)>(withoutFrame));
    }
  }

  static constexpr std::size_t kMaxTemplateArgs = 12;
  HRESULT FormatTemplate(CDriver& driver, const MethodRecord& method, std::span<const Param> params,
                         CommandText& command);
  HRESULT RunEntry(Formatting formatting, const MethodRecord& method, std::span<const Param> params,
                   FunctionRef<HRESULT(CallFrame&)> body) noexcept;

  CDriver* driver_;
  CCacheStore cache_;
  std::vector<RepCapGroup> children_;
};

}  // namespace tevra::core
