// tevra: the driver from the shell.
//
//   tevra identify [RESOURCE]
//   tevra measure [RESOURCE] frequency|period|pulse-width|duty-cycle|ratio|interval|phase|
//                 single-period [--channel N] [--csv|--json]
//   tevra read [RESOURCE] -n 100000 [--triggers T] [--function F] [--stats] [--histogram]
//              [--svg FILE] [--csv|--json]
//   tevra list [EXPRESSION] [--vxi11 [--to ADDRESS]...] [--no-mdns] [--wait MS]
//              [--visa-library PATH] [--json]
//
// Without a resource (or with --simulate) the driver simulates the --model counter. --trace
// writes the driver's method trace; --setup passes further driver setup options. A failure prints
// the driver's status and message on standard error and exits with 1; a bad command line exits
// with 2, and so does an option that does nothing there (identify takes no --channel, --csv or
// --json; read takes --stats only without --csv, --bins only with --histogram or --svg; --model
// goes with a resource only beside --simulate).
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "List.h"
#include "Report.h"
#include "Session.h"

namespace {

using namespace tevra::command;

constexpr int kMostReadings = 10000000;

struct Common {
  std::vector<std::string> words;  // [RESOURCE] and, for measure, the function
  std::string model = "QX1300";
  std::string setup;
  bool simulate = false;
  bool trace = false;
  int channel = 1;
  bool csv = false;
  bool json = false;
  CLI::Option* modelOption = nullptr;
};

Format FormatOf(const Common& c) {
  return c.json ? Format::Json : c.csv ? Format::Csv : Format::Plain;
}

// The resource the words name, empty for a simulated session. --model says what to simulate,
// so it is refused beside a resource that is not simulated.
std::string ResourceOf(const Common& c, std::size_t words) {
  std::string resource = c.simulate || c.words.size() < words ? std::string() : c.words.front();
  if (!resource.empty() && c.modelOption->count() > 0)
    throw CLI::ValidationError(
        "--model chooses the simulated counter: give --simulate too, or "
        "leave out the resource");
  return resource;
}

// The options every command takes: the session's.
void AddSessionOptions(CLI::App* app, Common& c, const char* words) {
  app->add_option("words", c.words, words);
  c.modelOption =
      app->add_option("--model", c.model, "the simulated model (QX1100, QX1200, QX1300)")
          ->capture_default_str();
  app->add_flag("--simulate", c.simulate, "simulate even when a resource is given");
  app->add_flag("--trace", c.trace, "write the driver's method trace");
  app->add_option("--setup", c.setup,
                  "further driver setup options, e.g. \"BaudRate=19200, Parity=Even\"");
}

// The options of the commands that take readings: the input and the output form.
void AddReadingOptions(CLI::App* app, Common& c) {
  app->add_option("--channel", c.channel, "the input channel")->capture_default_str();
  auto* csv = app->add_flag("--csv", c.csv, "comma-separated values");
  app->add_flag("--json", c.json, "JSON")->excludes(csv);
}

int Identify(const Common& c) {
  Session session(ResourceOf(c, 1), c.model, c.trace, c.setup);
  std::cout << "driver      " << session.Text(TEVRA_ATTR_SPECIFIC_DRIVER_DESCRIPTION) << ' '
            << session.Text(TEVRA_ATTR_SPECIFIC_DRIVER_REVISION) << '\n';
  const std::string identity = session.Identity();
  std::cout << "instrument  " << (identity.empty() ? "simulated " + c.model : identity) << '\n';
  std::cout << "firmware    " << session.Text(TEVRA_ATTR_INSTRUMENT_FIRMWARE_REVISION) << '\n';
  std::cout << "channels    " << session.Integer(TEVRA_ATTR_CHANNEL_COUNT) << '\n';
  return 0;
}

int Measure(const Common& c) {
  if (c.words.empty() || c.words.size() > 2)
    throw CLI::ValidationError("measure [RESOURCE] FUNCTION");
  const Function* function = FindFunction(c.words.back());
  if (!function) throw CLI::ValidationError("no measurement function '" + c.words.back() + "'");
  Session session(ResourceOf(c, 2), c.model, c.trace, c.setup);
  ViReal64 value = 0;
  session.Check(function->measure(session.Handle(), c.channel, &value), function->name);
  WriteReadings(std::cout, FormatOf(c), {value}, function->unit, nullptr);
  return 0;
}

int Read(const Common& c, int samples, int triggers, const std::string& functionName, bool stats,
         bool histogram, int bins, const std::string& svg, int timeoutMs) {
  if (c.words.size() > 1) throw CLI::ValidationError("read [RESOURCE]");
  const Function* function = FindFunction(functionName);
  if (!function || !function->configure)
    throw CLI::ValidationError("read takes frequency, period, pulse-width, duty-cycle or ratio");
  Session session(ResourceOf(c, 1), c.model, c.trace, c.setup);
  session.Check(function->configure(session.Handle(), c.channel), "configuring");
  if (std::int64_t(samples) * triggers > kMostReadings)
    throw CLI::ValidationError("at most " + std::to_string(kMostReadings) + " readings in all");
  const int count = samples * triggers;
  const bool terminal = isatty(STDERR_FILENO);
  std::size_t shown = 0;
  const std::vector<double> readings =
      ReadMany(session, triggers, samples, timeoutMs, [&](std::size_t done) {
        if (terminal) {
          std::cerr << '\r' << ProgressBar(done, count, 40) << std::flush;
        } else if (done * 10 / count > shown || done == std::size_t(count)) {
          shown = done * 10 / count;
          std::cerr << "read " << done << " of " << count << '\n';
        }
      });
  if (terminal) std::cerr << '\n';
  const Statistics summary = Summarize(readings);
  WriteReadings(std::cout, FormatOf(c), readings, function->unit, stats ? &summary : nullptr);
  const Histogram binned = Bin(readings, bins);
  if (histogram) WriteHistogramPlot(std::cerr, binned, 50);
  if (!svg.empty()) {
    std::ofstream file(svg);
    WriteHistogramSvg(file, binned, function->unit);
    if (!file) throw Failure(-1, "cannot write " + svg);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Drives a Tevra QX1100, QX1200 or QX1300 counter from the shell."};
  app.require_subcommand(1);
  Common identify, measure, read;
  AddSessionOptions(app.add_subcommand("identify", "the driver and the instrument"), identify,
                    "[RESOURCE]");
  CLI::App* measureCommand = app.add_subcommand("measure", "one reading");
  AddSessionOptions(measureCommand, measure, "[RESOURCE] FUNCTION");
  AddReadingOptions(measureCommand, measure);
  CLI::App* readCommand = app.add_subcommand("read", "many readings, with statistics");
  AddSessionOptions(readCommand, read, "[RESOURCE]");
  AddReadingOptions(readCommand, read);
  int count = 100;
  int triggers = 1;
  std::string function = "frequency";
  bool stats = false, histogram = false;
  int bins = 20;
  int timeoutMs = 10000;
  std::string svg;
  readCommand->add_option("-n", count, "how many readings (a trigger)")
      ->check(CLI::Range(1, kMostReadings));
  readCommand->add_option("--triggers", triggers, "how many triggers of -n readings each")
      ->check(CLI::Range(1, kMostReadings));
  readCommand->add_option("--function", function, "what to measure")->capture_default_str();
  readCommand->add_flag("--stats", stats,
                        "mean, standard deviation, min, max (Allan deviation "
                        "for frequency); not with --csv");
  readCommand->add_flag("--histogram", histogram, "a histogram on standard error");
  CLI::Option* binsOption =
      readCommand->add_option("--bins", bins, "histogram bins")->check(CLI::Range(1, 1000));
  readCommand->add_option("--svg", svg, "the histogram as an SVG file");
  readCommand->add_option("--timeout", timeoutMs, "ms to wait for more readings")
      ->capture_default_str();
  ListRequest list;
  CLI::App* listCommand = app.add_subcommand("list", "the instruments this machine can reach");
  listCommand->add_option("expression", list.expression, "a VISA search expression")
      ->capture_default_str();
  CLI::Option* vxi11 = listCommand->add_flag(
      "--vxi11", list.vxi11, "also ask the portmapper of every host on the local networks");
  CLI::Option* to = listCommand->add_option(
      "--to", list.to, "ask the portmappers at these addresses instead of broadcasting");
  to->needs(vxi11);
  bool noMdns = false;
  listCommand->add_flag("--no-mdns", noMdns, "do not ask Avahi for announced instruments");
  listCommand->add_option("--wait", list.waitMs, "ms to wait for network answers")
      ->capture_default_str()
      ->check(CLI::Range(0, 60000));
  listCommand->add_option("--visa-library", list.visaLibrary,
                          "also list what this VISA library finds");
  listCommand->add_flag("--json", list.json, "JSON");
  // Options that would do nothing in the company they are given in are refused, like any other
  // bad command line.
  readCommand->callback([&] {
    if (stats && read.csv)
      throw CLI::ValidationError(
          "--stats does not go with --csv, which holds only the readings (--json holds both)");
    if (binsOption->count() > 0 && !histogram && svg.empty())
      throw CLI::ValidationError("--bins needs --histogram or --svg, which draw the bins");
  });
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // --help arrives as a parse error too; it prints the help and exits with 0.
    return app.exit(e) == 0 ? 0 : 2;
  }
  try {
    if (app.got_subcommand("identify")) return Identify(identify);
    if (app.got_subcommand("measure")) return Measure(measure);
    if (app.got_subcommand("list")) {
      list.mdns = !noMdns;
      return List(list, std::cout, std::cerr);
    }
    return Read(read, count, triggers, function, stats, histogram, bins, svg, timeoutMs);
  } catch (const CLI::Error& e) {
    std::fprintf(stderr, "tevra: %s\n", e.what());
    return 2;
  } catch (const Failure& f) {
    std::fprintf(stderr, "tevra: %s (status 0x%08X)\n", f.what(), static_cast<unsigned>(f.status));
    return 1;
  }
}
