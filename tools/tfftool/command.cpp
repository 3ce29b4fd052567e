#include "tfftool/command.h"

#include <algorithm>
#include <exception>
#include <map>
#include <optional>
#include <string_view>

#include "tfftool/check.h"
#include "tfftool/files.h"
#include "tfftool/import.h"
#include "tfftool/library.h"

#include <iostream>
#include <unistd.h>

namespace brannoc::tfftool {
namespace {

constexpr std::string_view kProgramHelp = R"(Usage: tfftool COMMAND [ARGUMENTS]

Inspects, checks and builds the files of the Brannoc-512 fixture library
editor: fixture files (.tff, 6144 bytes), LED fixture files (.tff, 512 bytes)
and the channel name set (ChNameSet.fix, 3542 bytes).

Commands:
  dump FILE [--kind KIND]                 write FILE as JSON to standard output
  build JSON OUT                          write the file JSON describes to OUT
  check FILE [--kind KIND] [--names SET]  list what the console would trip over
  import QXF OUT [--mode NAME] [--names SET] [--add-names]
                                          a mode of a QLC+ fixture definition as a fixture
  import QXF --list-modes                 list the modes of a QLC+ fixture definition
  convert SRC OUT_DIR [--mode M] [--names SET] [--add-names] [--force]
                                          every definition in SRC as fixture files
  search WORDS... [--folder DIR]          find definitions in the fixture library

KIND is fixture, led or names; without --kind it follows from FILE's size.
"tfftool COMMAND --help" tells more about a command.

Exit status: 0 done (check: no problems; import: nothing had to change), 1
check found problems or import reports changes, 2 a file could not be read or
written, the JSON or XML is malformed or out of range, or the command line is
wrong. On status 2 nothing is written.
)";

constexpr std::string_view kDumpHelp = R"(Usage: tfftool dump FILE [--kind fixture|led|names]

Writes one JSON document describing FILE to standard output, as the editor's
reader sees the file. Texts are strings of the field's full width, padding
kept (a NUL byte is \u0000); numbers are plain integers. The kind follows from
FILE's size (6144 bytes: fixture, 512: led, 3542: names) unless --kind gives it.
)";

constexpr std::string_view kBuildHelp = R"(Usage: tfftool build JSON OUT

Writes the file that JSON describes to OUT, as the editor writes it: a fixture
as "&Save Fixture" does (function map, type letters, palette counts and palette
block recomputed), an LED fixture with its function map rebuilt, a channel name
set as a file of its own. The member "kind" ("fixture", "led" or "names") says
which. A missing field keeps the value of a newly started record (a fixture or
LED fixture of 8 channels named "New Fixture"; the built-in channel names); a
shorter text is padded with spaces, a longer one cut. An existing OUT is
replaced only by a complete new file; on any error OUT is left as it was.
)";

constexpr std::string_view kCheckHelp = R"(Usage: tfftool check FILE [--kind fixture|led] [--names ChNameSet.fix]

Prints one line for each problem the console would meet in FILE, a fixture or
an LED fixture file, and exits with 1 when there is any, 0 when there is none:
  - steps the file cannot hold (it holds 204 in all),
  - palette presets cut off or left out by the full palette block,
  - a 16-bit low-byte channel that no high-byte channel points at,
  - a high-byte channel whose partner is 0, beyond the channel count or not a
    low-byte channel,
  - an unknown type letter,
  - a maximum pan or tilt degree above 720,
  - with --names: name codes that no named entry of that channel name set
    carries (fixture files only).
)";

constexpr std::string_view kImportHelp = R"(Usage: tfftool import QXF OUT [--mode NAME] [--names ChNameSet.fix] [--add-names]
       tfftool import QXF --list-modes

Imports one mode of a QLC+ fixture definition (.qxf) and writes it to OUT as
"&Save Fixture" writes a fixture; prints one line for each thing that had to
change to fit the console (names cut, steps past the 204 the file holds, fine
channels without their coarse channel, names the channel name set lacks, ...).
  --mode NAME     the mode to import; needed when QXF has several
  --names SET     the channel name set that gives the names their codes (the
                  41 built-in names without it)
  --add-names     add the names SET lacks to SET, as the editor adds a typed
                  name, so that they get codes
  --list-modes    list the modes with their channel and step counts, and why
                  a mode cannot be imported (more than 40 channels)
Exit status: 0 nothing had to change, 1 the report has lines, 2 an error
(QXF unreadable, not a fixture definition, no such mode, a mode of more than
40 channels, ...); on status 2 neither OUT nor SET is written.
)";

constexpr std::string_view kConvertHelp = R"(Usage: tfftool convert SRC OUT_DIR [--mode largest|first|all|NAME]
                       [--names ChNameSet.fix] [--add-names] [--force]

