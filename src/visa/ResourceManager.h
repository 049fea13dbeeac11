// The VISA resource manager: opens sessions by resource string over the transport registered for
// the resource's kind, or through a system VISA library (see OpenOptions.h for when). A resource
// that neither serves fails to open with kViErrorRsrcNfound, which the driver reports as an
// unknown resource. A serial resource gets the serial settings of the options once it is open.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "visa/OpenOptions.h"
#include "visa/ResourceString.h"
#include "visa/Transport.h"
#include "visa/VisaSession.h"
#include "visa/VisaTypes.h"

namespace tevra::visa {

class ResourceManager {
 public:
  ResourceManager();  // with the built-in transports

  // viOpen: parses the resource string (kViErrorInvRsrcName), opens its transport within
  // openTimeoutMs and, with ExclusiveLock, locks the resource. mode NoLock or ExclusiveLock
  // (else kViErrorInvAccMode).
  ViStatus Open(std::string_view resource, AccessMode mode, std::uint32_t openTimeoutMs,
                std::unique_ptr<VisaSession>& session, const OpenOptions& options = {});

  // Serves a kind of resource with factory, in place of what served it before.
  void RegisterTransport(ResourceKind kind, TransportFactory factory);

  ViStatus LastStatus() const { return lastStatus_; }
  // Why the last Open failed: "VI_ERROR_RSRC_NFOUND: ... (viOpen TCPIP0::...: connect to ...)".
  const std::string& LastErrorDescription() const { return lastErrorDescription_; }

 private:
  ViStatus Fail(ViStatus status, std::string_view resource, std::string_view detail);
  ViStatus OpenThroughLibrary(std::string_view library, std::string_view resource, AccessMode mode,
                              std::uint32_t openTimeoutMs, std::unique_ptr<VisaSession>& session,
                              std::string_view why);
  ViStatus ApplySerialSettings(const SerialSettings& serial, VisaSession& session,
                               std::string_view resource);

  std::vector<std::pair<ResourceKind, TransportFactory>> transports_;
  ViStatus lastStatus_ = kViSuccess;
  std::string lastErrorDescription_;
};

}  // namespace tevra::visa
