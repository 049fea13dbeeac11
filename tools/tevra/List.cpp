#include "List.h"

#include "visa/FindResources.h"

namespace tevra::command {
namespace {

std::string JsonText(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    if (static_cast<unsigned char>(c) < 0x20) {
      quoted += ' ';
      continue;
    }
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

int List(const ListRequest& request, std::ostream& out, std::ostream& notes) {
  visa::FindOptions options = visa::FindOptions::FromEnvironment();
  options.vxi11 = request.vxi11;
  options.vxi11Targets = request.to;
  options.mdns = request.mdns;
  options.waitMs = request.waitMs;
  if (!request.visaLibrary.empty()) options.visaLibrary = request.visaLibrary;
  visa::FindResult result;
  const visa::ViStatus status = visa::FindResources(request.expression, options, result);
  if (status == visa::kViErrorInvExpr) {
    notes << "tevra: '" << request.expression << "' is not a VISA search expression\n";
    return 2;
  }
  for (const std::string& note : result.notes) notes << "tevra: " << note << '\n';
  if (request.json) {
    out << '[';
    for (std::size_t i = 0; i < result.found.size(); ++i) {
      const visa::FoundResource& found = result.found[i];
      out << (i ? ",\n " : "") << "{\"resource\": " << JsonText(found.resource)
          << ", \"source\": " << JsonText(found.source)
          << ", \"description\": " << JsonText(found.description) << '}';
    }
    out << "]\n";
  } else {
    std::size_t width = 0;
    for (const visa::FoundResource& found : result.found)
      width = std::max(width, found.resource.size());
    for (const visa::FoundResource& found : result.found)
      out << found.resource << std::string(width + 2 - found.resource.size(), ' ') << found.source
          << std::string(8 - std::min<std::size_t>(found.source.size(), 7), ' ')
          << found.description << '\n';
  }
  if (result.found.empty()) {
    notes << "tevra: no instrument matches " << request.expression
          << (request.vxi11 ? "" : " (--vxi11 also asks the LAN's portmappers)") << '\n';
    return 1;
  }
  return 0;
}

}  // namespace tevra::command
