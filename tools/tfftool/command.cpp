#include "tfftool/command.h"

#include <algorithm>
#include <exception>
#include <iostream>
#include <map>
#include <optional>
#include <string_view>

#include "tfftool/check.h"
#include "tfftool/diff.h"
#include "tfftool/files.h"
#include "tfftool/import.h"
#include "tfftool/library.h"
#include "tfftool/palettes.h"

#include <unistd.h>

namespace brannoc::tfftool {

int Fail(std::ostream& err, const std::string& message) {
  err << "tfftool: " << message << '\n';
  return kExitFailure;
}

namespace {

constexpr std::string_view kProgramHelp = R"(Usage: tfftool COMMAND [ARGUMENTS]

Inspects, checks and builds the files of the Brannoc-512 fixture library
editor: fixture files (.tff, 6144 bytes), LED fixture files (.tff, 512 bytes)
and the channel name set (ChNameSet.fix, 3542 bytes).

Commands:
  dump FILE [--kind KIND]                 write FILE as JSON to standard output
  build JSON OUT                          write the file JSON describes to OUT
  check FILE [--kind KIND] [--names SET]  list what the console would trip over
  diff A B [--mode NAME] [--json]         the fields in which two fixtures differ
  import DEFINITION OUT [--mode NAME] [--names SET] [--add-names] [--as KIND] [--palettes]
                                          a mode of a .qxf, .gdtf or description.xml as a fixture
  import DEFINITION --list-modes          list the modes of a fixture definition
  palettes FILE [OUT]                     fill the free palettes from the channels
  convert SRC OUT_DIR [--mode M] [--names SET] [--add-names] [--palettes] [--as A] [--force]
                                          every definition in SRC as fixture files
  search WORDS... [--folder DIR]          find definitions in the fixture library
  sheet FILE OUT.pdf                      the channel sheet of a fixture as a PDF

KIND is fixture, led or names; without --kind it follows from FILE's size.
"tfftool COMMAND --help" tells more about a command.

Exit status: 0 done (check: no errors; diff: the same; import: nothing had to
change), 1 check found errors, diff found differences, import reports changes
or palettes left some out, 2 a file could not be read or written, the JSON or
XML is malformed or out of range, or the command line is wrong. On status 2
nothing is written.
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
shorter text is padded with spaces, a longer one cut. "channels" and "steps"
list at least "channel_count" entries; channels not listed stay as in a new
fixture, without steps. An existing OUT is
replaced only by a complete new file; on any error OUT is left as it was.
)";

constexpr std::string_view kCheckHelp = R"(Usage: tfftool check FILE [--kind fixture|led] [--names ChNameSet.fix]

Prints one line for each problem in FILE, a fixture or an LED fixture file, and
exits with 1 when there is an error among them, 0 when there is none. These are
the problems the fixture editor's Check list shows. Errors, which the console
would misread:
  - steps the file cannot hold (it holds 204 in all), a step whose From is
    above its To,
  - palette presets cut off or left out by the full palette block,
  - a 16-bit low-byte channel that no high-byte channel points at,
  - a high-byte channel whose partner is 0, itself, beyond the channel count
    or not a low-byte channel of its kind,
  - an unknown type letter,
  - a maximum pan or tilt degree above 720,
  - with --names: name codes that no named entry of that channel name set
    carries.
Warnings, lines that start with "warning: " (fixture files only): a fixture or
channel without a name, two channels of one name, a named channel without a
name code, with --names a name the set does not hold; steps out of order or
overlapping, one step over 0..255; a named palette without a named preset or
without members, members beyond the channel count; a maximum pan or tilt of 0
while a channel is named Pan or Tilt.
)";

constexpr std::string_view kDiffHelp = R"(Usage: tfftool diff A B [--json]
       tfftool diff A.tff B.qxf [--mode NAME] [--names ChNameSet.fix] [--palettes] [--json]

