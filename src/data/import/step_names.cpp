#include "data/import/step_names.h"

#include <algorithm>
#include <cctype>

#include "data/import/text.h"

namespace brannoc::import_core {

using namespace import_text;

StepNamer::StepNamer(const std::vector<std::string>& texts) {
  for (const std::string& text : texts) {
    if (names_.count(text)) continue;
    names_[text] = ShortCodePage(text, kStepNameWidth);
    order_.push_back(text);
  }
  for (int round = 0; round < 3 && Settle(round); ++round) {
  }
  // Whatever still clashes is numbered, in text order, until nothing does.
  for (auto clash = FirstClash(); clash; clash = FirstClash()) {
    const std::string& text = clash->first;
    collided_.insert(clash->second);
    for (int n = 1;; ++n) {
      const std::string candidate = Numbered(names_[text], n);
      if (!Taken(candidate, text)) {
        names_[text] = candidate;
        break;
      }
    }
    collided_.insert(text);
  }
}

std::string StepNamer::Numbered(const std::string& name, int n) {
  const std::string digits = std::to_string(n);
  std::string base = name.substr(0, kStepNameWidth - std::min(kStepNameWidth, digits.size() + 1));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  return base.empty() ? digits : base + " " + digits;
}

bool StepNamer::Taken(const std::string& name, const std::string& byOtherThan) const {
  for (const auto& [text, given] : names_) {
    if (text != byOtherThan && given == name) return true;
  }
  return false;
}

// The first text (after the first of its name) whose name another text has,
// and that other text.
std::optional<std::pair<std::string, std::string>> StepNamer::FirstClash() const {
  std::map<std::string, std::string> owner;
  for (const std::string& text : order_) {
    const auto [it, fresh] = owner.emplace(names_.at(text), text);
    if (!fresh) return std::make_pair(text, it->second);
  }
  return std::nullopt;
}

// One way of telling clashing texts apart, tried on every group of texts that
// share a name; true when clashes are left.
bool StepNamer::Settle(int round) {
  std::map<std::string, std::vector<std::string>> byName;
  for (const std::string& text : order_) byName[names_[text]].push_back(text);
  bool left = false;
  for (const auto& [name, texts] : byName) {
    if (texts.size() < 2) continue;
    std::vector<std::string> tried;
    for (const std::string& text : texts) tried.push_back(round == 0 ? ShortCodePage(text, kStepNameWidth, Brackets::Keep)
                                                                     : Distinguished(text, texts, round));
    std::set<std::string> distinct(tried.begin(), tried.end());
    if (distinct.size() == texts.size()) {
      for (std::size_t i = 0; i < texts.size(); ++i) {
        names_[texts[i]] = tried[i];
        collided_.insert(texts[i]);
      }
    } else {
      left = true;
    }
  }
  return left;
}

// The words of a text as it reads, letter case kept: runs of letters and
// digits after the usual abbreviations, brackets opened.
std::vector<std::string> StepNamer::CasedWords(const std::string& text) {
  const std::string shorter = ShortCodePage(text, 1000, Brackets::Keep);
  std::vector<std::string> words;
  std::string word;
  for (char c : shorter + " ") {
    if (IsWordByte(static_cast<unsigned char>(c))) {
      word.push_back(c);
    } else if (!word.empty()) {
      words.push_back(std::move(word));
      word.clear();
    }
  }
  return words;
}

// The words of `text` that tell it from the other texts of its group (on/off,
// numbers, directions) kept whole at the end; the words every text shares
// before them, as initials when room is short ("BOPT on", "BOPT off"). A
// word tells when another text has it fewer times. Round 1 keeps two telling
// words, round 2 all of them.
std::string StepNamer::Distinguished(const std::string& text, const std::vector<std::string>& group, int round) {
  std::vector<std::vector<std::string>> others;
  for (const std::string& other : group) {
    if (other == text) continue;
    std::vector<std::string> lower;
    for (const std::string& w : CasedWords(other)) lower.push_back(LowerAscii(w));
    others.push_back(std::move(lower));
  }
  std::vector<std::string> telling, shared;
  std::map<std::string, long> seen;
  for (const std::string& word : CasedWords(text)) {
    const std::string lower = LowerAscii(word);
    const long k = ++seen[lower];
    const bool tells = std::any_of(others.begin(), others.end(), [&](const std::vector<std::string>& w) {
      return std::count(w.begin(), w.end(), lower) < k;
    });
    if (tells && (round == 2 || telling.size() < 2)) {
      telling.push_back(word);
    } else {
      shared.push_back(word);
    }
  }
  if (telling.empty()) return ShortCodePage(text, kStepNameWidth);
  std::string tail;
  for (const std::string& w : telling) tail += (tail.empty() ? "" : " ") + w;
  tail = ShortCodePage(tail, kStepNameWidth - 2);
  // The front leaves room for a tail of three letters at least ("off",
  // "s-f"), so that "on" and "off" names start alike.
  const std::size_t room = kStepNameWidth - std::min(kStepNameWidth, std::max<std::size_t>(tail.size(), 3) + 1);
  if (shared.empty() || room == 0) return tail;
  std::string front;
  if (shared.size() == 1) {
    front = ShortCodePage(shared.front(), room);
  } else {
    for (const std::string& w : shared) {
      const bool number = std::all_of(w.begin(), w.end(), [](char c) { return c >= '0' && c <= '9'; });
      front += number ? w : std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(w[0]))));
    }
    front = front.substr(0, room);
  }
  return front + " " + tail;
}

}  // namespace brannoc::import_core
