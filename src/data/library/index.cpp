#include "data/library/index.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <pugixml.hpp>
#include <sys/stat.h>

#include <system_error>
#include <tuple>

#include "data/import/archive.h"
#include "data/import/definition.h"
#include "data/import/gdtf.h"
#include "data/import/text.h"

namespace brannoc {
namespace fs = std::filesystem;
namespace {

// QLC+'s largest definition is about 70 KB; anything far beyond is no definition.
constexpr std::size_t kMaxQxfListBytes = 4 * 1024 * 1024;
// Deeper than any real library; a guard against a tree that never ends.
constexpr int kMaxDepth = 32;

bool IsWhitespace(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// Whitespace runs become one blank; none at either end.
std::string Collapse(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  bool pending = false;
  for (char ch : text) {
    if (IsWhitespace(static_cast<unsigned char>(ch))) {
      pending = !out.empty();
      continue;
    }
    if (pending) out += ' ';
    pending = false;
    out += ch;
  }
  return out;
}

bool IsNamed(pugi::xml_node node, const char* name) {
  // A prefixed name ("qlc:Mode") counts as the plain one.
  const char* full = node.name();
  const char* colon = std::strrchr(full, ':');
  return std::strcmp(colon ? colon + 1 : full, name) == 0;
}

// A file's size and last write time, in one look at it (the library looks at
// every file on every start).
struct Stamp {
  std::uintmax_t Size = 0;
  std::int64_t Time = 0;     // last write, nanoseconds since 1970
  std::int64_t Changed = 0;  // last change of the file or of its permissions, owner or name
};
std::int64_t Nanoseconds(const struct timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}
std::optional<Stamp> StampOf(const fs::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return Stamp{static_cast<std::uintmax_t>(st.st_size), Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim)};
}

std::string MegaBytes(std::uintmax_t size) {
  return std::to_string((size + 1024 * 1024 - 1) / (1024 * 1024)) + " MB";
}

}  // namespace

ListedDefinition ListQxfDefinition(std::span<const std::uint8_t> bytes) {
  ListedDefinition listed;
  pugi::xml_document doc;
  const pugi::xml_parse_result parsed =
      doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_auto);
  if (!parsed) {
    listed.Error = "not readable as XML: " + std::string(parsed.description()) + " at byte " +
                   std::to_string(parsed.offset);
    return listed;
  }
  const pugi::xml_node root = doc.document_element();
  if (!IsNamed(root, "FixtureDefinition")) {
    listed.Error = "not a QLC+ fixture definition: its outermost element is <" + std::string(root.name()) + ">";
    return listed;
  }
  std::vector<std::string> defined;
  for (pugi::xml_node child : root.children()) {
    if (IsNamed(child, "Manufacturer")) listed.Maker = Collapse(child.child_value());
    else if (IsNamed(child, "Model")) listed.Model = Collapse(child.child_value());
    else if (IsNamed(child, "Channel")) defined.push_back(Collapse(child.attribute("Name").value()));
  }
  std::sort(defined.begin(), defined.end());
  for (pugi::xml_node node : root.children()) {
    if (!IsNamed(node, "Mode")) continue;
    LibraryMode mode;
    mode.Name = Collapse(node.attribute("Name").value());
    std::string missing;
    for (pugi::xml_node channel : node.children()) {
      if (!IsNamed(channel, "Channel")) continue;
      ++mode.ChannelCount;
      const std::string name = Collapse(channel.child_value());
      if (missing.empty() && !std::binary_search(defined.begin(), defined.end(), name)) missing = name;
    }
    if (mode.ChannelCount == 0) mode.Why = "no channels";
    else if (mode.ChannelCount > kMaxChannels) {
      mode.Why = std::to_string(mode.ChannelCount) + " channels; a fixture holds 40 at most";
    } else if (!missing.empty()) {
      mode.Why = "the channel \"" + missing + "\" is not defined in the file";
    }
    mode.Fits = mode.Why.empty();
    listed.Modes.push_back(std::move(mode));
  }
  if (listed.Model.empty()) listed.Error = "the fixture definition names no model";
  return listed;
}

