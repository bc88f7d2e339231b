#include "editing/project_info.h"

#include "shell/datetime.h"
#include "shell/messages.h"

#include <string>

namespace vandro {

namespace {

struct TRowSpec {
  TInfoRow row;
  const char* title;
  std::string TProjectInfo::*text; // nullptr for a date
  double TProjectInfo::*date;
  size_t capacity;
};

constexpr TRowSpec kRows[] = {
    {irName, "Project Name", &TProjectInfo::Name, nullptr, kProjectNameCapacity},
    {irVersion, "Version", &TProjectInfo::Version, nullptr, kProjectNameCapacity},
    {irDescription, "Project Description", &TProjectInfo::Description, nullptr,
     kProjectDescriptionCapacity},
    {irAuthor, "Author Name", &TProjectInfo::Author, nullptr, kProjectNameCapacity},
    {irOrganization, "Organization", &TProjectInfo::Organization, nullptr, kProjectNameCapacity},
    {irStartDate, "Start Date", nullptr, &TProjectInfo::StartDate, 0},
    {irLastOpened, "Last Opened", nullptr, &TProjectInfo::LastOpened, 0},
    {irComments, "Comments", &TProjectInfo::Comments, nullptr, kCommentsCapacity},
};

bool Shown(const TRowSpec& spec, TInfoUse use) {
  return use != TInfoUse::Creating || spec.text;
}

} // namespace

std::vector<TInfoRowText> ProjectInfoRows(const TProjectInfo& info, TInfoUse use) {
  std::vector<TInfoRowText> rows;
  for (const TRowSpec& spec : kRows) {
    if (!Shown(spec, use)) continue;
    TInfoRowText row;
    row.Row = spec.row;
    row.Title = spec.title;
    row.Editable = use != TInfoUse::Showing && spec.text;
    row.Capacity = spec.capacity;
    if (spec.text)
      row.Text = info.*spec.text;
    else if (info.*spec.date == 0)
      row.Text = "n/a";
    else
      row.Text = DateTimeToText(info.*spec.date);
    rows.push_back(std::move(row));
  }
  return rows;
}

TProjectInfo ProjectInfoFromRows(TProjectInfo info, TInfoUse use,
                                 const std::vector<std::string>& texts) {
  std::vector<const TRowSpec*> shown;
  for (const TRowSpec& spec : kRows)
    if (Shown(spec, use)) shown.push_back(&spec);
  if (texts.size() != shown.size())
    RaiseSystemError("Project information has " + std::to_string(texts.size()) + " rows");
  for (size_t i = 0; i < shown.size(); ++i)
    if (use != TInfoUse::Showing && shown[i]->text)
      info.*shown[i]->text = texts[i].substr(0, shown[i]->capacity);
  return info;
}

} // namespace vandro
