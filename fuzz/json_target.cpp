// tfftool's JSON form on any text: the parser answers with a value or an error
// (it never throws), and a value is a record or a JsonFormError. For a record
// that build takes:
//  - the file it writes is one the reader takes (and, for a fixture, reading and
//    saving it is a fixed point);
//  - build takes the dump of that file back and writes what a save of the file
//    read writes. (Not always the file itself: a fixture's channel past the count
//    that a 16-bit channel points at is written as it was held, and reads back
//    as the low byte of its pair.)

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "data/names/name_set.h"
#include "data/fixture/file.h"
#include "data/led/model.h"
#include "require.h"
#include "support/fixture_fixed_point.h"
#include "tfftool/files.h"
#include "tfftool/json_form.h"

using namespace brannoc;
using namespace brannoc::tfftool;

namespace {

// The bytes build writes for the record, without a file (for a name set, the
// records before SaveChannelNameSet clears the blank entries of slots 59..252).
Bytes Build(JsonRecord& record) {
  switch (record.kind) {
    case FileKind::Fixture: return BuildFixtureImage(*record.fixture);
    case FileKind::Led: {
      RebuildLedFunctionMap(*record.led);
      Bytes image = BuildLedFixtureImage(*record.led);
      RederiveLedTypes(*record.led);
      return image;
    }
    case FileKind::Names: return SerializeChannelNameSet(*record.names);
  }
  return {};
}

// The file read back, as tfftool's dump reads it: no record when the reader refuses it.
JsonRecord Read(FileKind kind, const Bytes& file) {
  JsonRecord record;
  record.kind = kind;
  switch (kind) {
    case FileKind::Fixture: record.fixture = ParseFixtureImage(file).record; break;
    case FileKind::Led: record.led = ParseLedFixtureImage(file).record; break;
    case FileKind::Names: record.names = ParseChannelNameSet(file); break;
  }
  return record;
}

bool HasRecord(const JsonRecord& record) { return record.fixture || record.led || record.names; }

Json Dump(const JsonRecord& record) {
  switch (record.kind) {
    case FileKind::Fixture: return FixtureToJson(*record.fixture);
    case FileKind::Led: return LedFixtureToJson(*record.led);
    case FileKind::Names: return NameSetToJson(*record.names);
  }
  return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  JsonParse parsed = ParseJsonText(text);
  if (!parsed.error.empty()) return 0;
  JsonRecord record;
  try {
    record = RecordFromJson(parsed.value);
  } catch (const JsonFormError&) {
    return 0;
  }
  const FileKind kind = record.kind;
  const Bytes file = Build(record);

  JsonRecord read = Read(kind, file);
  fuzz::Require(HasRecord(read), "the reader takes the file build writes");
  if (kind == FileKind::Fixture) {
    const test::FixedPointCheck check = test::CheckFixtureFixedPoint(file);
    fuzz::Require(check.failure.empty(), check.failure);
  }

  const JsonParse again = ParseJsonText(FormatJson(Dump(read)));
  fuzz::Require(again.error.empty(), "the dump is well-formed JSON: " + again.error);
  JsonRecord rebuilt;
  try {
    rebuilt = RecordFromJson(again.value);
  } catch (const JsonFormError& e) {
    fuzz::Require(false, std::string("build takes the dump of a file it wrote: ") + e.what());
  }
  fuzz::Require(rebuilt.kind == kind, "the dump builds the same kind of file");
  fuzz::Require(Build(rebuilt) == Build(read), "the dump builds what a save of the file read writes");
  return 0;
}
