// A system VISA library loaded at run time (a vendor's libvisa.so, the IVI VISA router): its
// functions resolved with dlsym into one table, and a session that forwards every operation to
// it. The library owns the attributes, locks, status byte and error texts of its sessions; only
// viOpenDefaultRM and viOpen are required, and a missing optional function answers
// kViErrorNsupOper in one place.
//
// A library is loaded once per name for the life of the process and never unloaded (a VISA
// library may keep threads of its own); its default resource manager is opened once with it.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "visa/VisaSession.h"
#include "visa/VisaTypes.h"

namespace tevra::visa {

struct VisaLibrary;

// The file names tried, in order, when no library is named.
inline constexpr std::string_view kVisaLibrarySearch[] = {
    "libvisa.so",   "libvisa.so.0",  "libvisa.so.7",    "libiovisa.so",
    "librsvisa.so", "libivivisa.so", "libivivisa.so.0",
};

// Loads the library name (a path or a file name the loader finds; "default" searches the list
// above). kViErrorLibraryNfound when no library loads or a required function is missing, with
// detail naming what was looked for.
ViStatus LoadVisaLibrary(std::string_view name, std::shared_ptr<VisaLibrary>& library,
                         std::string& detail);

// viOpen on the library's default resource manager with the resource string as written.
ViStatus OpenSystemVisaSession(const std::shared_ptr<VisaLibrary>& library,
                               std::string_view resource, AccessMode mode,
                               std::uint32_t openTimeoutMs, std::unique_ptr<VisaSession>& session,
                               std::string& detail);

// viFindRsrc and viFindNext on the library's default resource manager: every resource it finds
// for expression. kViErrorNsupOper when the library has no such functions; the library's status
// otherwise (kViErrorRsrcNfound when nothing matched).
ViStatus FindInVisaLibrary(const std::shared_ptr<VisaLibrary>& library, std::string_view expression,
                           std::vector<std::string>& resources, std::string& detail);

// The file the library was loaded from, as it was named to the loader.
const std::string& VisaLibraryName(const VisaLibrary& library);

}  // namespace tevra::visa
