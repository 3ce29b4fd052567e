// The channel name chooser of the fixture editor and the adding of a typed name
// that the vocabulary lacks.

#include <algorithm>

#include "windows/fixture_editor/editor_window.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"

namespace brannoc {
namespace {

QString Upper12(const QString& text) {
  return QString::fromStdString(FixedText<12>::FromUtf8(text.toStdString()).Utf8()).toUpper();
}

}  // namespace

int Pelorin::FindNameEntry(const QString& text) const {
  const QString wanted = Upper12(text);
  for (int i = 0; i < Combo10->ListCount(); ++i) {
    if (Upper12(Combo10->List(i)) == wanted) return i;
  }
  return -1;
}

void Pelorin::FillNameChooser() {
  Combo10->Clear();
  for (const UsableName& entry : UsableNames(app_.Names.Set())) {
    Combo10->AddItem(QString::fromStdString(entry.Name.Utf8()), entry.Code);
  }
}

void Pelorin::NameSetChanged(const ChannelNameSet& before, const std::vector<int>& changed) {
  const ChannelNameSet& now = app_.Names.Set();
  auto offered = [](const ChannelNameSet& set, int s) {
    const ChannelNameEntry& entry = set.Entries[static_cast<std::size_t>(s)];
    return entry.Name.Bytes()[0] != 0 && !entry.Name.IsBlank();
  };
  const bool onlyAdded = std::all_of(changed.begin(), changed.end(),
                                     [&](int s) { return !offered(before, s) && offered(now, s); });
  if (onlyAdded) {
    for (int s : changed) {
      const ChannelNameEntry& entry = now.Entries[static_cast<std::size_t>(s)];
      Combo10->AddItem(QString::fromStdString(entry.Name.Utf8()), entry.Code);
    }
  } else {
    // Filled afresh; what is typed or shown in it stays.
    const QString text = Combo10->Text();
    FillNameChooser();
    Combo10->SetText(text);
  }
  // A name added or renamed may mend or make a problem of the Check list.
  ShowProblems();
}

Pelorin::NameCheck Pelorin::CheckChannelName() {
  if (!NameTyped) return NameCheck::NothingTyped;
  NameTyped = false;
  QString name = TypedName;
  TypedName.clear();
  // A name typed into a channel that no longer exists has nowhere to go.
  if (TypedRow < 1 || TypedRow > Fixture().ChannelCount) return NameCheck::NothingTyped;
  if (name.size() >= 12) {
    name = name.left(12);
    while (name.endsWith(QLatin1Char(' '))) name.chop(1);
  }
  // Blanks alone are no name: adding them would fill a slot with a free entry.
  if (name.trimmed().isEmpty()) return NameCheck::NothingTyped;

  // A name the chooser has needs no room: look for it before warning of a full list.
  if (FindNameEntry(name) >= 0) return NameCheck::Known;
  if (Combo10->ListCount() >= static_cast<int>(kNameSlots)) {
    app_.Dialogs->Ask(this, QStringLiteral("Over Channel Name Index!"), QString(), ui::Buttons::YesNoCancel,
                      ui::Icon::None);
    return NameCheck::NotAdded;
  }
  if (!app_.Names.FreeSlot()) return NameCheck::NotAdded;

  const ui::Answer answer =
      app_.Dialogs->Ask(this, QStringLiteral("Channel Name does not exist,Do you wish to add it?"),
                        QStringLiteral("Add Channel Name"), ui::Buttons::YesNo, ui::Icon::None);
  ChannelRecord* channel =
      TypedRow <= kMaxChannels ? &Fixture().Channels[static_cast<std::size_t>(TypedRow - 1)] : nullptr;
  if (answer != ui::Answer::Yes) {
    MSFlexGrid1->SetTextMatrix(TypedRow, TypedCol, QString());
    Combo10->SetText(QString());
    if (channel) {
      channel->Name = FixedText<12>::Blank();
      channel->NameCode = 0;
    }
    ShowNameInChannelList(TypedRow);
    return NameCheck::Refused;
  }

  // The set tells this window, which adds the name to the chooser.
  const NameSetOwner::Added added = app_.Names.Add({name.toStdString()});
  const std::optional<int> slot = added.taken.front();
  if (!slot) return NameCheck::NotAdded;
  const ChannelNameEntry& entry = app_.Names.Set().Entries[static_cast<std::size_t>(*slot)];
  if (channel) {
    channel->Name = entry.Name;
    channel->NameCode = entry.Code;
  }
  ShowNameInChannelList(TypedRow);
  if (added.error) {
    app_.Dialogs->Ask(this,
                      name + QStringLiteral(" could not be added to ") + QString::fromStdString(app_.Names.File().string()) +
                          QStringLiteral("; it is kept until the program ends.") + QString(QChar(13)) +
                          QString::fromStdString(added.error->message),
                      QStringLiteral("Add Channel Name"), ui::Buttons::Ok, ui::Icon::Warning);
  }
  return NameCheck::Added;
}

}  // namespace brannoc
