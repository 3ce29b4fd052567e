// The channel name set reader on any bytes (it takes every input: records the
// bytes do not hold completely read blank).
//  - writing the set gives back each record the bytes held, byte for byte, and
//    a blank record (Slot 0, Code 0, 12 spaces) for each one they did not;
//  - a name chooser offers every entry with a name, in slot order, and nothing
//    else; a free slot for an added name is a blank one from slot 59 on.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "data/names/name_set.h"
#include "require.h"

using namespace brannoc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> image(data, size);
  const ChannelNameSet set = ParseChannelNameSet(image);

  const Bytes written = SerializeChannelNameSet(set);
  fuzz::Require(written.size() == kNameSetFileSize, "the set is written as 3542 bytes");
  const std::size_t held = std::min(size / kNameRecordSize, kNameSlots) * kNameRecordSize;
  fuzz::Require(std::equal(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(held), written.begin()),
                "each record the bytes held is written back as it was");
  for (std::size_t at = held; at < kNameSetFileSize; at += kNameRecordSize) {
    const bool blank = written[at + kNameRecordSlotOffset] == 0 && written[at + kNameRecordCodeOffset] == 0 &&
                       std::all_of(written.begin() + static_cast<std::ptrdiff_t>(at + kNameRecordNameOffset),
                                   written.begin() + static_cast<std::ptrdiff_t>(at + kNameRecordSize),
                                   [](std::uint8_t b) { return b == ' '; });
    fuzz::Require(blank, "a record the bytes did not hold is blank");
  }

  const auto offered = UsableNames(set);
  const auto named = std::count_if(set.Entries.begin(), set.Entries.end(), [](const ChannelNameEntry& entry) {
    return !entry.Name.IsBlank() && entry.Name.Bytes()[0] != 0;
  });
  fuzz::Require(offered.size() == static_cast<std::size_t>(named), "every entry with a name is offered");
  int previous = -1;
  for (const UsableName& name : offered) {
    fuzz::Require(name.Slot > previous && name.Slot < static_cast<int>(kNameSlots), "names are offered in slot order");
    previous = name.Slot;
    const ChannelNameEntry& entry = set.Entries[static_cast<std::size_t>(name.Slot)];
    fuzz::Require(entry.Code == name.Code && entry.Name == name.Name, "an offered name is the entry's");
    fuzz::Require(!entry.Name.IsBlank() && entry.Name.Bytes()[0] != 0, "no blank or NUL name is offered");
  }
  if (const auto slot = FindFreeNameSlot(set)) {
    fuzz::Require(*slot >= kFirstAddedSlot && *slot < static_cast<int>(kNameSlots) &&
                      set.Entries[static_cast<std::size_t>(*slot)].Name.IsBlank(),
                  "a free slot is a blank one from 59 on");
  }
  return 0;
}
