// The built program, run as a technician runs it: exit statuses, what goes to
// standard output and error, and that a failure writes nothing.

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "data/fixture/file.h"
#include "support/fifo.h"
#include "support/permissions.h"
#include "support/temp_dir.h"
#include "tfftool/command.h"
#include "tfftool/json_form.h"

namespace brannoc::tfftool {
namespace {
namespace fs = std::filesystem;
using test::ReadAll;
using test::TempDir;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadText(const fs::path& path) {
  const Bytes bytes = ReadAll(path);
  return std::string(bytes.begin(), bytes.end());
}

void WriteText(const fs::path& path, const std::string& text) { test::WriteAll(path, Bytes(text.begin(), text.end())); }

// Runs the program with standard output going to `stdoutPath` (a file of its own
// when empty).
Outcome RunProgram(const std::vector<std::string>& args, const fs::path& stdoutPath = {}) {
  const TempDir logs;
  const fs::path out = stdoutPath.empty() ? logs / "stdout" : stdoutPath;
  const fs::path err = logs / "stderr";
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (o < 0 || e < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0) ::_exit(126);
    std::vector<char*> argv{const_cast<char*>(TFFTOOL_PATH)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(TFFTOOL_PATH, argv.data());
    ::_exit(127);
  }
  Outcome outcome;
  int status = 0;
  if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
  if (stdoutPath.empty()) outcome.out = ReadText(out);
  outcome.err = ReadText(err);
  return outcome;
}

bool IsOneLine(const std::string& text) {
  return text.size() > 1 && text.back() == '\n' && std::count(text.begin(), text.end(), '\n') == 1;
}

Bytes NewFixtureFile() { return BuildFixtureImage(*NewFixture()); }

TEST(TfftoolProgram, HelpForTheProgramAndEachCommand) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--help"}, {"dump", "--help"}, {"build", "--help"}, {"check", "x.tff", "--help"}}) {
    const Outcome run = RunProgram(args);
    EXPECT_EQ(run.status, 0) << args[0];
    EXPECT_EQ(run.out.rfind("Usage: tfftool", 0), 0u) << run.out;
    EXPECT_EQ(run.err, "");
  }
}

