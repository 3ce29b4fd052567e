#include "tfftool/json_form.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <iterator>
#include <optional>
#include <span>
#include <unordered_set>
#include <vector>

namespace brannoc::tfftool {
namespace {

// ---- Reading: a value of the input together with its place in the document.

std::string Describe(const Json& value) {
  switch (value.type()) {
    case Json::value_t::string: return "a text";
    case Json::value_t::object: return "an object";
    case Json::value_t::array: return "a list";
    default: return value.dump();  // null, true, 1.5, ...
  }
}

class In {
 public:
  In(const Json& value, std::string path) : value_(&value), path_(std::move(path)) {}

  const Json& value() const { return *value_; }

  [[noreturn]] void Fail(const std::string& message) const {
    throw JsonFormError(path_.empty() ? message : path_ + ": " + message);
  }

  std::int64_t Integer(std::int64_t min, std::int64_t max) const {
    if (!value_->is_number_integer()) Fail("expected a whole number, found " + Describe(*value_));
    // A number read from text that is not negative is held unsigned: both bounds
    // apply to it all the same (0 is below 1..40).
    bool fits = false;
    if (value_->is_number_unsigned()) {
      const auto number = value_->get<std::uint64_t>();
      fits = (min <= 0 || number >= static_cast<std::uint64_t>(min)) &&
             (max >= 0 && number <= static_cast<std::uint64_t>(max));
    } else {
      const auto number = value_->get<std::int64_t>();
      fits = number >= min && number <= max;
    }
    if (!fits) {
      Fail(value_->dump() + " is out of range " + std::to_string(min) + ".." + std::to_string(max));
    }
    return value_->get<std::int64_t>();
  }

  // Assigned as a fixed-width text is: a shorter text padded, a longer one cut.
  template <std::size_t N>
  FixedText<N> Text() const {
    if (!value_->is_string()) Fail("expected a text, found " + Describe(*value_));
    return FixedText<N>::FromUtf8(value_->get_ref<const std::string&>());
  }

  void Expect(std::string_view text) const {
    if (!value_->is_string() || value_->get_ref<const std::string&>() != text) {
      Fail("expected \"" + std::string(text) + "\", found " + value_->dump());
    }
  }

  // The elements of a list of min..max entries.
  std::vector<In> Elements(std::size_t min, std::size_t max) const {
    if (!value_->is_array()) Fail("expected a list, found " + Describe(*value_));
    const std::size_t size = value_->size();
    if (size < min || size > max) {
      Fail((min == max   ? "expected a list of " + std::to_string(min)
            : min == 0   ? "expected a list of at most " + std::to_string(max)
                         : "expected a list of " + std::to_string(min) + " to " + std::to_string(max)) +
           " entries, found " + std::to_string(size));
    }
    std::vector<In> elements;
    elements.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
      elements.emplace_back((*value_)[i], path_ + "[" + std::to_string(i) + "]");
    }
    return elements;
  }

  // The member `key` of this object, or nothing when it is absent.
  std::optional<In> Member(const std::string& key) const {
    const auto it = value_->find(key);
    if (it == value_->end()) return std::nullopt;
    return In(*it, path_.empty() ? key : path_ + "." + key);
  }

