#include "data_file.h"

#include "exchange/text_lines.h"
#include "shell/text.h"
#include "stats/mining.h"
#include "values/value.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <string_view>

namespace vandro::cli {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

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

// The lines of a stream, a block at a time: a line is held only up to
// kMaxLineLength bytes, however long it is in the file.
class TLineReader {
public:
  explicit TLineReader(std::istream& in) : in_(in), block_(size_t{1} << 16) {}

  // The next line without its line end (LF, or CR LF); false at the end.
  // tooLong when the line is longer than kMaxLineLength (its text is cut).
  bool Next(std::string& line, bool& tooLong) {
    line.clear();
    bool any = false, cut = false;
    for (;;) {
      if (at_ == end_) {
        in_.read(block_.data(), static_cast<std::streamsize>(block_.size()));
        end_ = static_cast<size_t>(std::max<std::streamsize>(0, in_.gcount()));
        at_ = 0;
        if (end_ == 0) break;
      }
      any = true;
      const char* start = block_.data() + at_;
      const auto* stop = static_cast<const char*>(std::memchr(start, '\n', end_ - at_));
      const size_t length = stop ? static_cast<size_t>(stop - start) : end_ - at_;
      // One byte over the limit is kept for a CR that may end the line.
      const size_t room = kMaxLineLength + 1 - std::min(line.size(), kMaxLineLength + 1);
      line.append(start, std::min(length, room));
      cut = cut || length > room;
      at_ += length;
      if (stop) {
        ++at_;
        break;
      }
    }
    if (!line.empty() && line.back() == '\r' && !cut) line.pop_back();
    tooLong = cut || line.size() > kMaxLineLength;
    return any;
  }

private:
  std::istream& in_;
  std::vector<char> block_;
  size_t at_ = 0, end_ = 0;
};

// The lines of a data file in code page 1251, numbered from 1, the byte
// order mark left out.
class TDataLines {
public:
  TDataLines(std::istream& in, const std::string& path) : reader_(in), path_(path) {}

