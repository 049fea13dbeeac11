// The formatter and the scanner, driven by the cases in FormatCases.txt beside this file (its
// head says how arguments and destinations are written): each "out" line formats its arguments,
// each "in" line scans its reply into its destinations. The status, the bytes written or the
// values read, what is left of the reply and the reads make one result line per case, compared
// with FormatCases.golden, the reviewed record; TEVRA_UPDATE_GOLDEN=1 rewrites it from the run.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "EnumFormatterDouble.h"
#include "MemoryLowLevelIo.h"
#include "io/FormattedInput.h"
#include "io/FormattedOutput.h"
#include "io/InstrBuffer.h"
#include "platform/Bstr.h"
#include "platform/SafeArray.h"
#include "support/DriverHandle.h"

namespace tevra::io {
namespace {

using core::ElemType;
using Items = std::vector<std::string>;

// A token is a head and its comma-separated items, bare or quoted with C escapes ("\n", "\x0A",
// "\0"); a quoted text alone has an empty head.
struct Token {
  std::string head;
  Items items;
};

std::vector<Token> Tokenize(const std::string& line) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  const auto item = [&] {
    std::string text;
    if (line[i] != '"') {
      while (i < line.size() && line[i] != ',' && line[i] != ' ') text += line[i++];
      return text;
    }
    for (++i; line[i] != '"'; ++i) {
      const char c = line[i] == '\\' ? line[++i] : 0;
      if (c == 'x') text += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16));
      i += c == 'x' ? 2 : 0;
      if (c != 'x') text += !c ? line[i] : c == 'n' ? '\n' : c == 't' ? '\t' : c == '0' ? '\0' : c;
    }
    ++i;
    return text;
  };
  for (; i < line.size(); ++i) {
    if (line[i] == ' ') continue;
    Token& token = tokens.emplace_back();
    while (i < line.size() && !std::strchr(": \"", line[i])) token.head += line[i++];
    if (i < line.size() && line[i] != ' ') {
      i += line[i] == ':';
      for (token.items.push_back(item()); i < line.size() && line[i] == ',';)
        ++i, token.items.push_back(item());
    }
  }
  return tokens;
}

std::string Quoted(std::string_view bytes) {
  std::string text = "\"";
  for (unsigned char c : bytes) {
    char hex[8];
    std::snprintf(hex, sizeof hex, c == '\n' ? "\\n" : c < 32 || c > 126 ? "\\x%02X" : "%c", c);
    text += c == '"' || c == '\\' ? std::string("\\") + static_cast<char>(c) : hex;
  }
  return text + "\"";
}

// Each element type by the name the cases give it: how a number is stored as one and shown.
template <class T>
void Put(void* where, const std::string& text) {
  const T value =
      static_cast<T>(std::is_floating_point_v<T> ? std::strtod(text.c_str(), nullptr)
                                                 : std::strtoll(text.c_str(), nullptr, 0));
  std::memcpy(where, &value, sizeof value);
}
template <class T>
std::string Get(const void* where) {
  T value;
  std::memcpy(&value, where, sizeof value);
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", static_cast<double>(value));
  return text;
}
struct Elem {
  const char* name;
  VARTYPE vt;
  void (*put)(void*, const std::string&);
  std::string (*get)(const void*);
};
const Elem kElems[] = {{"none", VT_EMPTY, Put<double>, Get<double>},
                       {"i8", VT_I1, Put<std::int8_t>, Get<std::int8_t>},
                       {"u8", VT_UI1, Put<std::uint8_t>, Get<std::uint8_t>},
                       {"i16", VT_I2, Put<std::int16_t>, Get<std::int16_t>},
                       {"u16", VT_UI2, Put<std::uint16_t>, Get<std::uint16_t>},
                       {"i32", VT_I4, Put<std::int32_t>, Get<std::int32_t>},
                       {"u32", VT_UI4, Put<std::uint32_t>, Get<std::uint32_t>},
                       {"i64", VT_I8, Put<std::int64_t>, Get<std::int64_t>},
                       {"u64", VT_UI8, Put<std::uint64_t>, Get<std::uint64_t>},
                       {"f32", VT_R4, Put<float>, Get<float>},
                       {"f64", VT_R8, Put<double>, Get<double>},
                       {"text", VT_EMPTY, nullptr, nullptr},
                       {"bstr", VT_BSTR, nullptr, nullptr},
                       {"string", VT_EMPTY, nullptr, nullptr}};

ElemType Named(const std::string& name) {
  for (const Elem& e : kElems)
    if (name == e.name) return static_cast<ElemType>(&e - kElems);
  ADD_FAILURE() << "no element type " << name;
  return ElemType::None;
}

