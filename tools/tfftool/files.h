#pragma once
// The files tfftool reads and writes, through the data side's own readers and
// writers.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "data/names/name_set.h"
#include "data/core/file_io.h"
#include "data/fixture/model.h"
#include "data/led/model.h"
#include "tfftool/json_form.h"

namespace brannoc::tfftool {

enum class FileKind { Fixture, Led, Names };

std::string_view KindName(FileKind kind);  // "fixture", "led", "names"
std::optional<FileKind> KindNamed(std::string_view name);
// 6144 bytes: a fixture, 512: an LED fixture, 3542: a channel name set.
std::optional<FileKind> KindOfSize(std::uintmax_t size);

// A channel name set file shorter than this holds too little to be read (the
// fixture editor's own limit); the entries it does not hold completely read blank.
inline constexpr std::size_t kNameSetMinimum = kFixtureEditorMinimum;
// JSON input larger than this is refused unread.
inline constexpr std::size_t kMaxJsonBytes = 16 * 1024 * 1024;

// A file read into its record. Exactly one record is set when `error` is empty.
struct RecordFile {
  FileKind kind = FileKind::Fixture;
  Bytes image;  // the bytes the reader read (at most the kind's size)
  std::unique_ptr<FixtureRecord> fixture;
  std::optional<LedFixtureRecord> led;
  std::optional<ChannelNameSet> names;
  std::string error;  // what made the file unreadable, naming the file
};

// Reads `path` as `kind`, or as the kind its size gives when none is named.
// Nothing is written, not even a missing name set.
RecordFile ReadRecordFile(const std::filesystem::path& path, std::optional<FileKind> kind);

// The record a JSON document describes, by its "kind"; throws JsonFormError.
struct JsonRecord {
  FileKind kind = FileKind::Fixture;
  std::unique_ptr<FixtureRecord> fixture;
  std::optional<LedFixtureRecord> led;
  std::optional<ChannelNameSet> names;
};
JsonRecord RecordFromJson(const Json& json);

// Writes the record through the editor's writer, replacing `out` safely: a
// fixture as "&Save Fixture" writes it, an LED fixture with its map rebuilt by
// WriteLedFixtureFile, a name set as SaveChannelNameSet writes it into a new file.
std::optional<IoError> WriteRecordFile(JsonRecord& record, const std::filesystem::path& out);

struct JsonFile {
  Json value;
  std::string error;  // naming the file, and for malformed JSON the line and column
};
JsonFile ReadJsonFile(const std::filesystem::path& path);

}  // namespace brannoc::tfftool