TEST(TfftoolProgram, BadInputsGiveOneLineAndStatus2AndWriteNothing) {
  TempDir dir;
  const std::string folder = dir.path().string();
  const std::string out = (dir / "out.tff").string();
  test::WriteAll(dir / "empty.tff", {});
  Bytes shortFile = NewFixtureFile();
  shortFile.pop_back();
  test::WriteAll(dir / "short.tff", shortFile);
  Bytes damaged = NewFixtureFile();
  damaged[fixture_layout::kChannelCount] = 41;
  test::WriteAll(dir / "damaged.tff", damaged);
  fs::create_directory(dir / "folder.tff");
  WriteText(dir / "syntax.json", "{\n  \"kind\": \"fixture\",\n  \"name\" \"Spot\"\n}\n");
  WriteText(dir / "count41.json", R"({"kind": "fixture", "channel_count": 41})");
  WriteText(dir / "count0.json", R"({"kind": "fixture", "channel_count": 0})");
  WriteText(dir / "led0.json", R"({"kind": "led", "channel_count": 0})");
  Json steps = FixtureToJson(*NewFixture());
  steps["steps"][3] = Json::array();
  for (int i = 0; i < 300; ++i) steps["steps"][3].push_back({{"from", 1}, {"to", 2}, {"name", "x"}});
  WriteText(dir / "steps300.json", steps.dump());
  WriteText(dir / "name.json", R"({"kind": "fixture", "name": 12})");
  WriteText(dir / "nul.json", std::string("{\"kind\": \"fixture\"}\0{\"kind\": \"led\"}", 36));
  WriteText(dir / "twice.json", R"({"kind": "fixture", "kind": "led"})");
  WriteText(dir / "huge.json", R"({"kind": "fixture", "max_pan_degree": 1e400})");

  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"dump", folder + "/empty.tff"}, "0 bytes is the size of no file"},
      {{"dump", folder + "/short.tff"}, "6143 bytes is the size of no file"},
      {{"dump", folder + "/short.tff", "--kind", "fixture"}, "the file is 6143 bytes long"},
      {{"dump", folder + "/damaged.tff"}, "the file gives 41 channels"},
      {{"dump", folder + "/folder.tff"}, "Is a directory"},
      {{"dump", folder + "/missing.tff"}, "No such file"},
      {{"check", folder + "/empty.tff"}, "0 bytes"},
      {{"check", folder + "/folder.tff", "--kind", "fixture"}, "Is a directory"},
      {{"build", folder + "/syntax.json", out}, "syntax.json: line 3, column 15: syntax error"},
      {{"build", folder + "/count41.json", out}, "count41.json: channel_count: 41 is out of range 1..40"},
      {{"build", folder + "/count0.json", out}, "count0.json: channel_count: 0 is out of range 1..40"},
      {{"build", folder + "/led0.json", out}, "led0.json: channel_count: 0 is out of range 1..10"},
      {{"build", folder + "/steps300.json", out}, "steps[3]: expected a list of at most 255 entries, found 300"},
      {{"build", folder + "/name.json", out}, "name.json: name: expected a text, found 12"},
      {{"build", folder + "/nul.json", out}, "nul.json: line 1, column 20: unexpected NUL byte"},
      {{"build", folder + "/twice.json", out}, "twice.json: line 1, column 21: kind: duplicate key"},
      {{"build", folder + "/huge.json", out}, "huge.json: line 1, column 39: the number 1e400 is too large"},
      {{"build", folder + "/missing.json", out}, "No such file"},
      {{"build", folder + "/empty.tff", out}, "line 1, column 1"},
      {{"frobnicate"}, "unknown command"},
      {{"dump"}, "dump takes 1 file, not 0"},
      {{"dump", "a", "--kind", "spot"}, "--kind takes fixture, led or names"},
      {{"build", "a.json", out, "--kind", "led"}, "unknown option --kind"},
  };
  for (const auto& [args, message] : cases) {
    WriteText(dir / "out.tff", "what the user had");
    const auto before = test::FileNames(dir.path());
    const Outcome run = RunProgram(args);
    EXPECT_EQ(run.status, 2) << args[0] << " " << message;
    EXPECT_TRUE(IsOneLine(run.err)) << run.err;
    EXPECT_EQ(run.err.rfind("tfftool: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "") << message;
    EXPECT_EQ(ReadText(dir / "out.tff"), "what the user had") << message;
    EXPECT_EQ(test::FileNames(dir.path()), before) << message;
  }
}

// A named pipe as any input comes back at once with the reason; a pipe or a
// device as the output is refused and left as it was.
TEST(TfftoolProgram, NamedPipesAndDevicesAreRefusedAtOnce) {
  TempDir dir;
  const fs::path pipe = dir / "pipe";
  ASSERT_TRUE(test::MakeFifo(pipe));
  const std::string fixture = (dir / "spot.tff").string();
  test::WriteAll(fixture, NewFixtureFile());
  const std::string json = (dir / "spot.json").string();
  WriteText(json, R"({"kind": "fixture"})");
  const std::vector<std::string> runs[] = {
      {"dump", pipe.string()},
      {"dump", pipe.string(), "--kind", "led"},
      {"check", pipe.string()},
      {"check", fixture, "--names", pipe.string()},
      {"build", pipe.string(), (dir / "out.tff").string()},
      {"build", json, pipe.string()},
      {"import", pipe.string(), (dir / "out.tff").string()},
  };
  for (const auto& args : runs) {
    Outcome run;
    EXPECT_TRUE(test::ReturnsPromptly(pipe, [&] { run = RunProgram(args); })) << args[0] << " " << args.back();
    EXPECT_EQ(run.status, 2) << args[0] << " " << args.back();
    EXPECT_NE(run.err.find(pipe.string() + ": it is a named pipe (FIFO), not a regular file"), std::string::npos)
        << run.err;
  }
  EXPECT_TRUE(fs::is_fifo(pipe));
  EXPECT_EQ(test::FileNames(dir.path()), (std::vector<std::string>{"pipe", "spot.json", "spot.tff"}));

  const fs::path device = dir / "null";
  if (!test::MakeNullDevice(device)) GTEST_SKIP() << "this run may not make a device (mknod refused)";
  const Outcome run = RunProgram({"build", json, device.string()});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("null: it is a character device, not a regular file"), std::string::npos) << run.err;
  EXPECT_TRUE(fs::is_character_file(device));
}

