// The fixture library's cache reader on any bytes: the index the editor's
// "Fixture Library..." and tfftool search start from. The input is the cache
// without its check sum, which the target adds as the writer would, so that the
// fuzzer reaches the fields behind it.
//  - an index read is written as a cache that reads back as the same index;
//  - the same bytes with a wrong check sum read as nothing.

#include <cstddef>
#include <cstdint>
#include <span>

#include "data/library/index.h"
#include "require.h"

using namespace brannoc;

namespace {

// FNV-1a over the bytes, little-endian after them: the cache's seal.
Bytes Sealed(std::span<const std::uint8_t> body, std::uint64_t flip) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (std::uint8_t b : body) hash = (hash ^ b) * 0x100000001b3ULL;
  hash ^= flip;
  Bytes bytes(body.begin(), body.end());
  for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<std::uint8_t>(hash >> (8 * i)));
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> body(data, size);
  const auto index = ParseLibraryCache(Sealed(body, 0));
  fuzz::Require(!ParseLibraryCache(Sealed(body, 1)), "a cache with a wrong check sum reads as nothing");
  if (!index) return 0;
  const Bytes written = SerializeLibraryCache(*index);
  const auto again = ParseLibraryCache(written);
  fuzz::Require(again.has_value(), "an index read is written as a cache that reads");
  fuzz::Require(SerializeLibraryCache(*again) == written, "and reads back as the same index");
  return 0;
}
