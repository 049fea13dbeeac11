// tevra-register: registers the library in the key store, removes its registration, or lists
// what it registered. It calls the library's own entry points, so the module path it registers is
// the path the library was loaded from.
#include <tevra/TevraInterfaces.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr char kUsage[] =
    "usage: tevra-register [--user] install|uninstall|list\n"
    "  install    register the Tevra classes, program identifiers and type library\n"
    "  uninstall  remove them\n"
    "  list       print the keys and values Tevra registers that are in the store\n"
    "  --user     use the per-user key store instead of the machine-wide one\n"
    "  -h, --help print this text\n"
    "The stores: $TEVRA_USER_KEYSTORE (default $XDG_DATA_HOME/tevra/keystore or\n"
    "~/.local/share/tevra/keystore) and $TEVRA_MACHINE_KEYSTORE (default "
    "/var/lib/tevra/keystore).\n";

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The description of the thread's error information, in UTF-8 (an unpaired surrogate becomes
// U+FFFD).
std::string ErrorDescription() {
  IErrorInfo* info = nullptr;
  if (TevraGetErrorInfo(0, &info) != S_OK || !info) return "no description";
  BSTR text = nullptr;
  std::string out;
  if (info->GetDescription(&text) == S_OK) {
    const std::uint32_t n = TevraSysStringLen(text);
    for (std::uint32_t i = 0; i < n; ++i) {
      char32_t c = text[i];
      if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
        c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
      else if (c >= 0xD800 && c < 0xE000)
        c = 0xFFFD;
      AppendUtf8(out, c);
    }
    TevraSysFreeString(text);
  }
  info->Release();
  return out;
}

int Usage(const char* problem) {
  std::fprintf(stderr, "tevra-register: %s\n%s", problem, kUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool user = false;
  const char* command = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (!std::strcmp(argv[i], "--user"))
      user = true;
    else if (!command && argv[i][0] != '-')
      command = argv[i];
    else
      return Usage((std::string("unexpected argument '") + argv[i] + "'").c_str());
  }
  if (!command) return Usage("no command given");
  const OLECHAR* scope = user ? u"user" : nullptr;
  HRESULT status;
  if (!std::strcmp(command, "install"))
    status = DllInstall(1, scope);
  else if (!std::strcmp(command, "uninstall"))
    status = DllInstall(0, scope);
  else if (!std::strcmp(command, "list"))
    status = TevraListRegistration(
        user, [](const char* line, void*) { std::puts(line); }, nullptr);
  else
    return Usage((std::string("unknown command '") + command + "'").c_str());
  if (SUCCEEDED(status)) return 0;
  std::fprintf(stderr, "tevra-register: %s failed (0x%08X): %s\n", command,
               static_cast<unsigned>(status), ErrorDescription().c_str());
  return 1;
}