TEST(TfftoolProgram, BuildReplacesOutAndDumpPrintsTheJson) {
  TempDir dir;
  WriteText(dir / "spot.json", R"({"kind": "fixture", "name": "Spot", "channel_count": 12})");
  WriteText(dir / "spot.tff", "old");
  Outcome run = RunProgram({"build", (dir / "spot.json").string(), (dir / "spot.tff").string()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out + run.err, "");
  const Bytes file = ReadAll(dir / "spot.tff");
  ASSERT_EQ(file.size(), 6144u);
  EXPECT_EQ(std::string(file.begin() + 1, file.begin() + 12), "Spot       ");
  EXPECT_EQ(test::FileNames(dir.path()), (std::vector<std::string>{"spot.json", "spot.tff"}));

  run = RunProgram({"dump", (dir / "spot.tff").string()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const Json json = Json::parse(run.out);
  EXPECT_EQ(json["name"], "Spot       ");
  EXPECT_EQ(json["channel_count"], 12);
  EXPECT_EQ(json["channels"][11]["name"], std::string(12, '\0'));  // a record never assigned
}

TEST(TfftoolProgram, CheckExitsWith1OnErrorsAnd0WithoutAnd2OnUnreadableSets) {
  TempDir dir;
  auto fixture = NewFixture();
  for (std::size_t c = 0; c < 8; ++c) {
    fixture->Channels[c].Name = FixedText<12>::FromUtf8(BuiltInNames()[c + 2].Name);
    fixture->Channels[c].NameCode = BuiltInNames()[c + 2].Code;
  }
  test::WriteAll(dir / "clean.tff", BuildFixtureImage(*fixture));
  fixture->Channels[0].Name = FixedText<12>::Blank();
  test::WriteAll(dir / "unnamed.tff", BuildFixtureImage(*fixture));
  fixture->MaxPanDegree = 800;
  fixture->Channels[1].NameCode = 250;
  test::WriteAll(dir / "wide.tff", BuildFixtureImage(*fixture));
  ChannelNameSet set;
  RestoreDefaultNames(set);
  test::WriteAll(dir / "ChNameSet.fix", SerializeChannelNameSet(set));

  Outcome run = RunProgram({"check", (dir / "clean.tff").string()});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out + run.err, "");

  const std::string unnamed = (dir / "unnamed.tff").string();
  run = RunProgram({"check", unnamed});
  EXPECT_EQ(run.status, 0);  // warnings only
  EXPECT_EQ(run.out, unnamed + ": warning: channel 1: the channel has no name\n");

  const std::string wide = (dir / "wide.tff").string();
  run = RunProgram({"check", wide});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, wide + ": max pan degree 800 is above 720\n" + wide +
                         ": warning: channel 1: the channel has no name\n");

  run = RunProgram({"check", wide, "--names", (dir / "ChNameSet.fix").string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, wide + ": max pan degree 800 is above 720\n" + wide +
                         ": warning: channel 1: the channel has no name\n" + wide +
                         ": channel 2 (\"Colour\"): name code 250 is carried by no entry of the channel name set\n");

  run = RunProgram({"check", wide, "--names=" + (dir / "missing.fix").string()});
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(IsOneLine(run.err));
  EXPECT_FALSE(fs::exists(dir / "missing.fix"));  // unlike the editor's load, nothing is created

  run = RunProgram({"check", (dir / "ChNameSet.fix").string()});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("check looks at fixture and LED fixture files"), std::string::npos);
}

TEST(TfftoolProgram, AFullStandardOutputIsAFailure) {
  TempDir dir;
  test::WriteAll(dir / "clean.tff", NewFixtureFile());
  const Outcome run = RunProgram({"dump", (dir / "clean.tff").string()}, "/dev/full");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "tfftool: cannot write to the standard output\n");
}

int RunInProcess(const std::vector<std::string>& args, std::string& err) {
  std::ostringstream out;
  std::ostringstream errors;
  const int status = RunTool(args, out, errors);
  err = errors.str();
  return status;
}

TEST(TfftoolProgram, BuildIntoAReadOnlyFolderLeavesOutAsItWas) {
  TempDir dir;
  WriteText(dir / "in.json", R"({"kind": "led"})");
  fs::create_directory(dir / "locked");
  WriteText(dir / "locked" / "out.tff", "old");
  fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  std::string err;
  {
    test::ScopedObeyPermissions obey;
    EXPECT_EQ(RunInProcess({"build", (dir / "in.json").string(), (dir / "locked" / "out.tff").string()}, err), 2);
  }
  EXPECT_TRUE(IsOneLine(err)) << err;
  EXPECT_EQ(ReadText(dir / "locked" / "out.tff"), "old");
  EXPECT_EQ(test::FileNames(dir / "locked"), std::vector<std::string>{"out.tff"});
}

TEST(TfftoolProgram, ANameSetIsBuiltAsAFileOfItsOwnOverALongerOldFile) {
  TempDir dir;
  WriteText(dir / "in.json", R"({"kind": "names"})");
  test::WriteAll(dir / "ChNameSet.fix", Bytes(5000, 0xAB));
  std::string err;
  EXPECT_EQ(RunInProcess({"build", (dir / "in.json").string(), (dir / "ChNameSet.fix").string()}, err), 0) << err;
  ChannelNameSet set;
  RestoreDefaultNames(set);
  EXPECT_EQ(ReadAll(dir / "ChNameSet.fix"), SerializeChannelNameSet(set));
}

}  // namespace
}  // namespace brannoc::tfftool
