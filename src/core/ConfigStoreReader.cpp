// Reads and validates the configuration store's XML file with libxml2. The parser runs with the
// network forbidden, no entity substitution and no DTD: a document type declaration stops the
// parse before its subset is read, so no entity is ever declared, loaded or expanded. Every
// refusal names the file, the line and the element.
#include <fcntl.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <map>
#include <memory>
#include <mutex>
#include <set>

#include "core/ConfigStore.h"
#include "core/TextUtil.h"

namespace tevra::core {
namespace {

// A refusal, unwound to ParseConfigStore; it never leaves this file.
struct Refusal {
  long line;
  std::string element;
  std::string problem;
};

[[noreturn]] void Refuse(const xmlNode* node, std::string problem) {
  std::string element = "<";
  element += reinterpret_cast<const char*>(node->name);
  element += '>';
  throw Refusal{xmlGetLineNo(node), std::move(element), std::move(problem)};
}

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  quoted.append(text).append("\"");
  return quoted;
}

bool Named(const xmlNode* node, const char* name) {
  return std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

// The attributes of one element: each one read must be among those the element allows.
class Attributes {
 public:
  Attributes(const xmlNode* node, std::initializer_list<const char*> allowed) : node_(node) {
    for (const xmlAttr* a = node->properties; a; a = a->next) {
      const std::string name = reinterpret_cast<const char*>(a->name);
      bool known = false;
      for (const char* candidate : allowed) known = known || name == candidate;
      if (!known) Refuse(node, "unknown attribute " + Quoted(name));
      xmlChar* value = xmlNodeListGetString(node->doc, a->children, 1);
      values_[name] = value ? reinterpret_cast<const char*>(value) : "";
      xmlFree(value);
    }
  }
  bool Has(const char* name) const { return values_.count(name) != 0; }
  std::string Optional(const char* name, std::string fallback = {}) const {
    const auto found = values_.find(name);
    return found == values_.end() ? fallback : found->second;
  }
  std::string Required(const char* name) const {
    const auto found = values_.find(name);
    if (found == values_.end()) Refuse(node_, "missing attribute " + Quoted(name));
    return found->second;
  }
  // A required name: not empty after trimming, and kept trimmed.
  std::string Name(const char* name = "name") const {
    const std::string value(Trim(Required(name)));
    if (value.empty()) Refuse(node_, "attribute " + Quoted(name) + " is empty");
    return value;
  }
  bool Boolean(const char* name, bool fallback) const {
    if (!Has(name)) return fallback;
    bool value = false;
    if (!ParseBoolean(Optional(name), value))
      Refuse(node_, "attribute " + Quoted(name) +
                        " is not a boolean (true, false, 1 or 0): " + Quoted(Optional(name)));
    return value;
  }
  std::int32_t Int32(const char* name) const {
    const std::string text = Required(name);
    std::int32_t value = 0;
    if (!ParseInt32(text, value))
      Refuse(node_, "attribute " + Quoted(name) + " is not a 32-bit integer: " + Quoted(text));
    return value;
  }

  static bool ParseBoolean(std::string_view text, bool& value) {
    text = Trim(text);
    if (EqualsNoCase(text, "true") || text == "1") return value = true, true;
    if (EqualsNoCase(text, "false") || text == "0") return value = false, true;
    return false;
  }
  static bool ParseInt32(std::string_view text, std::int32_t& value) {
    text = Trim(text);
    if (text.starts_with('+')) text.remove_prefix(1);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && ec == std::errc{} && end == text.data() + text.size();
  }
  static bool ParseReal(std::string_view text, double& value) {
    text = Trim(text);
    if (text.starts_with('+')) text.remove_prefix(1);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && ec == std::errc{} && end == text.data() + text.size() &&
           std::isfinite(value);
  }

 private:
  const xmlNode* node_;
  std::map<std::string, std::string> values_;
};

// The child elements of a node; text other than white space is refused, comments and processing
// instructions are passed over.
std::vector<const xmlNode*> Children(const xmlNode* node) {
  std::vector<const xmlNode*> elements;
  for (const xmlNode* child = node->children; child; child = child->next) {
    switch (child->type) {
      case XML_ELEMENT_NODE:
        elements.push_back(child);
        break;
      case XML_TEXT_NODE: {
        const char* text = reinterpret_cast<const char*>(child->content);
        if (text && !Trim(text).empty()) Refuse(node, "unexpected text " + Quoted(Trim(text)));
        break;
      }
      case XML_COMMENT_NODE:
      case XML_PI_NODE:
        break;
      default:
        Refuse(node, "unexpected content (only elements and comments belong here)");
    }
  }
  return elements;
}

[[noreturn]] void RefuseChild(const xmlNode* parent, const xmlNode* child) {
  Refuse(child, std::string("unknown element inside <") +
                    reinterpret_cast<const char*>(parent->name) + ">");
}

// Names unique within one kind, compared without regard to case.
class NameSet {
 public:
  explicit NameSet(const char* kind) : kind_(kind) {}
  void Add(const xmlNode* node, const std::string& name) {
    const auto [at, added] = names_.emplace(ToLower(name), xmlGetLineNo(node));
    if (!added)
      Refuse(node, "duplicate " + std::string(kind_) + " name " + Quoted(name) +
                       " (first at line " + std::to_string(at->second) + ")");
  }
  bool Contains(std::string_view name) const { return names_.count(ToLower(name)) != 0; }

 private:
  const char* kind_;
  std::map<std::string, long> names_;
};

DataComponent ReadDataComponent(const xmlNode* node, int depth) {
  const Attributes attributes(node, {"name", "type", "value"});
  DataComponent component;
  component.name = attributes.Name();
  component.type = std::string(Trim(attributes.Required("type")));
  component.value = attributes.Optional("value");
  const std::vector<const xmlNode*> children = Children(node);
  const bool structure = EqualsNoCase(component.type, "Structure");
  if (!structure && !children.empty())
    Refuse(children.front(), "only a data component of type Structure holds components");
  if (structure) {
    if (attributes.Has("value")) Refuse(node, "a Structure has components, not a value");
    if (depth >= kMaxStructureDepth)
      Refuse(node, "structures nested deeper than " + std::to_string(kMaxStructureDepth));
    NameSet names("data component");
    for (const xmlNode* child : children) {
      if (!Named(child, "DataComponent")) RefuseChild(node, child);
      component.components.push_back(ReadDataComponent(child, depth + 1));
      names.Add(child, component.components.back().name);
    }
    return component;
  }
  const auto typeIs = [&](const char* type) { return EqualsNoCase(component.type, type); };
  const bool typed = typeIs("Integer") || typeIs("Real") || typeIs("Boolean");
  if (typed && !attributes.Has("value"))
    Refuse(node, "a data component of type " + component.type + " needs a \"value\"");
  std::int32_t integer = 0;
  double real = 0;
  bool boolean = false;
  if (typeIs("Integer") && !Attributes::ParseInt32(component.value, integer))
    Refuse(node, "value " + Quoted(component.value) + " is not a 32-bit integer");
  if (typeIs("Real") && !Attributes::ParseReal(component.value, real))
    Refuse(node, "value " + Quoted(component.value) + " is not a finite real number");
  if (typeIs("Boolean") && !Attributes::ParseBoolean(component.value, boolean))
    Refuse(node, "value " + Quoted(component.value) + " is not a boolean (true, false, 1 or 0)");
  return component;
}

void ReadDataComponents(const xmlNode* child, std::vector<DataComponent>& components,
                        NameSet& names) {
  components.push_back(ReadDataComponent(child, 1));
  names.Add(child, components.back().name);
}

SoftwareModule ReadSoftwareModule(const xmlNode* node) {
  const Attributes attributes(node, {"name"});
  SoftwareModule module;
  module.name = attributes.Name();
  NameSet physical("physical");
  NameSet components("data component");
  for (const xmlNode* child : Children(node)) {
    if (Named(child, "PhysicalName")) {
      const Attributes a(child, {"name", "repCap"});
      PhysicalName name{a.Name(), a.Name("repCap")};
      physical.Add(child, name.repCap + "!!" + name.name);
      module.physicalNames.push_back(std::move(name));
    } else if (Named(child, "DataComponent")) {
      ReadDataComponents(child, module.dataComponents, components);
    } else {
      RefuseChild(node, child);
    }
  }
  return module;
}

HardwareAsset ReadHardwareAsset(const xmlNode* node) {
  const Attributes attributes(node, {"name", "resourceDescriptor"});
  HardwareAsset asset{attributes.Name(),
                      std::string(Trim(attributes.Required("resourceDescriptor")))};
  if (!Children(node).empty()) RefuseChild(node, Children(node).front());
  return asset;
}

VirtualName ReadVirtualName(const xmlNode* node, std::int64_t& expanded) {
  const Attributes attributes(node, {"name", "mapTo"});
  VirtualName name{attributes.Name(), attributes.Name("mapTo"), {}};
  for (const xmlNode* child : Children(node)) {
    if (!Named(child, "Range")) RefuseChild(node, child);
    const Attributes a(child, {"min", "max"});
    const VirtualRange range{a.Int32("min"), a.Int32("max")};
    if (range.min < 0) Refuse(child, "\"min\" is negative");
    if (range.max < range.min) Refuse(child, "\"max\" is less than \"min\"");
    expanded += std::int64_t{range.max} - range.min + 1;
    if (expanded > kMaxVirtualRangeNames)
      Refuse(child, "the ranges of one session expand to more than " +
                        std::to_string(kMaxVirtualRangeNames) + " names");
    name.ranges.push_back(range);
  }
  return name;
}

DriverSession ReadDriverSession(const xmlNode* node) {
  const Attributes attributes(
      node, {"name", "hardwareAsset", "softwareModule", "cache", "interchangeCheck",
             "queryInstrumentStatus", "rangeCheck", "recordCoercions", "simulate", "driverSetup"});
  DriverSession session;
  session.name = attributes.Name();
  session.hardwareAsset = std::string(Trim(attributes.Optional("hardwareAsset")));
  session.softwareModule = std::string(Trim(attributes.Optional("softwareModule")));
  const SessionFlags defaults;
  session.flags.cache = attributes.Boolean("cache", defaults.cache);
  session.flags.interchangeCheck =
      attributes.Boolean("interchangeCheck", defaults.interchangeCheck);
  session.flags.queryInstrumentStatus =
      attributes.Boolean("queryInstrumentStatus", defaults.queryInstrumentStatus);
  session.flags.rangeCheck = attributes.Boolean("rangeCheck", defaults.rangeCheck);
  session.flags.recordCoercions = attributes.Boolean("recordCoercions", defaults.recordCoercions);
  session.flags.simulate = attributes.Boolean("simulate", defaults.simulate);
  session.driverSetup = attributes.Optional("driverSetup");
  NameSet components("data component");
  NameSet virtualNames("virtual");
  std::int64_t expanded = 0;
  for (const xmlNode* child : Children(node)) {
    if (Named(child, "DataComponent")) {
      ReadDataComponents(child, session.dataComponents, components);
    } else if (Named(child, "VirtualName")) {
      session.virtualNames.push_back(ReadVirtualName(child, expanded));
      // Two entries that expand to the same virtual name would shadow each other.
      for (const auto& [name, mapped] : ExpandVirtualNames({session.virtualNames.back()}))
        virtualNames.Add(child, name);
    } else {
      RefuseChild(node, child);
    }
  }
  return session;
}

struct Located {
  const xmlNode* node;
  std::string reference;
};

void ReadRoot(const xmlNode* root, ConfigStore& store) {
  if (!Named(root, "IviConfigStore")) Refuse(root, "the root element must be <IviConfigStore>");
  const Attributes attributes(root, {"version"});
  const std::string version = attributes.Required("version");
  if (version != kStoreVersion)
    Refuse(root, "unsupported version " + Quoted(version) + " (this driver reads version " +
                     std::string(kStoreVersion) + ")");

  NameSet modules("software module");
  NameSet assets("hardware asset");
  NameSet sessions("driver session or logical");  // one set: both are looked up by one name
  std::vector<Located> sessionAssets, sessionModules, logicalSessions;
  for (const xmlNode* child : Children(root)) {
    if (Named(child, "SoftwareModule")) {
      store.softwareModules.push_back(ReadSoftwareModule(child));
      modules.Add(child, store.softwareModules.back().name);
    } else if (Named(child, "HardwareAsset")) {
      store.hardwareAssets.push_back(ReadHardwareAsset(child));
      assets.Add(child, store.hardwareAssets.back().name);
    } else if (Named(child, "DriverSession")) {
      store.driverSessions.push_back(ReadDriverSession(child));
      const DriverSession& session = store.driverSessions.back();
      sessions.Add(child, session.name);
      if (!session.hardwareAsset.empty()) sessionAssets.push_back({child, session.hardwareAsset});
      if (!session.softwareModule.empty())
        sessionModules.push_back({child, session.softwareModule});
    } else if (Named(child, "LogicalName")) {
      const Attributes a(child, {"name", "session"});
      store.logicalNames.push_back({a.Name(), a.Name("session")});
      sessions.Add(child, store.logicalNames.back().name);
      logicalSessions.push_back({child, store.logicalNames.back().session});
      if (!Children(child).empty()) RefuseChild(child, Children(child).front());
    } else {
      RefuseChild(root, child);
    }
  }

  // References may point forward, so they are checked once everything is read.
  for (const auto& [node, name] : sessionAssets)
    if (!assets.Contains(name))
      Refuse(node, "names the hardware asset " + Quoted(name) + ", which the store does not have");
  for (const auto& [node, name] : sessionModules)
    if (!modules.Contains(name))
      Refuse(node, "names the software module " + Quoted(name) + ", which the store does not have");
  std::set<std::string> sessionNames;
  for (const DriverSession& s : store.driverSessions) sessionNames.insert(ToLower(s.name));
  for (const auto& [node, name] : logicalSessions) {
    if (sessionNames.count(ToLower(name)) == 0)
      Refuse(node,
             "refers to the driver session " + Quoted(name) + ", which the store does not have");
  }
}

// Collects the parser's first error instead of letting libxml2 print it, and stops the parse at
// a document type declaration.
struct ParseErrors {
  long line = 0;
  std::string message;
};
thread_local ParseErrors* currentErrors = nullptr;

// Called from inside libxml2: nothing may be thrown through it.
void KeepFirstError(void*, xmlErrorPtr error) noexcept {
  if (!currentErrors || !currentErrors->message.empty() || !error) return;
  currentErrors->line = error->line;
  std::string_view text = error->message ? error->message : "malformed XML";
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.remove_suffix(1);
  try {
    currentErrors->message = text.empty() ? "malformed XML" : std::string(text);
  } catch (...) {
    currentErrors->message.clear();
  }
}

void RefuseDoctype(void* context, const xmlChar*, const xmlChar*, const xmlChar*) noexcept {
  auto* parser = static_cast<xmlParserCtxtPtr>(context);
  if (currentErrors && currentErrors->message.empty()) {
    currentErrors->line = parser->input ? parser->input->line : 0;
    try {
      currentErrors->message = "a document type declaration (<!DOCTYPE>) is not allowed";
    } catch (...) {
    }
  }
  xmlStopParser(parser);
}

struct DocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
struct ParserFree {
  void operator()(xmlParserCtxt* parser) const { xmlFreeParserCtxt(parser); }
};

}  // namespace

bool ParseConfigStore(std::string_view text, std::string_view fileName, ConfigStore& store,
                      std::string& error) {
  store = ConfigStore{};
  error.clear();
  const std::string file(fileName);
  if (text.size() > kMaxConfigStoreSize) {
    error = file + ": the file is larger than " + std::to_string(kMaxConfigStoreSize) + " bytes";
    return false;
  }
  if (text.empty()) {
    error = file + ":1: the file is empty";
    return false;
  }

  // libxml2's global set-up is not safe to race; two drivers may initialise at once.
  static std::once_flag initialized;
  std::call_once(initialized, [] { xmlInitParser(); });
  const std::unique_ptr<xmlParserCtxt, ParserFree> parser(xmlNewParserCtxt());
  if (!parser || !parser->sax) {
    error = file + ": could not allocate the XML parser";
    return false;
  }
  parser->sax->serror = KeepFirstError;
  parser->sax->internalSubset = RefuseDoctype;
  parser->sax->externalSubset = RefuseDoctype;
  ParseErrors errors;
  currentErrors = &errors;
  // No XML_PARSE_NOENT (entities stay unexpanded), no DTD loading or attribute defaults.
  constexpr int kOptions = XML_PARSE_NONET | XML_PARSE_NOWARNING | XML_PARSE_BIG_LINES;
  const std::unique_ptr<xmlDoc, DocFree> doc(xmlCtxtReadMemory(
      parser.get(), text.data(), static_cast<int>(text.size()), nullptr, nullptr, kOptions));
  currentErrors = nullptr;
  if (!errors.message.empty() || !doc || !parser->wellFormed) {
    error = file + ":" + std::to_string(errors.line) + ": " +
            (errors.message.empty() ? std::string("malformed XML") : errors.message);
    return false;
  }
  const xmlNode* root = xmlDocGetRootElement(doc.get());
  if (!root) {
    error = file + ":1: the document has no root element";
    return false;
  }
  if (doc->intSubset || doc->extSubset) {
    error = file + ":1: a document type declaration (<!DOCTYPE>) is not allowed";
    return false;
  }
  try {
    ReadRoot(root, store);
    return true;
  } catch (const Refusal& refusal) {
    store = ConfigStore{};
    error =
        file + ":" + std::to_string(refusal.line) + ": " + refusal.element + ": " + refusal.problem;
    return false;
  }
}

bool ReadConfigStore(const std::string& path, ConfigStore& store, std::string& error) {
  store = ConfigStore{};
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    error = path + ": cannot open the file: " + std::strerror(errno);
    return false;
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error = path + ": not a regular file";
    return false;
  }
  if (static_cast<std::uintmax_t>(info.st_size) > kMaxConfigStoreSize) {
    error = path + ": the file is larger than " + std::to_string(kMaxConfigStoreSize) + " bytes";
    return false;
  }
  // Read one byte past the limit, so a file that grew since fstat is refused too.
  std::string text;
  text.resize(kMaxConfigStoreSize + 1);
  std::size_t filled = 0;
  while (filled < text.size()) {
    const ssize_t got = ::read(fd, text.data() + filled, text.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      error = path + ": cannot read the file: " + std::strerror(errno);
      return false;
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  text.resize(filled);
  return ParseConfigStore(text, path, store, error);
}

}  // namespace tevra::core