  // The next line; false at the end, or with error set when it cannot be
  // read.
  bool Next(std::string& line, int& number, std::string& error) {
    bool tooLong = false;
    if (!reader_.Next(raw_, tooLong)) return false;
    number = ++number_;
    if (tooLong) {
      error =
          Where(number) + ": it is longer than " + std::to_string(kMaxLineLength) + " characters";
      return false;
    }
    std::string_view text = raw_;
    if (number == 1 && text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    std::string problem;
    if (!Utf8ToCp1251(text, line, &problem)) {
      error = Where(number) + ": " + problem;
      return false;
    }
    return true;
  }

  std::string Where(int line) const { return path_ + ", line " + std::to_string(line); }
  std::string Where(int line, size_t column) const {
    return Where(line) + ", column " + std::to_string(column + 1);
  }

private:
  TLineReader reader_;
  const std::string& path_;
  std::string raw_;
  int number_ = 0;
};

// What the first reading learns: the series' names, how many values each
// has and the line of its last one.
struct TDataShape {
  std::vector<std::string> names;
  std::vector<size_t> counts;
  std::vector<int> lastLines;
};

bool IsBlank(const std::string& line) {
  return TrimView(line).empty();
}

bool ReadHeader(const TDataLines& lines, const std::vector<std::string>& cells, int number,
                TDataShape& shape, std::string& error) {
  for (size_t c = 0; c < cells.size(); ++c) {
    if (cells[c].empty()) {
      error = lines.Where(number, c) + ": the series name is empty";
      return false;
    }
    for (size_t earlier = 0; earlier < c; ++earlier)
      if (SameText(cells[earlier], cells[c])) {
        error = lines.Where(number, c) + ": the series name " + Cp1251ToUtf8(cells[c]) +
                " is already in column " + std::to_string(earlier + 1);
        return false;
      }
  }
  shape.names = cells;
  shape.counts.assign(cells.size(), 0);
  shape.lastLines.assign(cells.size(), 0);
  return true;
}

std::string CellCountProblem(const TDataLines& lines, size_t cells, int number,
                             const TDataShape& shape) {
  if (cells == shape.names.size()) return {};
  return lines.Where(number) + ": " + std::to_string(cells) + " cells where the header has " +
         std::to_string(shape.names.size()) + " (is the separator right? see --sep)";
}

// The first reading: the header and the shape of every row. Blank lines at
// the end are the file's ending; elsewhere they are rows of empty cells,
// whose fault counts only when a filled line follows them.
bool ReadShape(std::istream& in, const std::string& path, const std::string& separator,
               TDataShape& shape, std::string& error) {
  TDataLines lines(in, path);
  std::string line, blankProblem;
  bool header = false;
  int number = 0;
  while (lines.Next(line, number, error)) {
    const std::vector<std::string> cells = Split(line, separator);
    if (IsBlank(line)) {
      if (blankProblem.empty())
        blankProblem = header ? CellCountProblem(lines, cells.size(), number, shape)
                              : lines.Where(number, 0) + ": the series name is empty";
      continue;
    }
    if (!blankProblem.empty()) {
      error = blankProblem;
      return false;
    }
    if (!header) {
      if (!ReadHeader(lines, cells, number, shape, error)) return false;
      header = true;
      continue;
    }
    if (error = CellCountProblem(lines, cells.size(), number, shape); !error.empty()) return false;
    for (size_t c = 0; c < cells.size(); ++c) {
      if (cells[c].empty()) continue;
      const int expected = shape.counts[c] == 0 ? 2 : shape.lastLines[c] + 1;
      if (number != expected) {
        error = lines.Where(expected, c) + " (" + Cp1251ToUtf8(shape.names[c]) +
                "): the cell is empty; only the end of a series may be left empty";
        return false;
      }
      ++shape.counts[c];
      shape.lastLines[c] = number;
    }
  }
  if (!error.empty()) return false;
  if (in.bad()) {
    error = "cannot read " + path;
    return false;
  }
  if (!header) {
    error = path + ": the file is empty; its first line names the series";
    return false;
  }
  for (size_t c = 0; c < shape.names.size(); ++c)
    if (shape.counts[c] == 0) {
      error = path + ", column " + std::to_string(c + 1) + " (" + Cp1251ToUtf8(shape.names[c]) +
              "): the series has no values";
      return false;
    }
  return true;
}

// The second reading: every cell into its series, whose first cell fixed
// its kind; the rows are known to be well formed.
bool ReadValues(std::istream& in, const std::string& path, const std::string& separator,
                const TDataShape& shape, TDataSeries& data, std::string& error) {
  for (const std::string& name : shape.names) {
    data.series.push_back(std::make_unique<TStatSeries>());
    data.series.back()->SetName(name);
  }
  TDataLines lines(in, path);
  std::string line, reason;
  int number = 0;
  TValue item;
  while (lines.Next(line, number, error)) {
    if (number == 1 || IsBlank(line)) continue;
    const std::vector<std::string> cells = Split(line, separator);
    for (size_t c = 0; c < cells.size(); ++c) {
      if (cells[c].empty()) continue;
      TStatSeries& series = *data.series[c];
      item.SetPlain(cells[c]);
      if (series.Count() == 0) {
        series.BeginItems(item);
        if (series.Kind == skText)
          series.Texts.reserve(shape.counts[c]);
        else
          series.Numbers.reserve(shape.counts[c]);
      }
      if (!series.AddItem(item, reason)) {
        error = lines.Where(number, c) + " (" + Cp1251ToUtf8(shape.names[c]) +
                "): " + Cp1251ToUtf8(reason) + ": \"" + Cp1251ToUtf8(cells[c]) + "\"";
        return false;
      }
    }
  }
  if (!error.empty()) return false;
  for (const auto& series : data.series)
    series->Loaded = true;
  return true;
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

bool ReadDataSeries(const std::string& path, const std::string& separator, TDataSeries& data,
                    std::string& error) {
  data.series.clear();
  error.clear();
  const std::string where = Cp1251ToUtf8(path);
  if (const std::string problem = NotAFileProblem(path); !problem.empty()) {
    error = Cp1251ToUtf8(problem);
    return false;
  }
  std::ifstream stream(OsPath(path), std::ios::binary);
  if (!stream) {
    error = "cannot open " + where + ": " + std::strerror(errno);
    return false;
  }
  TDataShape shape;
  if (!ReadShape(stream, where, separator, shape, error)) return false;
  stream.clear();
  stream.seekg(0);
  if (!ReadValues(stream, where, separator, shape, data, error)) {
    data.series.clear();
    return false;
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
