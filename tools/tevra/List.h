// tevra list: the instruments this machine can reach, one resource string a line.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace tevra::command {

struct ListRequest {
  std::string expression = "?*::INSTR";
  bool vxi11 = false;           // ask portmappers on the local networks (sends packets)
  std::vector<std::string> to;  // the addresses to ask instead of broadcasting
  bool mdns = true;
  std::uint32_t waitMs = 1000;
  std::string visaLibrary;  // also list what this VISA library finds
  bool json = false;
};

// Writes what was found to out and the sources' notes to notes; 0 when something was found, 1
// when nothing was, 2 for an expression that is not one.
int List(const ListRequest& request, std::ostream& out, std::ostream& notes);

}  // namespace tevra::command
