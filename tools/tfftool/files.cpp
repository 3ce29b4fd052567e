#include "tfftool/files.h"

#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "data/fixture/file.h"

namespace brannoc::tfftool {
namespace fs = std::filesystem;
namespace {

constexpr std::pair<FileKind, std::string_view> kKindNames[] = {
    {FileKind::Fixture, "fixture"}, {FileKind::Led, "led"}, {FileKind::Names, "names"}};

std::string Named(const fs::path& path, const std::string& message) { return path.string() + ": " + message; }

// What SaveChannelNameSet writes into a file of its own: written in a private
// temporary folder and read back, so that no tail of an existing `out` is kept.
std::optional<IoError> NameSetFileBytes(ChannelNameSet& set, Bytes& bytes) {
  std::error_code ec;
  const fs::path temp = fs::temp_directory_path(ec);
  if (ec) return IoError{"Cannot find a temporary folder: " + ec.message()};
  std::string pattern = (temp / "tfftool-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    return IoError{"Cannot create a temporary folder in " + temp.string() + ": " + std::strerror(errno)};
  }
  const fs::path folder = pattern;
  const fs::path file = folder / kChannelNameSetFileName;
  std::optional<IoError> error = SaveChannelNameSet(set, file);
  if (!error) {
    ReadResult read = ReadFilePrefix(file, kNameSetFileSize);
    error = read.error;
    bytes = std::move(read.bytes);
  }
  fs::remove_all(folder, ec);
  return error;
}

}  // namespace

std::string_view KindName(FileKind kind) {
  for (const auto& [k, name] : kKindNames) {
    if (k == kind) return name;
  }
  return {};
}

std::optional<FileKind> KindNamed(std::string_view name) {
  for (const auto& [kind, n] : kKindNames) {
    if (n == name) return kind;
  }
  return std::nullopt;
}

std::optional<FileKind> KindOfSize(std::uintmax_t size) {
  if (size == fixture_layout::kFileSize) return FileKind::Fixture;
  if (size == LED_FILE_SIZE) return FileKind::Led;
  if (size == kNameSetFileSize) return FileKind::Names;
  return std::nullopt;
}

RecordFile ReadRecordFile(const fs::path& path, std::optional<FileKind> kind) {
  RecordFile result;
  // The largest of the three; each reader looks at no more than its own size.
  const ReadResult read = ReadFilePrefix(path, fixture_layout::kFileSize);
  if (read.error) {
    result.error = read.error->message;
    return result;
  }
  if (read.bytes.size() < std::min<std::uintmax_t>(read.fileSize, fixture_layout::kFileSize)) {
    result.error = Named(path, "the file changed while it was read");
    return result;
  }
  if (!kind) kind = KindOfSize(read.fileSize);
  if (!kind) {
    result.error = Named(path, std::to_string(read.fileSize) +
                                   " bytes is the size of no file tfftool knows (a fixture has 6144, an LED "
                                   "fixture 512, a channel name set 3542); name the kind with --kind");
    return result;
  }
  result.kind = *kind;
  result.image = read.bytes;
  switch (*kind) {
    case FileKind::Fixture: {
      FixtureReadResult fixture = ParseFixtureImage(read.bytes);
      result.fixture = std::move(fixture.record);
      if (!result.fixture) result.error = Named(path, fixture.error);
      break;
    }
    case FileKind::Led: {
      LedReadResult led = ParseLedFixtureImage(read.bytes);
      result.led = led.record;
      if (!result.led) result.error = Named(path, led.error);
      break;
    }
    case FileKind::Names:
      if (read.fileSize < kNameSetMinimum) {
        result.error = Named(path, "the file is " + std::to_string(read.fileSize) +
                                       " bytes long; a channel name set file has at least " +
                                       std::to_string(kNameSetMinimum));
        break;
      }
      result.image.resize(std::min(result.image.size(), kNameSetFileSize));
      result.names = ParseChannelNameSet(result.image);
      break;
  }
  if (!result.error.empty()) result.image.clear();
  return result;
}

JsonRecord RecordFromJson(const Json& json) {
  if (!json.is_object()) throw JsonFormError("expected an object with a \"kind\"");
  const auto kind = json.find("kind");
  if (kind == json.end()) throw JsonFormError("kind: missing; give \"fixture\", \"led\" or \"names\"");
  const auto named = kind->is_string() ? KindNamed(kind->get_ref<const std::string&>()) : std::nullopt;
  if (!named) throw JsonFormError("kind: expected \"fixture\", \"led\" or \"names\", found " + kind->dump());
  JsonRecord record;
  record.kind = *named;
  switch (*named) {
    case FileKind::Fixture: record.fixture = FixtureFromJson(json); break;
    case FileKind::Led: record.led = LedFixtureFromJson(json); break;
    case FileKind::Names: record.names = NameSetFromJson(json); break;
  }
  return record;
}

std::optional<IoError> WriteRecordFile(JsonRecord& record, const fs::path& out) {
  switch (record.kind) {
    case FileKind::Fixture: return SaveFixtureFile(*record.fixture, out);
    case FileKind::Led:
      RebuildLedFunctionMap(*record.led);
      return WriteLedFixtureFile(*record.led, out);
    case FileKind::Names: {
      Bytes bytes;
      if (auto error = NameSetFileBytes(*record.names, bytes)) return error;
      return ReplaceFile(out, bytes);
    }
  }
  return IoError{"unknown kind of file"};
}

JsonFile ReadJsonFile(const fs::path& path) {
  JsonFile result;
  const ReadResult read = ReadFilePrefix(path, kMaxJsonBytes);
  if (read.error) {
    result.error = read.error->message;
    return result;
  }
  if (read.fileSize > kMaxJsonBytes) {
    result.error = Named(path, "the file is " + std::to_string(read.fileSize) + " bytes long; JSON input is read up to " +
                                   std::to_string(kMaxJsonBytes));
    return result;
  }
  if (read.bytes.size() < read.fileSize) {
    result.error = Named(path, "the file changed while it was read");
    return result;
  }
  const std::string_view text(reinterpret_cast<const char*>(read.bytes.data()), read.bytes.size());
  JsonParse parsed = ParseJsonText(text);
  if (!parsed.error.empty()) {
    result.error = Named(path, parsed.error);
    return result;
  }
  result.value = std::move(parsed.value);
  return result;
}

}  // namespace brannoc::tfftool
