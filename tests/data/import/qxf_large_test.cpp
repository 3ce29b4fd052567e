// The .qxf import on large definitions (still under the 4 MB it reads): nothing in
// it takes time with the square of a text's length or with the number of modes
// times the size of the file. Each case would take minutes to hours that way.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "data/import/qxf.h"

namespace brannoc {
namespace {

// Long enough for the sanitizer build on a busy machine; the cases below take
// well under a second each.
constexpr std::chrono::seconds kLimit{30};

// Runs `call` and ends the test program with a failure when it is still running
// after kLimit, since a call cannot be stopped from outside.
void Promptly(const std::function<void()>& call) {
  std::atomic<bool> done{false};
  std::thread watch([&] {
    const auto deadline = std::chrono::steady_clock::now() + kLimit;
    while (!done && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!done) {
      std::fprintf(stderr, "The import is still running after %lld s\n", static_cast<long long>(kLimit.count()));
      std::fflush(stderr);
      std::_Exit(1);
    }
  });
  call();
  done = true;
  watch.join();
}

Bytes Definition(const std::string& body) {
  const std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<FixtureDefinition xmlns=\"http://www.qlcplus.org/FixtureDefinition\">\n"
                           " <Model>Large</Model>\n" +
                           body + "</FixtureDefinition>\n";
  EXPECT_LE(text.size(), kMaxQxfBytes);
  return Bytes(text.begin(), text.end());
}

std::string Repeated(const std::string& text, std::size_t times) {
  std::string out;
  out.reserve(text.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += text;
  return out;
}

ChannelNameSet BuiltIn() {
  ChannelNameSet set;
  RestoreDefaultNames(set);
  return set;
}

QxfImport ImportPromptly(const Bytes& qxf) {
  QxfImport result;
  Promptly([&] { result = ImportQxfMode(qxf, 0, BuiltIn()); });
  EXPECT_TRUE(result.Record) << result.Error;
  return result;
}

std::string OneCapability(const std::string& text) {
  return " <Channel Name=\"Gobo\"><Group Byte=\"0\">Gobo</Group><Capability Min=\"0\" Max=\"255\">" + text +
         "</Capability></Channel>\n <Mode Name=\"M\"><Channel Number=\"0\">Gobo</Channel></Mode>\n";
}

TEST(QxfImportLarge, AStepTextOfAMegabyteIsShortenedPromptly) {
  const QxfImport result = ImportPromptly(Definition(OneCapability(Repeated("Gobowheel ", 100'000))));
  if (!result.Record) return;
  ASSERT_EQ(result.Record->StepCounts[0], 1);
  const std::string name = result.Record->Steps[0][0].StepName.Utf8();
  EXPECT_EQ(name.size(), 8u);
  EXPECT_EQ(name.front(), 'G');
}

TEST(QxfImportLarge, AMillionArrowsInAStepTextAreReplacedPromptly) {
  const QxfImport result = ImportPromptly(Definition(OneCapability(Repeated("\u2192", 1'000'000))));
  if (!result.Record) return;
  ASSERT_EQ(result.Record->StepCounts[0], 1);
  // "->" for each arrow; joining the words then drops the "-" between them.
  EXPECT_EQ(result.Record->Steps[0][0].StepName.Utf8(), ">>>>>>>>");
}

TEST(QxfImportLarge, AFineChannelWithAnOverlongNameFindsItsCoarseChannelPromptly) {
  // Of no known meaning, so only the agreeing names pair the two.
  const std::string name = "Effect " + Repeated("16-bit ", 100'000) + "wheel";
  const std::string body = " <Channel Name=\"" + name + "\"></Channel>\n" + " <Channel Name=\"" + name +
                           " fine\"><Group Byte=\"1\"></Group></Channel>\n" +
                           " <Mode Name=\"M\"><Channel Number=\"0\">" + name + "</Channel><Channel Number=\"1\">" +
                           name + " fine</Channel></Mode>\n";
  const QxfImport result = ImportPromptly(Definition(body));
  if (!result.Record) return;
  EXPECT_EQ(result.Record->Channels[0].Type, FadeableLTP16H);
  EXPECT_EQ(result.Record->Channels[0].Partner, 2);
  EXPECT_EQ(result.Record->Channels[1].Type, FadeableLTP16L);
}

TEST(QxfImportLarge, ManyModesOfAChannelWithManyCapabilitiesAreListedPromptly) {
  // 20,000 capabilities; 500 modes of 40 channels, each listing that channel.
  const std::string channel = " <Channel Name=\"A\">" + Repeated("<Capability Min=\"0\" Max=\"9\">x</Capability>", 20'000) +
                              "</Channel>\n";
  const std::string mode = " <Mode Name=\"M\">" + Repeated("<Channel>A</Channel>", 40) + "</Mode>\n";
  const Bytes qxf = Definition(channel + Repeated(mode, 500));
  QxfModeList list;
  Promptly([&] { list = ListQxfModes(qxf); });
  ASSERT_EQ(list.Error, "");
  ASSERT_EQ(list.Modes.size(), 500u);
  for (const QxfMode& m : list.Modes) {
    EXPECT_TRUE(m.Fits);
    EXPECT_EQ(m.ChannelCount, 40);
    EXPECT_EQ(m.StepCount, 40 * 255);  // each channel keeps its first 255 capabilities
  }
}

TEST(QxfImportLarge, ManyModesWithAnUndefinedChannelSayWhereItIsPromptly) {
  // Line 4 holds the one channel; mode i (from 0) is on line 5 + i, the "<" of its
  // channel in column 17.
  std::string body = " <Channel Name=\"A\"/>\n";
  constexpr int kModes = 50'000;
  for (int i = 0; i < kModes; ++i) body += " <Mode Name=\"M\"><Channel>B</Channel></Mode>\n";
  const Bytes qxf = Definition(body);
  QxfModeList list;
  Promptly([&] { list = ListQxfModes(qxf); });
  ASSERT_EQ(list.Modes.size(), static_cast<std::size_t>(kModes));
  EXPECT_EQ(list.Modes.front().Why, "the channel \"B\" is not defined in the file (line 5, column 17)");
  EXPECT_EQ(list.Modes.back().Why,
            "the channel \"B\" is not defined in the file (line " + std::to_string(4 + kModes) + ", column 17)");
  // A single mode's place, found afresh.
  const QxfImport last = ImportQxfMode(qxf, kModes - 1, BuiltIn());
  EXPECT_NE(last.Error.find("(line " + std::to_string(4 + kModes) + ", column 17)"), std::string::npos) << last.Error;
}

}  // namespace
}  // namespace brannoc