ListedDefinition ListGdtfDefinition(std::span<const std::uint8_t> bytes) {
  ListedDefinition listed;
  const GdtfText text = GdtfDescriptionText(bytes);
  if (!text.Error.empty()) {
    listed.Error = text.Error;
    return listed;
  }
  const std::span<const std::uint8_t> xml(reinterpret_cast<const std::uint8_t*>(text.Xml.data()), text.Xml.size());
  const GdtfModeList list = ListGdtfModes(xml);
  if (!list.Error.empty()) {
    listed.Error = list.Error;
    return listed;
  }
  // The maker is an attribute of the fixture type; the reader lists the rest.
  pugi::xml_document doc;
  if (doc.load_buffer(text.Xml.data(), text.Xml.size())) {
    listed.Maker = Collapse(doc.document_element().child("FixtureType").attribute("Manufacturer").value());
  }
  listed.Model = Collapse(list.Model);
  for (const GdtfMode& mode : list.Modes) {
    listed.Modes.push_back({Collapse(mode.Name), mode.ChannelCount, mode.Fits, mode.Why});
  }
  return listed;
}

std::vector<DefinitionKind> DefinitionKinds() {
  return {{".qxf", "", kMaxQxfListBytes, &ListQxfDefinition},
          {".gdtf", "", kMaxGdtfFileBytes, &ListGdtfDefinition},
          {".xml", "description.xml", kMaxGdtfFileBytes, &ListGdtfDefinition}};
}

std::vector<fs::path> DefaultLibraryFolders(const std::string& home, const fs::path& systemFolder) {
  std::vector<fs::path> folders;
  std::error_code ec;
  if (fs::is_directory(systemFolder, ec)) folders.push_back(systemFolder);
  if (!home.empty()) {
    const fs::path user = fs::path(home) / ".qlcplus" / "fixtures";
    if (fs::is_directory(user, ec)) folders.push_back(user);
  }
  return folders;
}

std::optional<fs::path> LibraryCachePath(const std::string& xdgCacheHome, const std::string& home) {
  // A relative XDG folder is to be ignored, as the base directory rules say.
  if (!xdgCacheHome.empty() && fs::path(xdgCacheHome).is_absolute()) {
    return fs::path(xdgCacheHome) / "brannoc512" / "library.cache";
  }
  if (!home.empty()) return fs::path(home) / ".cache" / "brannoc512" / "library.cache";
  return std::nullopt;
}

std::optional<fs::path> LibraryCachePathFromEnvironment() {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  const char* home = std::getenv("HOME");
  return LibraryCachePath(xdg ? xdg : "", home ? home : "");
}

// ---------------------------------------------------------------------------
// The cache file

