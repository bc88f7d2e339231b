#include "data_file.h"

#include "shell/text.h"
#include "stats/mining.h"
#include "values/value.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace vandro::cli {

namespace {

std::vector<std::string> Split(const std::string& line, const std::string& separator) {
  std::vector<std::string> cells;
  size_t start = 0;
  for (;;) {
    const size_t at = line.find(separator, start);
    if (at == std::string::npos) {
      cells.push_back(Trim(std::string_view(line).substr(start)));
      return cells;
    }
    cells.push_back(Trim(std::string_view(line).substr(start, at - start)));
    start = at + separator.size();
  }
}

std::string Where(const TDataFile& file, int line, size_t column) {
  return file.path + ", line " + std::to_string(line) + ", column " + std::to_string(column + 1);
}

// The item index at the end of a load error ("... Item No = 3"), or -1.
int ItemOfLoadError(const std::string& message, std::string& reason) {
  static const std::string marker = " Item No = ";
  const size_t at = message.rfind(marker);
  if (at == std::string::npos) return -1;
  reason = message.substr(0, at);
  while (!reason.empty() && reason.back() == '.')
    reason.pop_back();
  try {
    return std::stoi(message.substr(at + marker.size()));
  } catch (const std::exception&) {
    return -1;
  }
}

TSampleKind SampleKind(TSeriesKind kind) {
  switch (kind) {
  case skText:
    return TSampleKind::Text;
  case skDate:
    return TSampleKind::Date;
  case skReference:
    return TSampleKind::Reference;
  case skNumeric:
    break;
  }
  return TSampleKind::Numeric;
}

} // namespace

bool SeparatorFromOption(const std::string& option, std::string& separator) {
  if (SameText(option, "tab"))
    separator = "\t";
  else if (SameText(option, "comma"))
    separator = ",";
  else if (SameText(option, "semicolon"))
    separator = ";";
  else
    separator = option;
  return !separator.empty();
}

