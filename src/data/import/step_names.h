#pragma once
// Inside the import core: step names that tell settings apart. A channel's
// step texts are shortened to the 8 characters of a step name; where two texts
// would share a name, other ways of shortening are tried (brackets kept, then
// the words that tell them apart kept whole), and what still clashes is
// numbered. The core (core.cpp) names every channel's steps through this.

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace brannoc::import_core {

inline constexpr std::size_t kStepNameWidth = 8;

// The name of every distinct text of one channel; two texts never share one.
class StepNamer {
 public:
  // `texts`: the code-page texts of a channel's steps, in order.
  explicit StepNamer(const std::vector<std::string>& texts);

  const std::string& NameOf(const std::string& text) const { return names_.at(text); }
  bool Collided(const std::string& text) const { return collided_.count(text) > 0; }

 private:
  static std::string Numbered(const std::string& name, int n);
  bool Taken(const std::string& name, const std::string& byOtherThan) const;
  std::optional<std::pair<std::string, std::string>> FirstClash() const;
  bool Settle(int round);
  static std::vector<std::string> CasedWords(const std::string& text);
  static std::string Distinguished(const std::string& text, const std::vector<std::string>& group, int round);

  std::map<std::string, std::string> names_;  // text -> name
  std::vector<std::string> order_;            // distinct texts, first seen first
  std::set<std::string> collided_;
};

}  // namespace brannoc::import_core
