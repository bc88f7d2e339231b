#include "shell/delimited_text.h"

#include "shell/text.h"

namespace vandro {

namespace {

// What reading trims off an unquoted field (as TrimView does).
bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

bool NeedsQuotes(std::string_view field, std::string_view separator) {
  if (field.empty()) return false;
  if (IsBlank(field.front()) || IsBlank(field.back())) return true;
  if (field.find_first_of("\"\r\n") != std::string_view::npos) return true;
  if (separator.empty()) return false;
  if (field.find(separator) != std::string_view::npos) return true;
  // The end of a field may begin a separator of several characters ("a:"
  // before "::"), which reading would then find too early.
  if (separator.size() > 1) {
    const std::string joined = std::string(field) + std::string(separator);
    return joined.find(separator) != field.size();
  }
  return false;
}

// Reads text from its start, which lies inside a quoted field when
// inQuotes; adds each field to fields when there are any. True when the
// text ends outside quotes.
bool Scan(std::string_view text, std::string_view separator, bool inQuotes,
          std::vector<std::string>* fields) {
  if (separator.empty()) separator = "\t";
  const size_t n = text.size();
  const auto at = [&](size_t i) { return text.compare(i, separator.size(), separator) == 0; };
  const auto next = [&](size_t from) {
    return separator.size() == 1 ? text.find(separator.front(), from) : text.find(separator, from);
  };
  std::string quoted;
  size_t i = 0;
  for (;;) {
    const size_t start = i;
    if (!inQuotes) {
      while (i < n && IsBlank(text[i]) && !at(i))
        ++i;
      if (i >= n || text[i] != '"') {
        const size_t end = next(start);
        if (end == std::string_view::npos) {
          if (fields && (start < n || fields->empty()))
            fields->emplace_back(TrimView(text.substr(start)));
          return true;
        }
        if (fields) fields->emplace_back(TrimView(text.substr(start, end - start)));
        i = end + separator.size();
        continue;
      }
      ++i; // the opening quote
    }
    inQuotes = false;
    quoted.clear();
    bool closed = false;
    while (i < n) {
      const size_t quote = text.find('"', i);
      if (quote == std::string_view::npos) {
        if (fields) quoted.append(text.substr(i));
        i = n;
        break;
      }
      if (fields) quoted.append(text.substr(i, quote - i));
      i = quote + 1;
      if (i < n && text[i] == '"') {
        if (fields) quoted += '"';
        ++i;
        continue;
      }
      closed = true;
      break;
    }
    if (!closed) {
      if (fields) fields->push_back(std::move(quoted));
      return false;
    }
    const size_t end = next(i);
    const size_t stop = end == std::string_view::npos ? n : end;
    if (fields) {
      quoted.append(TrimView(text.substr(i, stop - i)));
      fields->push_back(std::move(quoted));
    }
    // A record that ends in the separator has no empty last field.
    if (end == std::string_view::npos || end + separator.size() >= n) return true;
    i = end + separator.size();
  }
}

} // namespace

std::string QuoteField(std::string_view field, std::string_view separator) {
  if (!NeedsQuotes(field, separator)) return std::string(field);
  std::string quoted = "\"";
  for (const char c : field) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

void AppendField(std::string& row, std::string_view field, std::string_view separator, bool first) {
  if (!first) row += separator;
  if (NeedsQuotes(field, separator))
    row += QuoteField(field, separator);
  else
    row += field;
}

std::string JoinFields(const std::vector<std::string>& fields, std::string_view separator) {
  std::string row;
  for (size_t i = 0; i < fields.size(); ++i)
    AppendField(row, fields[i], separator, i == 0);
  return row;
}

bool SplitFields(std::string_view record, std::string_view separator,
                 std::vector<std::string>& fields) {
  fields.clear();
  return Scan(record, separator, false, &fields);
}

bool EndsInsideQuotes(std::string_view text, std::string_view separator, bool inQuotes) {
  return !Scan(text, separator, inQuotes, nullptr);
}

} // namespace vandro
