#include "model/filter.h"

#include "shell/diagnostics.h"
#include "shell/messages.h"
#include "shell/text.h"

#include <algorithm>

namespace vandro {

namespace {

constexpr const char* kConnectives[] = {"AND ", "OR ", ""};
constexpr const char* kOperators[] = {">", "<", "=", "<>", ">=", "<="};

} // namespace

TFilterItem::TFilterItem() {
  NoteCreation("TFilterItem", "TFilterItem.Create");
}

TFilter::TFilter() {
  NoteCreation("TFilter", "TFilter.Create");
}

TFilterItem& TFilter::Item(int index) const {
  if (index < 0 || index >= Count()) RaiseError("Index out of range: " + std::to_string(index));
  return *Items[static_cast<size_t>(index)];
}

void TFilter::SetItem(int index, std::unique_ptr<TFilterItem> item) {
  if (index < 0 || index > Count()) RaiseError("Index out of range: " + std::to_string(index));
  if (index == Count())
    Items.push_back(std::move(item));
  else
    Items[static_cast<size_t>(index)] = std::move(item);
}

std::string FilterValueText(const TValue& value) {
  const std::string& text = value.Text();
  if (text.empty() || value.IsNumeric() || value.IsBoolean()) return text;
  std::string quoted = "'";
  for (const char c : text) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted + "'";
}

const std::string& TFilter::BuildText() {
  Text.clear();
  std::string text;
  for (size_t i = 0; i < Items.size(); ++i) {
    const TFilterItem& item = *Items[i];
    if (!item.Parameter) RaiseError("Parameter name not defined");
    if (item.Operator > foLessEqual) RaiseError("Invalid comparison operation");
    if (i > 0) {
      // Codes past the known ones join like "nothing", the default.
      text += " ";
      text += kConnectives[std::min<int>(item.Connective, fcNone)];
    }
    if (item.Negated) text += " NOT ";
    text += UpperCase(item.Parameter->ParamName);
    text += " ";
    text += kOperators[item.Operator];
    text += " ";
    text += FilterValueText(item.Value);
  }
  Text = std::move(text);
  return Text;
}

} // namespace vandro