Imports every QLC+ fixture definition (.qxf) in SRC, a file or a folder with
its subfolders, and writes one fixture file per definition into OUT_DIR, named
from maker, model and mode ("Martin-MAC-Viper-Performance-Extended.tff": at
most 64 characters, none of / \ : * ? " < > |, each name once). OUT_DIR/index.tsv
lists them: source, mode, file, channels, steps and what had to change.
  --mode largest  the mode with the most channels that fits (the default)
  --mode first    the first mode that fits
  --mode all      every mode that fits, one file each
  --mode NAME     the mode of that name (letter case may differ)
  --names SET     the channel name set that gives the names their codes (the
                  41 built-in names without it)
  --add-names     add the names SET lacks to SET
  --force         replace files that exist; without it they are left alone
A definition that is damaged or has no mode that fits is reported and the
others go on. On a terminal a progress line shows the files done; otherwise one
line per file. A summary table ends the output.
Exit status: 0 every definition converted as it was, 1 converted with report
lines or definitions left out, 2 nothing could be written.
)";

constexpr std::string_view kSearchHelp = R"(Usage: tfftool search WORDS... [--folder DIR]

Finds fixture definitions in the fixture library (/usr/share/qlcplus/fixtures
and ~/.qlcplus/fixtures, or DIR) whose maker, model or mode names start with
every word, in any order, letter case and accents aside: "viper perf", "robe
pointe", "par 64 rgbw". Prints maker and model, the modes with their channel
counts and the file's path, best matches first. The index is kept in
$XDG_CACHE_HOME/brannoc512/ (~/.cache/brannoc512/), which the editor's
"Fixture Library..." shares; only files changed since are read again.
Exit status: 0 found, 1 nothing found, 2 no library folder.
)";

struct CommandLine {
  std::vector<std::string> positional;
  std::map<std::string, std::string, std::less<>> options;
  bool help = false;
};

struct Command {
  std::string_view name;
  std::string_view help;
  std::size_t positional;                      // how many arguments it takes
  std::vector<std::string_view> options;       // each takes a value
  int (*run)(const CommandLine&, std::ostream&, std::ostream&);
  std::vector<std::string_view> flags = {};    // options without a value
  std::size_t optionalPositional = 0;          // how many of the arguments may be left out
};

int Fail(std::ostream& err, const std::string& message) {
  err << "tfftool: " << message << '\n';
  return kExitFailure;
}

// Flushes `out`; a failed write (a full disk, a closed pipe) is a failure.
int Finish(std::ostream& out, std::ostream& err, int status) {
  out.flush();
  if (!out) return Fail(err, "cannot write to the standard output");
  return status;
}

std::optional<FileKind> KindOption(const CommandLine& line, std::string& error) {
  const auto it = line.options.find("--kind");
  if (it == line.options.end()) return std::nullopt;
  const auto kind = KindNamed(it->second);
  if (!kind) error = "--kind takes fixture, led or names, not \"" + it->second + "\"";
  return kind;
}

int Dump(const CommandLine& line, std::ostream& out, std::ostream& err) {
  std::string error;
  const auto kind = KindOption(line, error);
  if (!error.empty()) return Fail(err, error);
  const RecordFile file = ReadRecordFile(line.positional[0], kind);
  if (!file.error.empty()) return Fail(err, file.error);
  Json json;
  switch (file.kind) {
    case FileKind::Fixture: json = FixtureToJson(*file.fixture); break;
    case FileKind::Led: json = LedFixtureToJson(*file.led); break;
    case FileKind::Names: json = NameSetToJson(*file.names); break;
  }
  out << FormatJson(json) << '\n';
  return Finish(out, err, kExitOk);
}

int Build(const CommandLine& line, std::ostream&, std::ostream& err) {
  const std::string& input = line.positional[0];
  const JsonFile json = ReadJsonFile(input);
  if (!json.error.empty()) return Fail(err, json.error);
  JsonRecord record;
  try {
    record = RecordFromJson(json.value);
  } catch (const JsonFormError& e) {
    return Fail(err, input + ": " + e.what());
  }
  if (const auto error = WriteRecordFile(record, line.positional[1])) return Fail(err, error->message);
  return kExitOk;
}

int Check(const CommandLine& line, std::ostream& out, std::ostream& err) {
  std::string error;
  const auto kind = KindOption(line, error);
  if (!error.empty()) return Fail(err, error);
  const std::string& path = line.positional[0];
  const RecordFile file = ReadRecordFile(path, kind);
  if (!file.error.empty()) return Fail(err, file.error);
  if (file.kind == FileKind::Names) {
    return Fail(err, path + ": a channel name set; check looks at fixture and LED fixture files");
  }
  std::optional<ChannelNameSet> names;
  if (const auto it = line.options.find("--names"); it != line.options.end()) {
    if (file.kind != FileKind::Fixture) return Fail(err, "--names goes with fixture files only");
    RecordFile set = ReadRecordFile(it->second, FileKind::Names);
    if (!set.error.empty()) return Fail(err, set.error);
    names = std::move(set.names);
  }
  const std::vector<std::string> findings = file.kind == FileKind::Fixture
                                                ? CheckFixture(file.image, *file.fixture, names ? &*names : nullptr)
                                                : CheckLedFixture(file.image, *file.led);
  for (const std::string& finding : findings) out << path << ": " << finding << '\n';
  return Finish(out, err, findings.empty() ? kExitOk : kExitFindings);
}