Prints one line for each field in which A and B differ, as the editor shows
the field: the header, each channel in use, its steps, the named palettes with
their members and preset values, e.g.
  channel 5 name: "Gobo" -> "Gobo1"
  channel 9 step 3 to: 63 -> 64
  palette "Colour" preset 4 "Red": channel 7 value 40 -> 44
A and B are two fixture files or two LED fixture files. B may be a fixture
definition (.qxf, .gdtf or description.xml): A is then compared with what
"tfftool import" makes of its mode (--mode, --names, --palettes as there; the
editor's import fills the palettes unless its box is unticked). What a save derives from the rest (the function
map, the palette counts and block) is not compared.
  --json   the differences as a JSON document: {"a", "b", "same",
           "differences": [{"field", "a", "b"}, ...]}
Exit status: 0 the same, 1 different, 2 an error.
)";

constexpr std::string_view kImportHelp = R"(Usage: tfftool import DEFINITION OUT [--mode NAME] [--names ChNameSet.fix] [--add-names] [--as led|fixture|auto] [--palettes]
       tfftool import DEFINITION --list-modes

Imports one mode of a fixture definition and writes it to OUT as "&Save
Fixture" writes a fixture. DEFINITION is a QLC+ fixture definition (.qxf), a
GDTF file (.gdtf) or a GDTF description.xml, recognised by its content.
Prints one line for each thing that had to change to fit the console (names
cut, steps past the 204 the file holds, fine channels without their coarse
channel, GDTF channels left out, names the channel name set lacks, ...).
  --mode NAME     the mode to import, by its exact name or its number from 1;
                  needed when DEFINITION has several
  --names SET     the channel name set that gives the names their codes (the
                  41 built-in names without it)
  --add-names     add the names SET lacks to SET, as the editor adds a typed
                  name, so that they get codes
  --as KIND       fixture (the default): the 6144-byte fixture file; led: the
                  512-byte LED fixture file, for a mode of at most 10 channels
                  that all have an LED name (Red, Green, Blue, Amber, CoolW,
                  WarmW, Strobe, Dimmer, FX, MACRO, Speed, Zoom, Reset);
                  auto: an LED fixture where the mode fits, else a fixture
  --palettes      fill the palettes of a fixture from its channels, as
                  "tfftool palettes" does, and list the palettes made and left
                  out (an LED fixture has no palettes)
  --list-modes    list the modes with their channel and step counts, and why
                  a mode cannot be imported (more than 40 channels)
Exit status: 0 nothing had to change, 1 the report has lines (a palette
left out counts; the palettes made do not), 2 an error (DEFINITION unreadable,
not a fixture definition, no such mode, a mode of more than 40 channels, ...);
on status 2 neither OUT nor SET is written.
)";

constexpr std::string_view kPalettesHelp = R"(Usage: tfftool palettes FILE [OUT]

Fills the free palettes of the fixture file FILE (those with no palette name
and no preset name) from what its channels are, as the palette editor's "Fill
Palettes" does, and writes the fixture to OUT, or back to FILE without OUT, as
"&Save Fixture" writes it. Named palettes and presets are never changed. In
this order, each where the channels give it: Colour (the colour wheel's single
colours, else a mixing table), Gobo, Beam (the shutter's steps), Prism, Focus,
Zoom, Iris, Frost, Pos (centre and home) and Intens (the dimmer, else the
mixers). Prints the palettes made and those left out: a palette that would
take the palette block past its 2048 bytes, one with no free palette left and
one whose name a palette already has.
Exit status: 0 palettes made and none left out, 1 some left out or none made
(FILE is then written only when it gained a palette), 2 an error, and nothing
written.
)";

constexpr std::string_view kConvertHelp = R"(Usage: tfftool convert SRC OUT_DIR [--mode largest|first|all|NAME]
                       [--names ChNameSet.fix] [--add-names] [--palettes]
                       [--as led|fixture|auto] [--force]

