#include "storage/descriptors.h"

#include "shell/messages.h"
#include "shell/names.h"
#include "shell/text.h"
#include "storage/session.h"

#include <algorithm>
#include <memory>

namespace vandro {

namespace {

constexpr size_t kDescriptorNameCapacity = 32;

std::string StoredName(std::string_view name) {
  return UpperCase(name);
}

bool RowExists(TDatabase& database, const std::string& name, int kind) {
  auto query = database.Query("SELECT 1 FROM VD_Rpt_Frm_Chrt WHERE O_NAME = ? AND O_TYPE = ?");
  query.Bind(name, kind);
  return query.Step();
}

// A hexadecimal digit as the decoder reads it: anything but 1-9 and A-F is 0.
int HexValue(char c) {
  if (c >= '1' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}

} // namespace

std::string JoinDescriptorLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines)
    text += line + kLineBreak;
  return text;
}

std::vector<std::string> SplitDescriptorText(std::string_view text) {
  return SplitLines(text);
}

bool SaveDescriptor(const std::vector<std::string>& lines, std::string_view name, int kind,
                    bool keepText, std::string_view newName) {
  if (!CheckStorableName(newName.empty() ? name : newName, kDescriptorNameCapacity)) return false;
  TDatabase& database = APSDatabase();
  const std::string key = StoredName(name);
  const std::string target = StoredName(newName.empty() ? name : newName);
  const std::string text = JoinDescriptorLines(lines);
  const bool writeText = !keepText && !text.empty();
  try {
    if (target != key && RowExists(database, target, kind)) {
      ShowMsg("Can't rename " + DescriptorKindWord(kind) + "." + kLineBreak + " Name " +
              std::string(newName) + " already exists.");
      return false;
    }
    TTransaction transaction(database);
    if (RowExists(database, key, kind)) {
      database
          .Query("UPDATE VD_Rpt_Frm_Chrt SET O_NAME = ?1, O_TYPE = ?2, "
                 "O_DESCRIPTOR = CASE WHEN ?3 THEN ?4 ELSE O_DESCRIPTOR END "
                 "WHERE O_NAME = ?5 AND O_TYPE = ?2")
          .Bind(target, kind, writeText, text, key)
          .Run();
    } else {
      database.Query("INSERT INTO VD_Rpt_Frm_Chrt (O_TYPE, O_NAME, O_DESCRIPTOR) VALUES (?, ?, ?)")
          .Bind(kind, key, writeText ? text : std::string())
          .Run();
    }
    transaction.Commit();
    return true;
  } catch (const TDatabaseFailure&) {
    ShowMsg("Can not save description of " + std::string(name));
    return false;
  }
}

bool LoadDescriptor(std::vector<std::string>& lines, std::string_view name, int kind) {
  TDatabase& database = APSDatabase();
  try {
    auto query =
        database.Query("SELECT O_DESCRIPTOR FROM VD_Rpt_Frm_Chrt WHERE O_NAME = ? AND O_TYPE = ?");
    query.Bind(StoredName(name), kind);
    if (!query.Step()) return false;
    lines = SplitDescriptorText(query.Text(0));
    return true;
  } catch (const TDatabaseFailure& failure) {
    ShowMsg(failure.what());
    return false;
  }
}

bool DeleteDescriptor(std::string_view name, int kind) {
  TDatabase& database = APSDatabase();
  const std::string key = StoredName(name);
  try {
    if (!RowExists(database, key, kind)) {
      ShowMsg("Can't locate description of " + std::string(name));
      return false;
    }
    database.Query("DELETE FROM VD_Rpt_Frm_Chrt WHERE O_NAME = ? AND O_TYPE = ?")
        .Bind(key, kind)
        .Run();
    return true;
  } catch (const TDatabaseFailure&) {
    ShowMsg("Can not delete description of " + std::string(name));
    return false;
  }
}

void ListDescriptorNames(std::vector<std::string>& list, int kind) {
  TDatabase& database = APSDatabase();
  const size_t from = list.size();
  Guarded([&] {
    auto query = database.Query("SELECT O_NAME FROM VD_Rpt_Frm_Chrt WHERE O_TYPE = ?");
    query.Bind(kind);
    while (query.Step())
      list.push_back(query.Text(0).substr(0, kDescriptorNameCapacity));
  });
  SortTexts(list, from);
}

std::vector<std::string> EncodeVariable(const TVariable& variable) {
  std::string comment = variable.Comment.substr(0, kCommentCapacity);
  for (char& c : comment)
    if (c == '\r' || c == '\n') c = ' ';
  return {comment, BytesToHex(variable.Value.PackValue())};
}

bool DecodeVariable(std::string_view text, std::string_view storedName, TVariable& variable) {
  size_t lineEnd = text.find_first_of("\r\n");
  if (lineEnd == std::string_view::npos) lineEnd = text.size();
  variable.Name = std::string(storedName.substr(0, kNameCapacity));
  variable.Comment = std::string(text.substr(0, std::min(lineEnd, kCommentCapacity)));
  size_t rest = lineEnd;
  if (rest < text.size() && text[rest] == '\r') ++rest;
  if (rest < text.size() && text[rest] == '\n') ++rest;
  // The rest is read pair by pair, its own line ends included: our writer
  // puts one line there, and a trailing line end adds a zero byte after the
  // packed value, where nothing reads it.
  std::string packed;
  for (size_t i = rest; i + 1 < text.size(); i += 2)
    packed += static_cast<char>(HexValue(text[i]) * 16 + HexValue(text[i + 1]));
  variable.Value.Clear();
  if (packed.empty()) return true;
  try {
    variable.Value.UnpackValue(packed, 1);
    return true;
  } catch (const ErrorException&) {
    variable.Value.Clear();
    return false;
  }
}

bool SaveVariable(const TVariable& variable, std::string_view storedName) {
  std::vector<std::string> lines;
  try {
    lines = EncodeVariable(variable);
  } catch (const ErrorException&) {
    return false; // the value is too long to store; shown already
  }
  return SaveDescriptor(lines, storedName.empty() ? std::string_view(variable.Name) : storedName,
                        dkVariable, false, variable.Name);
}

void LoadVariables() {
  TStorageSession& session = RequireSession();
  std::vector<std::pair<std::string, std::string>> rows;
  // Names are stored upper-cased: in the core's order, as the list keeps them.
  Guarded([&] {
    auto query =
        session.Database.Query("SELECT O_NAME, O_DESCRIPTOR FROM VD_Rpt_Frm_Chrt WHERE O_TYPE = ?");
    query.Bind(int{dkVariable});
    while (query.Step())
      rows.emplace_back(query.Text(0), query.Text(1));
  });
  std::stable_sort(rows.begin(), rows.end(),
                   [](const auto& a, const auto& b) { return CompareText(a.first, b.first) < 0; });
  std::vector<std::unique_ptr<TVariable>> variables;
  for (const auto& [name, text] : rows) {
    auto variable = std::make_unique<TVariable>();
    if (DecodeVariable(text, name, *variable)) variables.push_back(std::move(variable));
  }
  session.Project->ReplaceVariables(std::move(variables));
}

void LoadChartNames() {
  TStorageSession& session = RequireSession();
  std::vector<std::string> names;
  ListDescriptorNames(names, dkChart);
  session.Project->ChartNames() = std::move(names);
}

} // namespace vandro