std::string Shown(ElemType type, const void* data, std::size_t count) {
  std::string text;
  for (std::size_t k = 0; k < count; ++k) {
    text += k ? "," : "";
    if (type == ElemType::Bstr)
      text += Quoted(platform::BstrToUtf8(static_cast<const BSTR*>(data)[k]));
    else if (type == ElemType::String)
      text += Quoted(static_cast<const std::string*>(data)[k]);
    else
      text += kElems[static_cast<int>(type)].get(static_cast<const char*>(data) +
                                                 k * core::ElemSize(type));
  }
  return text;
}

// Everything a case's arguments or destinations point into, kept until the case ends.
struct Storage {
  std::deque<std::vector<std::uint64_t>> numbers;
  std::deque<std::string> texts;
  std::deque<std::vector<const char*>> textLists;
  std::deque<Items> stringLists;
  std::deque<platform::Bstr> bstrs;
  std::deque<platform::SafeArrayPtr> arrays;

  void* Numbers(ElemType type, const Items& items, std::size_t from = 0) {
    auto& data = numbers.emplace_back(items.size() + 1);
    for (std::size_t k = from; k < items.size(); ++k)
      kElems[static_cast<int>(type)].put(
          reinterpret_cast<char*>(data.data()) + (k - from) * core::ElemSize(type), items[k]);
    return data.data();
  }
  // "sa:elem,v..." a vector of the values, "sa1" one from 1, "sa2" a 2x2 array.
  SAFEARRAY* Array(const std::string& head, const Items& items) {
    if (items.empty()) return nullptr;
    const ElemType type = Named(items[0]);
    const SAFEARRAYBOUND bounds[] = {{static_cast<ULONG>(items.size() - 1), head == "sa1"}, {2, 0}};
    SAFEARRAY* array =
        TevraSafeArrayCreate(kElems[static_cast<int>(type)].vt, head == "sa2" ? 2 : 1, bounds);
    arrays.emplace_back(array);
    for (std::size_t k = 1; k < items.size(); ++k) {
      if (type == ElemType::Bstr)
        static_cast<BSTR*>(array->pvData)[k - 1] = platform::AllocBstr(items[k]);
      else
        kElems[static_cast<int>(type)].put(
            static_cast<char*>(array->pvData) + (k - 1) * core::ElemSize(type), items[k]);
    }
    return array;
  }
};

std::string Status(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
  return hr == S_OK ? "S_OK" : text;
}

std::string RunOut(const std::vector<Token>& tokens) {
  Storage keep;
  std::vector<core::FormatArg> args;
  bool enums = true;
  for (std::size_t t = 2; t < tokens.size(); ++t) {
    const auto& [h, items] = tokens[t];
    core::FormatArg arg(items.empty() ? 0 : std::strtoll(items[0].c_str(), nullptr, 0));
    if (h == "noenums") {
      enums = false;
      continue;
    } else if (h == "d") {
      arg = core::FormatArg(std::strtod(items[0].c_str(), nullptr));
    } else if (h == "t") {
      arg = core::FormatArg(items.empty() ? nullptr : keep.texts.emplace_back(items[0]).c_str());
    } else if (h == "tv") {
      arg = core::FormatArg(std::string_view(keep.texts.emplace_back(items[1]).data(), arg.i));
    } else if (h == "b") {
      arg = core::FormatArg(items.empty() ? nullptr : keep.bstrs.emplace_back(items[0]).get());
    } else if (h == "p" || h == "a") {
      arg.kind = core::FormatArg::Kind::Array;
      arg.elem = Named(items[0]);
      arg.count = h == "a" ? items.size() - 1 : core::FormatArg::kUnknownCount;
      if (arg.elem == ElemType::Text) {
        auto& list = keep.textLists.emplace_back();
        for (std::size_t k = 1; k < items.size(); ++k)
          list.push_back(keep.texts.emplace_back(items[k]).c_str());
        arg.data = list.data();
      } else if (arg.elem == ElemType::String) {
        arg.data = keep.stringLists.emplace_back(items.begin() + 1, items.end()).data();
      } else {
        arg.data = items.size() == 1 ? nullptr : keep.Numbers(arg.elem, items, 1);
      }
    } else if (h.starts_with("sa")) {
      arg = core::FormatArg(keep.Array(h, items));
    }
    args.push_back(arg);
  }
  testing::CouplingFormatter coupling;
  std::string out;
  const HRESULT hr =
      FormatToString(out, enums ? &coupling : nullptr, tokens[1].items[0], std::span(args));
  return Status(hr) + " " + Quoted(out);
}