 private:
  const Json* value_;
  std::string path_;
};

// ---- Fields: one table per record; each entry converts one member both ways.

template <class R>
struct Field {
  const char* key;
  Json (*dump)(const R&);
  void (*build)(R&, const In&);
};

template <class R, class Fields>
Json DumpFields(const R& record, const Fields& fields) {
  Json out = Json::object();
  for (const auto& field : fields) out[field.key] = field.dump(record);
  return out;
}

template <class R, class Fields>
void BuildFields(R& record, const In& in, const Fields& fields) {
  if (!in.value().is_object()) in.Fail("expected an object, found " + Describe(in.value()));
  for (const auto& member : in.value().items()) {
    const auto known = std::any_of(std::begin(fields), std::end(fields),
                                   [&](const auto& field) { return member.key() == field.key; });
    if (!known) in.Member(member.key())->Fail("unknown field");
  }
  for (const auto& field : fields) {
    if (const auto member = in.Member(field.key)) field.build(record, *member);
  }
}

template <class Items, class Fields>
Json DumpList(const Items& items, const Fields& fields) {
  Json out = Json::array();
  for (const auto& item : items) out.push_back(DumpFields(item, fields));
  return out;
}

template <class E, std::size_t N, class Fields>
void BuildList(std::array<E, N>& items, const In& in, const Fields& fields) {
  const auto elements = in.Elements(N, N);
  for (std::size_t i = 0; i < N; ++i) BuildFields(items[i], elements[i], fields);
}

// The channels of a fixture: the first `count` at least (the fixture's channel
// count); those not listed stay as a new fixture has them.
template <class E, std::size_t N, class Fields>
void BuildChannelList(std::array<E, N>& items, std::size_t count, const In& in, const Fields& fields) {
  const auto elements = in.Elements(count, N);
  for (std::size_t i = 0; i < elements.size(); ++i) BuildFields(items[i], elements[i], fields);
}

template <class>
struct MemberTraits;
template <class R, class T>
struct MemberTraits<T R::*> {
  using Record = R;
  using Type = T;
};
template <auto M>
using RecordOf = typename MemberTraits<decltype(M)>::Record;
template <auto M>
using TypeOf = typename MemberTraits<decltype(M)>::Type;

template <auto M, std::int64_t Min = 0, std::int64_t Max = 255>
Field<RecordOf<M>> IntegerField(const char* key) {
  using R = RecordOf<M>;
  return {key, [](const R& r) { return Json(r.*M); },
          [](R& r, const In& in) { r.*M = static_cast<TypeOf<M>>(in.Integer(Min, Max)); }};
}

// A number the save recomputes: checked, not taken.
template <auto M>
Field<RecordOf<M>> DerivedIntegerField(const char* key) {
  using R = RecordOf<M>;
  return {key, [](const R& r) { return Json(r.*M); }, [](R&, const In& in) { in.Integer(0, 255); }};
}

template <auto M>
Field<RecordOf<M>> TextField(const char* key) {
  using R = RecordOf<M>;
  return {key, [](const R& r) { return Json((r.*M).Utf8()); },
          [](R& r, const In& in) { r.*M = in.Text<TypeOf<M>::kWidth>(); }};
}

void ReadBytes(std::span<std::uint8_t> bytes, const In& in) {
  const auto elements = in.Elements(bytes.size(), bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<std::uint8_t>(elements[i].Integer(0, 255));
  }
}

// A member of type std::array<std::uint8_t, N>.
template <auto M>
Field<RecordOf<M>> BytesField(const char* key) {
  using R = RecordOf<M>;
  return {key, [](const R& r) { return Json(r.*M); }, [](R& r, const In& in) { ReadBytes(r.*M, in); }};
}

// A list of bytes the save recomputes: checked, not taken.
template <auto M>
Field<RecordOf<M>> DerivedBytesField(const char* key) {
  using R = RecordOf<M>;
  return {key, [](const R& r) { return Json(r.*M); }, [](R&, const In& in) {
            TypeOf<M> scratch{};
            ReadBytes(scratch, in);
          }};
}

// ---- The fixture.

const Field<ChannelRecord> kChannelFields[] = {
    IntegerField<&ChannelRecord::NameCode>("name_code"),
    IntegerField<&ChannelRecord::Type>("type"),  // 0..6, or the byte of an unknown letter
    IntegerField<&ChannelRecord::Number>("number"),
    IntegerField<&ChannelRecord::Partner, 0, kMaxChannels>("partner"),
    BytesField<&ChannelRecord::Reserved>("reserved"),
    TextField<&ChannelRecord::Name>("name"),
    IntegerField<&ChannelRecord::Value>("value"),
};

const Field<ChannelStep> kStepFields[] = {
    IntegerField<&ChannelStep::FromDmx>("from"),
    IntegerField<&ChannelStep::ToDmx>("to"),
    TextField<&ChannelStep::StepName>("name"),
};

// The palettes palette by palette (the record keeps each field for all ten).
struct PresetForm {
  PaletteText Name;
  std::uint8_t ChannelCount = 0;
  std::array<std::uint8_t, kPaletteChannels> Values{};
};
struct PaletteForm {
  std::uint8_t Used = 0;
  PaletteText Name;
  std::array<std::uint8_t, kPaletteChannels> Member{};
  std::array<PresetForm, kPresetCount> Presets{};
};
using PaletteForms = std::array<PaletteForm, kPaletteCount>;

PaletteForms FormsOf(const PaletteData& data) {
  PaletteForms forms;
  for (std::size_t p = 0; p < kPaletteCount; ++p) {
    PaletteForm& form = forms[p];
    form.Used = data.PaletteUsed[p];
    form.Name = data.PaletteName[p];
    form.Member = data.PaletteMember[p];
    for (std::size_t k = 0; k < kPresetCount; ++k) {
      PresetForm& preset = form.Presets[k];
      preset.Name = data.PresetName[p][k];
      preset.ChannelCount = data.PresetChannelCount[p][k];
      for (std::size_t ch = 0; ch < kPaletteChannels; ++ch) preset.Values[ch] = data.PresetValue[p][ch][k];
    }
  }
  return forms;
}

void StoreForms(const PaletteForms& forms, PaletteData& data) {
  for (std::size_t p = 0; p < kPaletteCount; ++p) {
    const PaletteForm& form = forms[p];
    data.PaletteUsed[p] = form.Used;
    data.PaletteName[p] = form.Name;
    data.PaletteMember[p] = form.Member;
    for (std::size_t k = 0; k < kPresetCount; ++k) {
      const PresetForm& preset = form.Presets[k];
      data.PresetName[p][k] = preset.Name;
      data.PresetChannelCount[p][k] = preset.ChannelCount;
      for (std::size_t ch = 0; ch < kPaletteChannels; ++ch) data.PresetValue[p][ch][k] = preset.Values[ch];
    }
  }
}

const Field<PresetForm> kPresetFields[] = {
    TextField<&PresetForm::Name>("name"),
    DerivedIntegerField<&PresetForm::ChannelCount>("channel_count"),
    BytesField<&PresetForm::Values>("values"),
};

// Members are listed by channel number, 1..40.
Json DumpMembers(const PaletteForm& palette) {
  Json out = Json::array();
  for (std::size_t ch = 0; ch < kPaletteChannels; ++ch) {
    if (palette.Member[ch] == 1) out.push_back(ch + 1);
  }
  return out;
}

void BuildMembers(PaletteForm& palette, const In& in) {
  palette.Member.fill(0);
  for (const In& element : in.Elements(0, kPaletteChannels)) {
    const auto channel = static_cast<std::size_t>(element.Integer(1, kPaletteChannels));
    if (palette.Member[channel - 1] == 1) element.Fail("channel " + std::to_string(channel) + " is listed twice");
    palette.Member[channel - 1] = 1;
  }
}

const Field<PaletteForm> kPaletteFields[] = {
    DerivedIntegerField<&PaletteForm::Used>("used"),
    TextField<&PaletteForm::Name>("name"),
    {"members", DumpMembers, BuildMembers},
    {"presets", [](const PaletteForm& p) { return DumpList(p.Presets, kPresetFields); },
     [](PaletteForm& p, const In& in) { BuildList(p.Presets, in, kPresetFields); }},
};

// Channel c lists its first StepCounts[c] steps; the count is the list's length.
Json DumpSteps(const FixtureRecord& fixture) {
  Json out = Json::array();
  for (std::size_t c = 0; c < kMaxChannels; ++c) {
    out.push_back(DumpList(std::span(fixture.Steps[c]).first(fixture.StepCounts[c]), kStepFields));
  }
  return out;
}

void BuildSteps(FixtureRecord& fixture, const In& in) {
  // One list per channel, as for the channels themselves; the rest stay empty.
  const auto channels = in.Elements(fixture.ChannelCount, kMaxChannels);
  for (std::size_t c = 0; c < channels.size(); ++c) {
    const auto steps = channels[c].Elements(0, std::numeric_limits<std::uint8_t>::max());
    fixture.StepCounts[c] = static_cast<std::uint8_t>(steps.size());
    for (std::size_t s = 0; s < steps.size(); ++s) BuildFields(fixture.Steps[c][s], steps[s], kStepFields);
  }
}

const Field<FixtureRecord> kFixtureFields[] = {
    {"kind", [](const FixtureRecord&) { return Json("fixture"); },
     [](FixtureRecord&, const In& in) { in.Expect("fixture"); }},
    IntegerField<&FixtureRecord::HeaderReserved>("header_reserved"),
    TextField<&FixtureRecord::FixtureName>("name"),
    IntegerField<&FixtureRecord::ChannelCount, 1, kMaxChannels>("channel_count"),
    IntegerField<&FixtureRecord::MaxPanDegree, INT16_MIN, INT16_MAX>("max_pan_degree"),
    IntegerField<&FixtureRecord::MaxTiltDegree, INT16_MIN, INT16_MAX>("max_tilt_degree"),
    DerivedBytesField<&FixtureRecord::FunctionMap>("function_map"),
    {"channels", [](const FixtureRecord& f) { return DumpList(f.Channels, kChannelFields); },
     [](FixtureRecord& f, const In& in) { BuildChannelList(f.Channels, f.ChannelCount, in, kChannelFields); }},
    DerivedBytesField<&FixtureRecord::StepCounts>("step_counts"),  // compared with the lists below
    {"steps", DumpSteps, BuildSteps},
    {"palettes", [](const FixtureRecord& f) { return DumpList(FormsOf(f.Palettes), kPaletteFields); },
     [](FixtureRecord& f, const In& in) {
       PaletteForms forms = FormsOf(f.Palettes);
       BuildList(forms, in, kPaletteFields);
       StoreForms(forms, f.Palettes);
     }},
};

// ---- The LED fixture.

const Field<LedChannelRecord> kLedChannelFields[] = {
    IntegerField<&LedChannelRecord::NameIndex, 0, kLedNames.size()>("name_index"),
    IntegerField<&LedChannelRecord::Type, 0, kChannelTypeCount - 1>("type"),
    IntegerField<&LedChannelRecord::Reserved>("reserved"),
    IntegerField<&LedChannelRecord::Partner, 0, kLedMaxChannels>("partner"),
    IntegerField<&LedChannelRecord::FunctionLetter>("function_letter"),
    TextField<&LedChannelRecord::Name>("name"),
};

const Field<LedFixtureRecord> kLedFields[] = {
    {"kind", [](const LedFixtureRecord&) { return Json("led"); },
     [](LedFixtureRecord&, const In& in) { in.Expect("led"); }},
    IntegerField<&LedFixtureRecord::HeaderReserved>("header_reserved"),
    TextField<&LedFixtureRecord::FixtureName>("name"),
    IntegerField<&LedFixtureRecord::ChannelCount, 1, kLedMaxChannels>("channel_count"),
    DerivedBytesField<&LedFixtureRecord::LedFunctionMap>("function_map"),
    {"channels", [](const LedFixtureRecord& f) { return DumpList(f.Channels, kLedChannelFields); },
     [](LedFixtureRecord& f, const In& in) { BuildChannelList(f.Channels, f.ChannelCount, in, kLedChannelFields); }},
};

// ---- The channel name set.

const Field<ChannelNameEntry> kEntryFields[] = {
    IntegerField<&ChannelNameEntry::Slot>("slot"),
    IntegerField<&ChannelNameEntry::Code>("code"),
    TextField<&ChannelNameEntry::Name>("name"),
};

const Field<ChannelNameSet> kNameSetFields[] = {
    {"kind", [](const ChannelNameSet&) { return Json("names"); },
     [](ChannelNameSet&, const In& in) { in.Expect("names"); }},
    {"entries", [](const ChannelNameSet& s) { return DumpList(s.Entries, kEntryFields); },
     [](ChannelNameSet& s, const In& in) { BuildList(s.Entries, in, kEntryFields); }},
};

// ---- The text layout.

bool IsPlain(const Json& value) { return value.is_primitive(); }

bool IsFlat(const Json& value) {
  if (value.is_array()) return std::all_of(value.begin(), value.end(), IsPlain);
  return IsPlain(value);
}

bool FitsOneLine(const Json& value) {
  if (value.is_object()) return std::all_of(value.begin(), value.end(), IsFlat);
  return IsFlat(value);
}

void AppendOneLine(const Json& value, std::string& out) {
  if (value.is_primitive()) {
    out += value.dump();
    return;
  }
  const bool object = value.is_object();
  out += object ? '{' : '[';
  bool first = true;
  for (const auto& member : value.items()) {
    if (!first) out += ", ";
    first = false;
    if (object) out += Json(member.key()).dump() + ": ";
    AppendOneLine(member.value(), out);
  }
  out += object ? '}' : ']';
}

void AppendFormatted(const Json& value, std::size_t indent, std::string& out) {
  if (FitsOneLine(value)) {
    AppendOneLine(value, out);
    return;
  }
  const bool object = value.is_object();
  out += object ? "{\n" : "[\n";
  bool first = true;
  for (const auto& member : value.items()) {
    if (!first) out += ",\n";
    first = false;
    out.append(indent + 2, ' ');
    if (object) out += Json(member.key()).dump() + ": ";
    AppendFormatted(member.value(), indent + 2, out);
  }
  out += '\n';
  out.append(indent, ' ');
  out += object ? '}' : ']';
}

// "line L, column C" of the byte at `offset`; columns count characters, not bytes.
std::string Position(std::string_view text, std::size_t offset) {
  std::size_t line = 1;
  std::size_t column = 1;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '\n') {
      ++line;
      column = 1;
    } else if ((byte & 0xC0) != 0x80) {  // not the continuation of a UTF-8 character
      ++column;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// The library's message without its own prefix and position.
std::string Reason(std::string what) {
  if (what.rfind("[json.exception.", 0) == 0) {
    const auto close = what.find("] ");
    if (close != std::string::npos) what.erase(0, close + 2);
  }
  const auto column = what.find(", column ");
  const auto colon = column == std::string::npos ? std::string::npos : what.find(": ", column);
  if (colon != std::string::npos) what.erase(0, colon + 2);
  return what;
}

// No record nests deeper than five levels; a deeper document is refused before
// it can take the memory of the machine.
constexpr std::size_t kMaxJsonDepth = 64;

// Walks over the text and keeps, where all copies see it, how far the parser has
// read: the parser itself gives a position only with its errors.
class TrackedChar {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  TrackedChar(const char* at, const char** reached) : at_(at), reached_(reached) {}
  reference operator*() const { return *at_; }
  TrackedChar& operator++() {
    *reached_ = ++at_;
    return *this;
  }
  TrackedChar operator++(int) {
    TrackedChar before = *this;
    ++*this;
    return before;
  }
  bool operator==(const TrackedChar& other) const { return at_ == other.at_; }

 private:
  const char* at_;
  const char** reached_;
};

// Builds the document from the parser's events as the library would, except that
// a key given twice in one object, or nesting beyond kMaxJsonDepth, ends the
// parse with an error; every error keeps the offset of the byte it is about.
class DocumentBuilder {
 public:
  using number_integer_t = Json::number_integer_t;
  using number_unsigned_t = Json::number_unsigned_t;
  using number_float_t = Json::number_float_t;
  using string_t = Json::string_t;
  using binary_t = Json::binary_t;

  DocumentBuilder(std::string_view text, const char* const& reached) : text_(text), reached_(reached) {}

  Json& Document() { return document_; }
  const std::string& Error() const { return error_; }
  std::size_t ErrorOffset() const { return errorOffset_; }

  bool null() { return Add(Json(nullptr)); }
  bool boolean(bool value) { return Add(Json(value)); }
  bool number_integer(number_integer_t value) { return Add(Json(value)); }
  bool number_unsigned(number_unsigned_t value) { return Add(Json(value)); }
  bool number_float(number_float_t value, const string_t&) { return Add(Json(value)); }
  bool string(string_t& value) { return Add(Json(std::move(value))); }
  bool binary(binary_t& value) { return Add(Json(std::move(value))); }

  bool start_object(std::size_t) { return Open(Json::object()); }
  bool start_array(std::size_t) { return Open(Json::array()); }
  bool end_object() { return Close(); }
  bool end_array() { return Close(); }

  bool key(string_t& key) {
    OpenValue& object = open_.back();
    if (!object.keys.insert(key).second) {
      return Fail(KeyStart(), PathOfMember(key) + ": duplicate key; each key is given once in its object");
    }
    object.key = std::move(key);
    return true;
  }

  template <class Exception>
  bool parse_error(std::size_t position, const std::string& lastToken, const Exception& e) {
    constexpr int kNumberOverflow = 406;
    if (e.id == kNumberOverflow) {
      // The position is just past the number.
      const std::size_t start = position >= lastToken.size() ? position - lastToken.size() : 0;
      return Fail(start, "the number " + lastToken + " is too large");
    }
    // The position counts the bytes read, the offending one included.
    return Fail(position > 0 ? position - 1 : 0, Reason(e.what()));
  }

 private:
  struct OpenValue {
    Json* value;
    std::unordered_set<std::string> keys;  // an object's keys so far
    std::string key;                       // the key of the member being read
  };

  std::size_t Reached() const { return static_cast<std::size_t>(reached_ - text_.data()); }

  // The opening quote of the key just read (the parser has read up to its closing
  // quote): the first quote before it that no backslash escapes.
  std::size_t KeyStart() const {
    std::size_t at = Reached() >= 2 ? Reached() - 2 : 0;
    while (at > 0) {
      if (text_[at] == '"') {
        std::size_t slashes = 0;
        while (slashes < at && text_[at - 1 - slashes] == '\\') ++slashes;
        if (slashes % 2 == 0) break;
      }
      --at;
    }
    return at;
  }

  // "channels[3].partner" for the member `key` of the innermost open object.
  std::string PathOfMember(const std::string& key) const {
    std::string path;
    for (std::size_t i = 0; i + 1 < open_.size(); ++i) {
      const OpenValue& c = open_[i];
      if (c.value->is_array()) {
        path += "[" + std::to_string(c.value->size() - 1) + "]";
      } else {
        path += (path.empty() ? "" : ".") + c.key;
      }
    }
    return path + (path.empty() ? "" : ".") + key;
  }

  // Puts `value` where the document is at, and answers where it went.
  Json* Place(Json&& value) {
    if (open_.empty()) {
      document_ = std::move(value);
      return &document_;
    }
    OpenValue& parent = open_.back();
    if (parent.value->is_array()) {
      auto& list = parent.value->get_ref<Json::array_t&>();
      list.push_back(std::move(value));
      return &list.back();
    }
    // Keys are known to be new: append without the object's own linear search.
    auto& members = parent.value->get_ref<Json::object_t&>();
    members.Json::object_t::Container::emplace_back(parent.key, std::move(value));
    return &members.back().second;
  }

  bool Add(Json&& value) {
    Place(std::move(value));
    return true;
  }

  bool Open(Json&& empty) {
    if (open_.size() >= kMaxJsonDepth) {
      return Fail(Reached() > 0 ? Reached() - 1 : 0,
                  "lists and objects nest deeper than " + std::to_string(kMaxJsonDepth) + " levels");
    }
    open_.push_back({Place(std::move(empty)), {}, {}});
    return true;
  }

  bool Close() {
    open_.pop_back();
    return true;
  }

  bool Fail(std::size_t offset, std::string message) {
    errorOffset_ = offset;
    error_ = std::move(message);
    return false;
  }

  std::string_view text_;
  const char* const& reached_;
  Json document_;
  std::vector<OpenValue> open_;
  std::string error_;
  std::size_t errorOffset_ = 0;
};

}  // namespace

std::unique_ptr<FixtureRecord> NewFixture() {
  auto fixture = std::make_unique<FixtureRecord>();
  ResetFixture(*fixture, 8);
  fixture->FixtureName = FixedText<11>::FromUtf8("New Fixture");
  return fixture;
}

LedFixtureRecord NewLedFixture() {
  LedFixtureRecord fixture;
  fixture.ChannelCount = 8;
  fixture.FixtureName = FixedText<11>::FromUtf8("New Fixture");
  return fixture;
}

Json FixtureToJson(const FixtureRecord& fixture) { return DumpFields(fixture, kFixtureFields); }
Json LedFixtureToJson(const LedFixtureRecord& fixture) { return DumpFields(fixture, kLedFields); }
Json NameSetToJson(const ChannelNameSet& set) { return DumpFields(set, kNameSetFields); }

std::unique_ptr<FixtureRecord> FixtureFromJson(const Json& json) {
  auto fixture = NewFixture();
  const In in(json, "");
  BuildFields(*fixture, in, kFixtureFields);
  if (const auto counts = in.Member("step_counts")) {
    const auto given = counts->Elements(kMaxChannels, kMaxChannels);
    for (std::size_t c = 0; c < kMaxChannels; ++c) {
      const auto count = given[c].Integer(0, 255);
      if (count != fixture->StepCounts[c]) {
        given[c].Fail(std::to_string(count) + " disagrees with the " + std::to_string(fixture->StepCounts[c]) +
                      " steps listed in steps[" + std::to_string(c) + "]");
      }
    }
  }
  return fixture;
}

LedFixtureRecord LedFixtureFromJson(const Json& json) {
  LedFixtureRecord fixture = NewLedFixture();
  BuildFields(fixture, In(json, ""), kLedFields);
  return fixture;
}

ChannelNameSet NameSetFromJson(const Json& json) {
  ChannelNameSet set;
  RestoreDefaultNames(set);
  BuildFields(set, In(json, ""), kNameSetFields);
  return set;
}

std::string FormatJson(const Json& json) {
  std::string out;
  AppendFormatted(json, 0, out);
  return out;
}

JsonParse ParseJsonText(std::string_view text) {
  JsonParse result;
  const char* reached = text.data();
  DocumentBuilder builder(text, reached);
  const bool parsed = Json::sax_parse(TrackedChar(text.data(), &reached),
                                      TrackedChar(text.data() + text.size(), &reached), &builder);
  // The parser takes a NUL byte outside a text for the end of the input: what
  // follows it would go unread. No JSON text holds one.
  const std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos && (parsed || builder.ErrorOffset() >= nul)) {
    result.error = Position(text, nul) + ": unexpected NUL byte; a JSON text holds none";
    return result;
  }
  if (!parsed) {
    result.error = Position(text, builder.ErrorOffset()) + ": " + builder.Error();
    return result;
  }
  result.value = std::move(builder.Document());
  return result;
}

}  // namespace brannoc::tfftool
