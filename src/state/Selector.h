// Repeated-capability names: the selector strings of the C interface ("Channel1",
// "Channel1,Channel3", "Channel1-Channel3", "[a,b]:c"), the virtual names of the IVI
// configuration store, and the lookups from a name to an element of a repeated capability.
//
// The selector syntax is the one of the IVI driver architecture (IVI-3.1, repeated capabilities):
// ":" separates hierarchy levels, "," separates paths (or alternatives inside "[...]"), "-" forms a
// range between two names that share a prefix.
#pragma once

#include <cstddef>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/ErrorReporter.h"
#include "core/FunctionRef.h"

namespace tevra::state {

// The driver's name maps, keyed as the configuration-store loader stores them: the virtual-name
// map (lower-cased virtual name -> physical name, possibly qualified "RepCap!!Physical") and the
// physical-to-virtual map ("RepCap!!Physical" -> virtual name).
using NameMap = std::map<std::string, std::string>;

// Separates a repeated-capability name from a physical name in a qualified name.
inline constexpr std::string_view kRepCapQualifier = "!!";

// The session error texts of the three selector failures on the C interface. They are reported
// with the statuses of codes 32, 33 and 35, which the C layer converts to 0xBFFA0063, 0xBFFA0064
// and 0xBFFA0066.
inline constexpr std::string_view kSelectorLevelsText =
    "Invalid or inconsistent number of levels specified in repeated capability selector.";
inline constexpr std::string_view kSelectorRangeText =
    "Invalid range specified in repeated capability selector.";
inline constexpr std::string_view kSelectorBadlyFormedText =
    "The repeated capability selector is badly-formed.";

// An expansion beyond either bound is reported as running out of memory (code 20): a selector
// that large cannot name existing elements, and the bound keeps "Ch1-Ch999999999" from
// allocating gigabytes first.
inline constexpr std::size_t kMaxSelectorPaths = 4096;
inline constexpr std::size_t kMaxSelectorExpansionBytes = std::size_t{1} << 20;  // beyond input

// Callers that accept a single element (attribute getters) forbid ranges; a range is then badly
// formed.
enum class SelectorRanges { kAllowed, kForbidden };

// The paths of a parsed selector, in selector order: PathCount() paths of LevelCount() level names
// each. The names are stored back to back in one string; a single name of up to the string's
// in-place capacity (such as "Channel1") needs no allocation.
class SelectorPaths {
 public:
  std::size_t PathCount() const { return levels_ == 0 ? 0 : count_ / levels_; }
  std::size_t LevelCount() const { return levels_; }
  // The name at a level of a path; level 0 is the only one the channel layer uses.
  std::string_view Name(std::size_t path, std::size_t level = 0) const;
  // The path's level names joined by ":".
  std::string Render(std::size_t path) const;
  void Clear();

 private:
  friend class SelectorBuilder;
  friend HRESULT ParseSelector(std::string_view, SelectorRanges, core::CTevraErrorReporter&,
                               SelectorPaths&);

  void Assign(std::string_view name);
  void Append(std::string_view name);
  std::size_t End(std::size_t i) const { return i == 0 ? firstEnd_ : moreEnds_[i - 1]; }

  std::string names_;
  std::size_t firstEnd_ = 0;
  std::vector<std::size_t> moreEnds_;  // end offsets of the second and later names
  std::size_t count_ = 0;              // names stored
  std::size_t levels_ = 0;
};

// Expands a selector into its paths. Failures are reported through the reporter: the selector
// texts above with the statuses of codes 32 (levels), 33 (range) and 35 (badly formed), or code 20
// beyond the expansion bounds; `paths` is then empty. An empty selector gives one path with one
// empty name.
HRESULT ParseSelector(std::string_view selector, SelectorRanges ranges,
                      core::CTevraErrorReporter& reporter, SelectorPaths& paths);

// --- Name lookups ---

// A virtual name (looked up lower-cased) becomes the name it maps to; any other name stays as it
// is; a qualified result keeps only what follows the first "!!". Whether an element of that name
// exists is for the caller to decide.
std::string ResolvePhysicalName(std::string_view name, const NameMap& virtualNames);

// The virtual name mapped to "repCapName!!physicalName", else the physical name.
std::string ResolveVirtualName(std::string_view repCapName, std::string_view physicalName,
                               const NameMap& physicalToVirtual);

// "parent.RepCap[name]", without the dot when the parent's qualified name is empty (the driver's
// is): TevraChannel[Channel1].
std::string QualifiedName(std::string_view parentQualifiedName, std::string_view repCapName,
                          std::string_view name);

// The physical name of the element with 1-based number n: base followed by n in decimal
// ("Channel" and 2 give Channel2).
std::string NumberedPhysicalName(std::string_view base, int number);

// Gives the physical name of the element at a zero-based position.
using PhysicalNameAt = core::FunctionRef<std::string_view(std::size_t)>;

// The element a caller's name selects, by the rule of a repeated-capability collection's Item:
// the name is trimmed; an empty name selects the only element when there is exactly one; otherwise
// the resolved physical name is compared, ignoring case, with each element's in order and the
// first match wins. No match: code 36.
HRESULT FindRepCapIndex(std::string_view name, std::size_t count, PhysicalNameAt physicalNameAt,
                        const NameMap& virtualNames, core::CTevraErrorReporter& reporter,
                        std::size_t& index);
HRESULT FindRepCapIndex(std::string_view name, std::span<const std::string> physicalNames,
                        const NameMap& virtualNames, core::CTevraErrorReporter& reporter,
                        std::size_t& index);

// The elements of a one-level repeated capability that parsed selector paths name, in path order:
// each path's first level name goes through FindRepCapIndex, and the first failure stops (indices
// is then empty). A path without a level name has an invalid number of levels.
HRESULT ResolveSelectorIndices(const SelectorPaths& paths, std::size_t count,
                               PhysicalNameAt physicalNameAt, const NameMap& virtualNames,
                               core::CTevraErrorReporter& reporter,
                               std::vector<std::size_t>& indices);

}  // namespace tevra::state