std::string RunIn(const std::vector<Token>& tokens) {
  testing::MemoryLowLevelIo io;
  testing::ReporterFixture fixture;
  testing::CouplingFormatter coupling;
  auto buffer = CInstrBuffer::Create(io, fixture.reporter);
  io.Respond(tokens[2].items[0]);
  Storage keep;
  std::deque<std::string> strings;
  std::deque<BSTR> bstrs;
  std::deque<std::vector<double>> doubles;
  std::deque<Items> words;
  std::deque<SAFEARRAY*> arrays;
  std::vector<core::ScanArg> args;
  std::vector<std::function<std::string()>> shows;
  for (std::size_t t = 3; t < tokens.size(); ++t) {
    const auto& [h, items] = tokens[t];
    core::ScanArg arg(static_cast<std::int32_t*>(nullptr));
    if (h == "open") {
      io.lastResponseOpen = true;
      continue;
    }
    if (h == "lf" || h == "chunk") {
      io.stopAtLineFeed |= h == "lf";
      io.chunk = h == "lf" ? io.chunk : std::stoul(items[0]);
      continue;
    } else if (h == "str" || h == "chars") {
      std::string& s =
          strings.emplace_back(h == "str" ? "stale" : std::string(std::stoul(items[0]), '~'));
      arg = h == "str" ? core::ScanArg(&s) : core::ScanArg(std::span<char>(s));
      shows.push_back([&s] { return Quoted(s); });
    } else if (h == "bstr") {
      arg = core::ScanArg(&bstrs.emplace_back(platform::AllocBstr("old")));
      shows.push_back([b = &bstrs.back()] { return Quoted(platform::BstrToUtf8(*b)); });
    } else if (h == "v" && items[0] == "f64") {
      arg = core::ScanArg(&doubles.emplace_back());
      shows.push_back(
          [v = &doubles.back()] { return "[" + Shown(ElemType::F64, v->data(), v->size()) + "]"; });
    } else if (h == "v") {
      arg = core::ScanArg(&words.emplace_back());
      shows.push_back([v = &words.back()] {
        return "[" + Shown(ElemType::String, v->data(), v->size()) + "]";
      });
    } else if (h == "sa") {
      arg = core::ScanArg(
          &arrays.emplace_back(items.empty() ? nullptr : TevraSafeArrayCreateVector(VT_I4, 0, 1)));
      shows.push_back([a = &arrays.back()] {
        VARTYPE vt = 0;
        if (!*a || FAILED(TevraSafeArrayGetVartype(*a, &vt))) return std::string("null");
        return "vt" + std::to_string(vt) + "[" +
               Shown(core::ElemTypeOfVarType(vt), (*a)->pvData, (*a)->rgsabound[0].cElements) + "]";
      });
    } else if (h != "null") {  // "a:elem,N" N numbers, else one of the element type named
      const ElemType type = Named(h == "a" ? items[0] : h);
      const std::size_t n = h == "a" ? std::stoul(items[1]) : 1;
      void* data = keep.Numbers(type, h == "a" || items.empty() ? Items(n, "0") : items);
      arg.kind = h == "a" ? core::ScanArg::Kind::Array : core::ScanArg::Kind::Scalar;
      arg.elem = type, arg.where = data, arg.capacity = h == "a" ? n : 0;
      shows.push_back(
          [=] { return (h == "a" ? "[" : "") + Shown(type, data, n) + (h == "a" ? "]" : ""); });
    }
    args.push_back(arg);
  }
  const HRESULT hr =
      ScanInput(*buffer, fixture.reporter, &coupling, tokens[1].items[0], std::span(args));
  std::string result = Status(hr);
  if (FAILED(hr) && !fixture.Reported().empty()) result += " " + Quoted(fixture.Reported());
  for (const auto& show : shows) result += " " + show();
  const std::size_t reads = io.reads;  // before the rest is read for the record
  std::string rest;
  for (std::string_view text; buffer->Peek(text) == S_OK; buffer->Consume(text.size()))
    rest += text;
  for (BSTR b : bstrs) TevraSysFreeString(b);
  for (SAFEARRAY* a : arrays) TevraSafeArrayDestroy(a);
  return result + " rest " + Quoted(rest) + " reads " + std::to_string(reads);
}

TEST(FormatCases, MatchTheGoldenResults) {
  const std::string dir = std::string(TEVRA_TEST_SOURCE_DIR) + "/io/";
  std::istringstream cases(tevra::testing::ReadFile(dir + "FormatCases.txt"));
  std::string out;
  for (std::string line; std::getline(cases, line);) {
    out += line + "\n";
    if (line.empty() || line[0] == '#') continue;
    const std::vector<Token> tokens = Tokenize(line);
    out += "  => " + (tokens[0].head == "out" ? RunOut(tokens) : RunIn(tokens)) + "\n";
  }
  if (std::getenv("TEVRA_UPDATE_GOLDEN")) {
    std::ofstream(dir + "FormatCases.golden", std::ios::binary) << out;
    GTEST_SKIP() << "rewrote FormatCases.golden";
  }
  EXPECT_EQ(tevra::testing::ReadFile(dir + "FormatCases.golden"), out)
      << "TEVRA_UPDATE_GOLDEN=1 rewrites the golden file from this run";
}

}  // namespace
}  // namespace tevra::io