Imports every fixture definition (.qxf or .gdtf) in SRC, a file or a folder with
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
  --palettes      fill each fixture's palettes from its channels, as import does
  --as fixture    write fixture files (the default)
  --as led        write the console's 512-byte LED files; a chosen mode that
                  does not fit the LED form (10 channels, each with an LED
                  name) is refused with the reason
  --as auto       an LED file where the chosen mode fits the LED form, else a
                  fixture file
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
  const std::vector<FixtureProblem> problems =
      file.kind == FileKind::Fixture ? brannoc::CheckFixture(*file.fixture, names ? &*names : nullptr, file.image)
                                     : brannoc::CheckLedFixture(*file.led, file.image);
  for (const FixtureProblem& problem : problems) out << path << ": " << ProblemLine(problem) << '\n';
  return Finish(out, err, CountProblems(problems, ProblemLevel::Error) == 0 ? kExitOk : kExitFindings);
}

int Diff(const CommandLine& line, std::ostream& out, std::ostream& err) {
  DiffRequest request;
  request.a = line.positional[0];
  request.b = line.positional[1];
  if (const auto it = line.options.find("--mode"); it != line.options.end()) request.mode = it->second;
  if (const auto it = line.options.find("--names"); it != line.options.end()) request.names = it->second;
  request.palettes = line.options.contains("--palettes");
  request.json = line.options.contains("--json");
  return RunDiff(request, out, err);
}

// --as led|fixture|auto of import and convert; false when it is none of them.
bool ReadAs(const CommandLine& line, ImportAs& as, std::ostream& err) {
  const auto it = line.options.find("--as");
  if (it == line.options.end() || it->second == "fixture") return true;
  if (it->second == "led") as = ImportAs::Led;
  else if (it->second == "auto") as = ImportAs::Auto;
  else Fail(err, "--as takes led, fixture or auto, not \"" + it->second.substr(0, 60) + "\"");
  return it->second == "led" || it->second == "auto";
}

int Import(const CommandLine& line, std::ostream& out, std::ostream& err) {
  ImportRequest request;
  request.qxf = line.positional[0];
  if (line.positional.size() > 1) request.out = line.positional[1];
  if (const auto it = line.options.find("--mode"); it != line.options.end()) request.mode = it->second;
  if (const auto it = line.options.find("--names"); it != line.options.end()) request.names = it->second;
  request.addNames = line.options.contains("--add-names");
  request.listModes = line.options.contains("--list-modes");
  request.palettes = line.options.contains("--palettes");
  if (!ReadAs(line, request.as, err)) return kExitFailure;
  if (request.listModes && request.out) return Fail(err, "import --list-modes takes the DEFINITION file only");
  if (!request.listModes && !request.out) return Fail(err, "import takes a DEFINITION file and the OUT file to write");
  if (request.addNames && !request.names) return Fail(err, "--add-names needs --names, the set to add to");
  return Finish(out, err, RunImport(request, out, err));
}

int Palettes(const CommandLine& line, std::ostream& out, std::ostream& err) {
  std::optional<std::string> to;
  if (line.positional.size() > 1) to = line.positional[1];
  return Finish(out, err, RunPalettes(line.positional[0], to, out, err));
}

int Convert(const CommandLine& line, std::ostream& out, std::ostream& err) {
  ConvertRequest request;
  request.source = line.positional[0];
  request.outDir = line.positional[1];
  if (const auto it = line.options.find("--mode"); it != line.options.end()) request.mode = it->second;
  if (const auto it = line.options.find("--names"); it != line.options.end()) request.names = it->second;
  request.addNames = line.options.contains("--add-names");
  request.force = line.options.contains("--force");
  request.palettes = line.options.contains("--palettes");
  if (!ReadAs(line, request.as, err)) return kExitFailure;
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
    {"diff", kDiffHelp, 2, {"--mode", "--names"}, Diff, {"--json", "--palettes"}},
    {"import", kImportHelp, 2, {"--mode", "--names", "--as"}, Import, {"--add-names", "--list-modes", "--palettes"}, 1},
    {"palettes", kPalettesHelp, 2, {}, Palettes, {}, 1},
    {"convert", kConvertHelp, 2, {"--mode", "--names", "--as"}, Convert, {"--add-names", "--force", "--palettes"}},
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