int Import(const CommandLine& line, std::ostream& out, std::ostream& err) {
  ImportRequest request;
  request.qxf = line.positional[0];
  if (line.positional.size() > 1) request.out = line.positional[1];
  if (const auto it = line.options.find("--mode"); it != line.options.end()) request.mode = it->second;
  if (const auto it = line.options.find("--names"); it != line.options.end()) request.names = it->second;
  request.addNames = line.options.contains("--add-names");
  request.listModes = line.options.contains("--list-modes");
  if (request.listModes && request.out) return Fail(err, "import --list-modes takes the QXF file only");
  if (!request.listModes && !request.out) return Fail(err, "import takes a QXF file and the OUT file to write");
  if (request.addNames && !request.names) return Fail(err, "--add-names needs --names, the set to add to");
  return Finish(out, err, RunImport(request, out, err));
}

int Convert(const CommandLine& line, std::ostream& out, std::ostream& err) {
  ConvertRequest request;
  request.source = line.positional[0];
  request.outDir = line.positional[1];
  if (const auto it = line.options.find("--mode"); it != line.options.end()) request.mode = it->second;
  if (const auto it = line.options.find("--names"); it != line.options.end()) request.names = it->second;
  request.addNames = line.options.contains("--add-names");
  request.force = line.options.contains("--force");
  if (request.addNames && !request.names) return Fail(err, "--add-names needs --names, the set to add to");
  request.progressLine = &out == &std::cout && isatty(STDOUT_FILENO) == 1;
  return Finish(out, err, RunConvert(request, out, err));
}

int Search(const CommandLine& line, std::ostream& out, std::ostream& err) {
  SearchRequest request;
  request.words = line.positional;
  if (request.words.empty()) return Fail(err, "search takes the words to look for");
  if (const auto it = line.options.find("--folder"); it != line.options.end()) request.folder = it->second;
  return Finish(out, err, RunSearch(request, out, err));
}

const Command kCommands[] = {
    {"dump", kDumpHelp, 1, {"--kind"}, Dump},
    {"build", kBuildHelp, 2, {}, Build},
    {"check", kCheckHelp, 1, {"--kind", "--names"}, Check},
    {"import", kImportHelp, 2, {"--mode", "--names"}, Import, {"--add-names", "--list-modes"}, 1},
    {"convert", kConvertHelp, 2, {"--mode", "--names"}, Convert, {"--add-names", "--force"}},
    {"search", kSearchHelp, 1000, {"--folder"}, Search, {}, 1000},
};

// "--opt value" and "--opt=value"; anything else not starting with "--" is an argument.
std::optional<std::string> ParseArguments(const Command& command, const std::vector<std::string>& args,
                                          CommandLine& line) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      line.help = true;
      return std::nullopt;
    }
    if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      line.positional.push_back(arg);
      continue;
    }
    if (std::find(command.flags.begin(), command.flags.end(), arg) != command.flags.end()) {
      line.options[arg] = "";
      continue;
    }
    const auto equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    if (std::find(command.options.begin(), command.options.end(), name) == command.options.end()) {
      return "unknown option " + name + " for " + std::string(command.name);
    }
    if (equals != std::string::npos) {
      line.options[name] = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      line.options[name] = args[++i];
    } else {
      return name + " needs a value";
    }
  }
  if (line.positional.size() > command.positional ||
      line.positional.size() + command.optionalPositional < command.positional) {
    return std::string(command.name) + " takes " + std::to_string(command.positional) +
           (command.positional == 1 ? " file" : " files") + ", not " + std::to_string(line.positional.size());
  }
  return std::nullopt;
}

}  // namespace

int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    if (args.empty()) return Fail(err, "no command given; see tfftool --help");
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
      out << kProgramHelp;
      return Finish(out, err, kExitOk);
    }
    const auto command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                      [&](const Command& c) { return c.name == args[0]; });
    if (command == std::end(kCommands)) return Fail(err, "unknown command \"" + args[0] + "\"; see tfftool --help");
    CommandLine line;
    if (const auto error = ParseArguments(*command, args, line)) {
      return Fail(err, *error + "; see tfftool " + std::string(command->name) + " --help");
    }
    if (line.help) {
      out << command->help;
      return Finish(out, err, kExitOk);
    }
    return command->run(line, out, err);
  } catch (const std::exception& e) {
    return Fail(err, e.what());
  }
}

}  // namespace brannoc::tfftool