bool ReadDataFile(const std::string& path, const std::string& separator, TDataFile& file,
                  std::string& error) {
  file = {};
  file.path = Cp1251ToUtf8(path);
  std::ifstream stream(file.path, std::ios::binary);
  if (!stream) {
    error = "cannot open " + file.path + ": " + std::strerror(errno);
    return false;
  }
  std::ostringstream buffer;
  buffer << stream.rdbuf();
  if (stream.bad()) {
    error = "cannot read " + file.path;
    return false;
  }
  std::string content = buffer.str();
  if (content.rfind("\xEF\xBB\xBF", 0) == 0) content.erase(0, 3);

  std::vector<std::string> lines;
  std::istringstream split(content);
  for (std::string line; std::getline(split, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  // Blank lines at the end are the file's ending, not rows of empty cells.
  while (!lines.empty() && Trim(lines.back()).empty())
    lines.pop_back();
  if (lines.empty()) {
    error = file.path + ": the file is empty; its first line names the series";
    return false;
  }

  for (size_t i = 0; i < lines.size(); ++i) {
    const int lineNumber = static_cast<int>(i) + 1;
    std::string line, problem;
    if (!Utf8ToCp1251(lines[i], line, &problem)) {
      error = file.path + ", line " + std::to_string(lineNumber) + ": " + problem;
      return false;
    }
    std::vector<std::string> cells = Split(line, separator);
    if (i == 0) {
      for (size_t c = 0; c < cells.size(); ++c) {
        if (cells[c].empty()) {
          error = Where(file, lineNumber, c) + ": the series name is empty";
          return false;
        }
        for (size_t earlier = 0; earlier < c; ++earlier)
          if (SameText(cells[earlier], cells[c])) {
            error = Where(file, lineNumber, c) + ": the series name " + Cp1251ToUtf8(cells[c]) +
                    " is already in column " + std::to_string(earlier + 1);
            return false;
          }
        file.columns.push_back({cells[c], {}, {}});
      }
      continue;
    }
    if (cells.size() != file.columns.size()) {
      error = file.path + ", line " + std::to_string(lineNumber) + ": " +
              std::to_string(cells.size()) + " cells where the header has " +
              std::to_string(file.columns.size()) + " (is the separator right? see --sep)";
      return false;
    }
    for (size_t c = 0; c < cells.size(); ++c) {
      TDataColumn& column = file.columns[c];
      if (cells[c].empty()) continue;
      const int expectedLine = column.lines.empty() ? 2 : column.lines.back() + 1;
      if (lineNumber != expectedLine) {
        error = Where(file, expectedLine, c) + " (" + Cp1251ToUtf8(column.name) +
                "): the cell is empty; only the end of a series may be left empty";
        return false;
      }
      column.cells.push_back(std::move(cells[c]));
      column.lines.push_back(lineNumber);
    }
  }
  return true;
}

std::vector<TStatSeries*> TDataSeries::Pointers() const {
  std::vector<TStatSeries*> pointers;
  for (const auto& one : series)
    pointers.push_back(one.get());
  return pointers;
}

std::vector<TSample> TDataSeries::Samples() const {
  std::vector<TSample> samples;
  for (const auto& one : series) {
    TSample sample;
    sample.name = one->Name();
    sample.kind = SampleKind(one->Kind);
    sample.unit = one->UnitText;
    sample.numbers.assign(one->Numbers.begin(), one->Numbers.end());
    sample.texts = one->Texts;
    samples.push_back(std::move(sample));
  }
  return samples;
}

namespace {

// Loads series (its source set) and adds it to data. False when it does not
// load, with error from describe(the first load error) or naming where.
template <typename Describe>
bool AddLoaded(std::unique_ptr<TStatSeries> series, const std::string& where,
               const Describe& describe, TDataSeries& data, std::string& error) {
  std::vector<std::string> errors;
  const bool loaded = series->Load(errors);
  if (!errors.empty()) {
    error = describe(errors.front());
    return false;
  }
  if (!loaded) {
    error = where + ": the series did not load";
    return false;
  }
  data.series.push_back(std::move(series));
  return true;
}

} // namespace

bool LoadDataSeries(const TDataFile& file, TDataSeries& data, std::string& error) {
  data.series.clear();
  for (size_t c = 0; c < file.columns.size(); ++c) {
    const TDataColumn& column = file.columns[c];
    const std::string where =
        file.path + ", column " + std::to_string(c + 1) + " (" + Cp1251ToUtf8(column.name) + ")";
    if (column.cells.empty()) {
      error = where + ": the series has no values";
      return false;
    }
    auto series = std::make_unique<TStatSeries>();
    series->SetName(column.name);
    series->Source = TValue::Create("vandro-cli data file");
    series->Source->SetArray();
    for (const std::string& cell : column.cells) {
      TValue::Ptr item = TValue::Create("vandro-cli data file");
      item->SetPlain(cell);
      series->Source->AddItem(std::move(item));
    }
    // A load error names the cell it is about, where it can.
    const auto describe = [&](const std::string& first) {
      std::string reason;
      const int item = ItemOfLoadError(first, reason);
      if (item < 0 || static_cast<size_t>(item) >= column.cells.size())
        return where + ": " + Cp1251ToUtf8(first);
      return Where(file, column.lines[static_cast<size_t>(item)], c) + " (" +
             Cp1251ToUtf8(column.name) + "): " + Cp1251ToUtf8(reason) + ": \"" +
             Cp1251ToUtf8(column.cells[static_cast<size_t>(item)]) + "\"";
    };
    if (!AddLoaded(std::move(series), where, describe, data, error)) return false;
  }
  return true;
}

bool LoadProjectSeries(const std::vector<TSeriesDefinition>& definitions, TDataSeries& data,
                       std::string& error) {
  data.series.clear();
  for (const TSeriesDefinition& definition : definitions) {
    const std::string where = "series " + Cp1251ToUtf8(definition.name);
    TValue expression;
    expression.SetText(vkCalculated, definition.expression);
    auto series = std::make_unique<TStatSeries>();
    series->SetName(definition.name);
    series->Source = TValue::Create("vandro-cli series");
    if (!EvaluateSource(expression, *series->Source)) {
      error = where + ": the expression failed";
      return false;
    }
    const auto describe = [&](const std::string& first) {
      return where + ": " + Cp1251ToUtf8(first);
    };
    if (!AddLoaded(std::move(series), where, describe, data, error)) return false;
  }
  return true;
}

} // namespace vandro::cli