namespace {

constexpr char kCacheSignature[8] = {'B', '5', '1', '2', 'L', 'I', 'B', '\n'};
// Raised whenever what an entry holds, or how a definition is listed, changes.
// 2: .gdtf files listed; 3: description.xml, times in ns, the folders walked.
constexpr std::uint32_t kCacheVersion = 3;
constexpr std::uint32_t kMaxCacheText = 1 << 20;

std::uint64_t CheckSum(std::span<const std::uint8_t> bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;  // FNV-1a
  for (std::uint8_t b : bytes) hash = (hash ^ b) * 0x100000001b3ULL;
  return hash;
}

class Writer {
 public:
  void U8(std::uint8_t v) { bytes.push_back(v); }
  void U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void U64(std::uint64_t v) {
    for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void Text(const std::string& text) {
    U32(static_cast<std::uint32_t>(text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
  }
  Bytes bytes;
};

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  bool ok() const { return ok_; }
  std::uint64_t Number(int width) {
    if (!ok_ || bytes_.size() - at_ < static_cast<std::size_t>(width)) {
      ok_ = false;
      return 0;
    }
    std::uint64_t v = 0;
    for (int i = 0; i < width; ++i) v |= static_cast<std::uint64_t>(bytes_[at_ + static_cast<std::size_t>(i)]) << (8 * i);
    at_ += static_cast<std::size_t>(width);
    return v;
  }
  std::string Text() {
    const std::uint64_t size = Number(4);
    if (!ok_ || size > kMaxCacheText || bytes_.size() - at_ < size) {
      ok_ = false;
      return {};
    }
    std::string text(reinterpret_cast<const char*>(bytes_.data() + at_), static_cast<std::size_t>(size));
    at_ += static_cast<std::size_t>(size);
    return text;
  }
  bool AtEnd() const { return at_ == bytes_.size(); }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

}  // namespace

Bytes SerializeLibraryCache(const LibraryIndex& index) {
  Writer w;
  w.bytes.assign(std::begin(kCacheSignature), std::end(kCacheSignature));
  w.U32(kCacheVersion);
  w.U32(static_cast<std::uint32_t>(index.Entries.size()));
  for (const LibraryEntry& e : index.Entries) {
    w.Text(e.Path.string());
    w.U64(e.Size);
    w.U64(static_cast<std::uint64_t>(e.Time));
    w.Text(e.Maker);
    w.Text(e.Model);
    w.Text(e.Damaged);
    w.U32(static_cast<std::uint32_t>(e.Modes.size()));
    for (const LibraryMode& m : e.Modes) {
      w.Text(m.Name);
      w.U32(static_cast<std::uint32_t>(m.ChannelCount));
      w.U8(m.Fits ? 1 : 0);
      w.Text(m.Why);
    }
  }
  w.U32(static_cast<std::uint32_t>(index.Folders.size()));
  for (const LibraryFolder& f : index.Folders) {
    w.Text(f.Path);
    w.U64(static_cast<std::uint64_t>(f.Time));
    for (const auto* names : {&f.Files, &f.Subfolders, &f.LinkedFolders}) {
      w.U32(static_cast<std::uint32_t>(names->size()));
      for (const std::string& name : *names) w.Text(name);
    }
  }
  w.U64(CheckSum(w.bytes));
  return std::move(w.bytes);
}

std::optional<LibraryIndex> ParseLibraryCache(std::span<const std::uint8_t> bytes) {
  constexpr std::size_t kHead = sizeof kCacheSignature + 4;
  if (bytes.size() < kHead + 8 || !std::equal(std::begin(kCacheSignature), std::end(kCacheSignature), bytes.begin())) {
    return std::nullopt;
  }
  const auto body = bytes.first(bytes.size() - 8);
  Reader tail(bytes.last(8));
  if (tail.Number(8) != CheckSum(body)) return std::nullopt;
  Reader r(body.subspan(sizeof kCacheSignature));
  if (r.Number(4) != kCacheVersion) return std::nullopt;
  LibraryIndex index;
  const std::uint64_t count = r.Number(4);
  for (std::uint64_t i = 0; i < count && r.ok(); ++i) {
    LibraryEntry e;
    e.Path = r.Text();
    e.Size = r.Number(8);
    e.Time = static_cast<std::int64_t>(r.Number(8));
    e.Maker = r.Text();
    e.Model = r.Text();
    e.Damaged = r.Text();
    const std::uint64_t modes = r.Number(4);
    for (std::uint64_t m = 0; m < modes && r.ok(); ++m) {
      LibraryMode mode;
      mode.Name = r.Text();
      mode.ChannelCount = static_cast<int>(r.Number(4) & 0x7fffffff);
      mode.Fits = r.Number(1) != 0;
      mode.Why = r.Text();
      e.Modes.push_back(std::move(mode));
    }
    index.Entries.push_back(std::move(e));
  }
  const std::uint64_t folders = r.Number(4);
  for (std::uint64_t i = 0; i < folders && r.ok(); ++i) {
    LibraryFolder f;
    f.Path = r.Text();
    f.Time = static_cast<std::int64_t>(r.Number(8));
    for (auto* names : {&f.Files, &f.Subfolders, &f.LinkedFolders}) {
      const std::uint64_t held = r.Number(4);
      for (std::uint64_t n = 0; n < held && r.ok(); ++n) names->push_back(r.Text());
    }
    index.Folders.push_back(std::move(f));
  }
  if (!r.ok() || !r.AtEnd()) return std::nullopt;
  return index;
}

LibraryIndex LoadLibraryCache(const fs::path& path) {
  // The cache of the largest libraries stays far below this.
  const ReadResult file = ReadFilePrefix(path, 256 * 1024 * 1024);
  if (file.error || file.bytes.size() != file.fileSize) return {};
  auto index = ParseLibraryCache(file.bytes);
  return index ? std::move(*index) : LibraryIndex{};
}

std::optional<IoError> SaveLibraryCache(const LibraryIndex& index, const fs::path& path) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  if (ec) return IoError{"cannot create the folder " + path.parent_path().string() + ": " + ec.message()};
  return ReplaceFile(path, SerializeLibraryCache(index));
}

// ---------------------------------------------------------------------------
// Listing the files

LibraryEntry ListLibraryFile(const fs::path& path, const DefinitionKind& kind) {
  LibraryEntry entry;
  entry.Path = path;
  if (const auto stamp = StampOf(path)) entry.Time = stamp->Time;
  const ReadResult file = ReadFilePrefix(path, kind.MaxBytes + 1);
  entry.Size = file.fileSize;
  if (file.error) {
    entry.Damaged = file.error->message;
  } else if (file.fileSize > kind.MaxBytes) {
    entry.Damaged = "the file is " + MegaBytes(file.fileSize) + "; a definition of more than " +
                    MegaBytes(kind.MaxBytes) + " is not read";
  } else {
    ListedDefinition listed = kind.List(file.bytes);
    entry.Maker = std::move(listed.Maker);
    entry.Model = std::move(listed.Model);
    entry.Modes = std::move(listed.Modes);
    entry.Damaged = std::move(listed.Error);
  }
  // Unnamed, it goes by its file's name; an unpacked archive's description by its folder's.
  if (entry.Model.empty()) entry.Model = (kind.FileName.empty() ? path.stem() : path.parent_path().filename()).string();
  return entry;
}

LibraryScanner::LibraryScanner(std::vector<fs::path> folders, const LibraryIndex& cached,
                               std::vector<DefinitionKind> kinds, std::chrono::nanoseconds settled)
    : folders_(std::move(folders)), kinds_(std::move(kinds)), settled_(settled.count()) {
  for (const LibraryEntry& entry : cached.Entries) cached_.emplace(entry.Path.string(), &entry);
  for (const LibraryFolder& folder : cached.Folders) cachedFolders_.emplace(folder.Path, &folder);
}

void LibraryScanner::StartWalk() {
  walkStart_ = std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::system_clock::now().time_since_epoch())
                   .count();
  // Taken from the back: the first folder first.
  for (auto folder = folders_.rbegin(); folder != folders_.rend(); ++folder) {
    std::error_code ec;
    const fs::path real = fs::canonical(*folder, ec);
    if (ec) index_.Problems.push_back(folder->string() + ": " + ec.message());
    else pending_.push_back({*folder, real, 0});
  }
  started_ = true;
}

void LibraryScanner::EndWalk() {
  // The same file reached twice (a folder given twice, a link to a file) is listed once.
  std::sort(files_.begin(), files_.end());
  files_.erase(std::unique(files_.begin(), files_.end()), files_.end());
  walked_ = true;
}

std::optional<std::size_t> LibraryScanner::KindOf(const std::string& fileName) const {
  const std::string name = import_text::LowerAscii(fileName);
  for (std::size_t k = 0; k < kinds_.size(); ++k) {
    const DefinitionKind& kind = kinds_[k];
    const bool matches = kind.FileName.empty() ? name.ends_with(kind.Extension) && name.size() > kind.Extension.size()
                                               : name == kind.FileName;
    if (matches) return k;
  }
  return std::nullopt;
}

void LibraryScanner::TakeFolder(const PendingFolder& pending, const LibraryFolder& held) {
  const auto& [folder, real, depth] = pending;
  for (const std::string& name : held.Files) {
    if (const auto kind = KindOf(name)) files_.emplace_back(folder / name, *kind);
  }
  // Each subfolder with its real path: only a link needs resolving, a folder
  // inside a real folder is that folder's path and its own name.
  std::vector<PendingFolder> subfolders;
  for (const std::string& name : held.Subfolders) subfolders.push_back({folder / name, real / name, depth + 1});
  for (const std::string& name : held.LinkedFolders) {
    std::error_code ec;
    const fs::path target = fs::canonical(folder / name, ec);
    if (ec) index_.Problems.push_back((folder / name).string() + ": " + ec.message());
    else subfolders.push_back({folder / name, target, depth + 1});
  }
  pending_.insert(pending_.end(), std::make_move_iterator(subfolders.rbegin()),
                  std::make_move_iterator(subfolders.rend()));
}

void LibraryScanner::WalkFolder(const PendingFolder& pending) {
  const auto& [folder, real, depth] = pending;
  // A link back up the tree, or two links to one folder: each folder is walked once.
  if (!seenFolders_.insert(real.string()).second) {
    if (depth > 0) index_.Problems.push_back(folder.string() + ": a link to a folder already searched, not followed");
    return;
  }
  if (depth > kMaxDepth) {
    index_.Problems.push_back(folder.string() + ": folders nested too deep, not searched");
    return;
  }
  const auto stamp = StampOf(folder);
  if (const auto hit = cachedFolders_.find(folder.string());
      stamp && hit != cachedFolders_.end() && hit->second->Time == stamp->Changed) {
    TakeFolder(pending, *hit->second);
    index_.Folders.push_back(*hit->second);
    return;
  }
  ++foldersRead_;
  std::error_code ec;
  fs::directory_iterator it(folder, ec);  // a folder that cannot be read is a problem, said
  if (ec) {
    index_.Problems.push_back(folder.string() + ": " + ec.message());
    return;
  }
  LibraryFolder held;
  held.Path = folder.string();
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    const fs::directory_entry& item = *it;
    std::string name = item.path().filename().string();
    std::error_code typeError;
    if (item.is_directory(typeError)) {
      (item.is_symlink(typeError) ? held.LinkedFolders : held.Subfolders).push_back(std::move(name));
    } else if (KindOf(name)) {
      held.Files.push_back(std::move(name));
    }
  }
  TakeFolder(pending, held);
  if (ec) {
    index_.Problems.push_back(folder.string() + ": " + ec.message());
    return;
  }
  // Kept for the next walk unless it changed just now.
  if (stamp && walkStart_ - stamp->Changed >= settled_) {
    held.Time = stamp->Changed;
    index_.Folders.push_back(std::move(held));
  }
}

