#include "tfftool/check.h"

namespace brannoc::tfftool {
namespace {

std::vector<std::string> Lines(const std::vector<FixtureProblem>& problems) {
  std::vector<std::string> lines;
  lines.reserve(problems.size());
  for (const FixtureProblem& problem : problems) lines.push_back(ProblemLine(problem));
  return lines;
}

}  // namespace

std::string ProblemLine(const FixtureProblem& problem) {
  return problem.Level == ProblemLevel::Warning ? "warning: " + problem.Text : problem.Text;
}

std::vector<std::string> CheckFixture(std::span<const std::uint8_t> image, const FixtureRecord& fixture,
                                      const ChannelNameSet* names) {
  return Lines(brannoc::CheckFixture(fixture, names, image));
}

std::vector<std::string> CheckLedFixture(std::span<const std::uint8_t> image, const LedFixtureRecord& fixture) {
  return Lines(brannoc::CheckLedFixture(fixture, image));
}

}  // namespace brannoc::tfftool