bool LibraryScanner::Walk(std::size_t& budget) {
  if (!started_) StartWalk();
  for (; budget > 0 && !pending_.empty(); --budget) {
    const PendingFolder next = std::move(pending_.back());
    pending_.pop_back();
    WalkFolder(next);
  }
  if (!walked_ && pending_.empty()) EndWalk();
  return walked_;
}

bool LibraryScanner::Step(std::size_t maxFiles) {
  // The folders first, one counted as a file, then the files found in them.
  std::size_t budget = maxFiles;
  if (!Walk(budget)) return true;
  for (; budget > 0 && done_ < files_.size(); --budget, ++done_) {
    const auto& [path, kind] = files_[done_];
    const auto stamp = StampOf(path);
    // A file gone since the walk is simply no longer in the library.
    std::error_code ec;
    if (!stamp && !fs::exists(fs::symlink_status(path, ec))) continue;
    const auto hit = cached_.find(path.string());
    if (stamp && hit != cached_.end() && hit->second->Size == stamp->Size && hit->second->Time == stamp->Time) {
      index_.Entries.push_back(*hit->second);
      continue;
    }
    index_.Entries.push_back(ListLibraryFile(path, kinds_[kind]));
    ++read_;
  }
  return done_ < files_.size();
}

std::vector<fs::path> LibraryScanner::Files() {
  std::size_t unbounded = std::numeric_limits<std::size_t>::max();
  Walk(unbounded);
  std::vector<fs::path> paths;
  for (const auto& file : files_) paths.push_back(file.first);
  return paths;
}

LibraryIndex LibraryScanner::Finish() {
  while (Step(std::numeric_limits<std::size_t>::max())) {
  }
  std::sort(index_.Entries.begin(), index_.Entries.end(), [](const LibraryEntry& a, const LibraryEntry& b) {
    return std::tie(a.Maker, a.Model, a.Path) < std::tie(b.Maker, b.Model, b.Path);
  });
  return std::move(index_);
}

LibraryIndex BuildLibraryIndex(const std::vector<fs::path>& folders, const LibraryIndex& cached, std::size_t* filesRead,
                               std::size_t* foldersRead) {
  LibraryScanner scanner(folders, cached);
  LibraryIndex index = scanner.Finish();
  if (filesRead) *filesRead = scanner.FilesRead();
  if (foldersRead) *foldersRead = scanner.FoldersRead();
  return index;
}

}  // namespace brannoc
