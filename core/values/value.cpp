#include "values/value.h"

#include "shell/diagnostics.h"
#include "shell/messages.h"
#include "shell/numbers.h"
#include "shell/text.h"
#include "values/units.h"
#include "values/value_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vandro {

namespace {

constexpr int kMaxArrayNesting = 256;
constexpr size_t kMaxPackedLength = 65535;

std::string FoldBlanks(std::string_view text) {
  std::string out;
  bool inRun = false;
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 33) {
      inRun = true;
      continue;
    }
    if (inRun && !out.empty()) out += ' ';
    inRun = false;
    out += UpperChar(c);
  }
  return out;
}

template <typename T> int Holds(T a, T b, TRelation relation) {
  switch (relation) {
  case relEqual:
    return a == b;
  case relLess:
    return a < b;
  case relGreater:
    return a > b;
  case relLessEqual:
    return a <= b;
  case relGreaterEqual:
    return a >= b;
  case relNotEqual:
    return a != b;
  }
  return -1;
}

// Products of numbers and unit factors carry rounding noise in their last
// bits (0.1 km is not exactly 100 m); numbers are written with 15
// significant digits, so they are compared at that precision.
long double RoundSignificant(long double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.14Le", value);
  return std::strtold(buffer, nullptr);
}

uint16_t ReadWord(std::string_view text, size_t offset) {
  return static_cast<uint16_t>((static_cast<unsigned char>(text[offset]) << 8) |
                               static_cast<unsigned char>(text[offset + 1]));
}

void WriteWord(std::string& out, size_t offset, size_t value) {
  out[offset] = static_cast<char>((value >> 8) & 0xFF);
  out[offset + 1] = static_cast<char>(value & 0xFF);
}

// Where a packed value's fault lies: the place it was stored, when the caller
// named it, and the 1-based position in the text.
std::string PackedPosition(std::string_view place, size_t offset) {
  const std::string position = "at position " + std::to_string(offset + 1);
  return place.empty() ? position : std::string(place) + " " + position;
}

[[noreturn]] void Damaged(const std::string& what, size_t offset, std::string_view place) {
  RaiseSystemError(std::string(place.empty() ? "Damaged packed value " : "Damaged ") +
                   PackedPosition(place, offset) + ": " + what);
}

} // namespace

TValue::Ptr TValue::Create(std::string_view origin) {
  NoteCreation("TValue", origin);
  return Ptr(new TValue());
}

const TValue& TValue::Null() {
  static const TValue null;
  return null;
}

TValue::~TValue() = default;

void TValue::Clear() {
  pendingReferences_ = false;
  items_.clear();
  track_.reset();
  text_.clear();
  kind_ = vkPlain;
}

void TValue::Assign(const TValue& source) {
  if (&source == this) return;
  Clear();
  kind_ = source.kind_;
  text_ = source.text_;
  pendingReferences_ = source.pendingReferences_;
  items_.reserve(source.items_.size());
  for (const auto& item : source.items_)
    items_.push_back(item->Clone("TValue.Assign"));
}

TValue::Ptr TValue::Clone(std::string_view origin) const {
  Ptr copy = Create(origin);
  copy->Assign(*this);
  return copy;
}

void TValue::SetText(TValueKind kind, std::string text) {
  Clear();
  kind_ = kind;
  text_ = std::move(text);
}

void TValue::SetError(const std::string& message) {
  SetText(vkPlain, std::string(kErrorPrefix) + " " + message);
}

void TValue::SetBoolean(bool flag) {
  SetText(vkPlain, flag ? "True" : "False");
}

void TValue::SetNumber(std::string_view unit, double minusDeviation, double plusDeviation,
                       double number) {
  std::string text = NumberText(unit, minusDeviation, plusDeviation, number);
  SetText(vkPlain, std::move(text));
}

void TValue::SetFuncMarker(std::string name) {
  SetText(vkFuncMarker, std::move(name));
}

void TValue::SetArray() {
  SetText(vkArray, {});
}

void TValue::CheckArray() const {
  if (kind_ != vkArray) RaiseError("Invalid value type. An array expected.");
}

void TValue::CheckIndex(int index) const {
  CheckArray();
  if (pendingReferences_) BuildReferences();
  if (index < 0 || index >= static_cast<int>(items_.size()))
    RaiseError("Item index out of range: " + std::to_string(index));
}

int TValue::ItemCount() const {
  CheckArray();
  if (pendingReferences_) return static_cast<int>(text_.size() / sizeof(int32_t));
  return static_cast<int>(items_.size());
}

TValue& TValue::GetItem(int index) const {
  CheckIndex(index);
  return *items_[static_cast<size_t>(index)];
}

void TValue::SetItem(int index, Ptr item) {
  CheckIndex(index);
  items_[static_cast<size_t>(index)] = std::move(item);
}

void TValue::AddItem(Ptr item) {
  CheckArray();
  if (pendingReferences_) BuildReferences();
  items_.push_back(std::move(item));
}

void TValue::SetReferenceArray(const std::vector<int32_t>& identifiers) {
  SetArray();
  text_.resize(identifiers.size() * sizeof(int32_t));
  if (!identifiers.empty()) std::memcpy(text_.data(), identifiers.data(), text_.size());
  pendingReferences_ = !identifiers.empty();
}

void TValue::SetPackedReferenceArray(std::string identifiers) {
  if (identifiers.size() % sizeof(int32_t) != 0)
    RaiseSystemError("A packed reference array of " + std::to_string(identifiers.size()) +
                     " bytes is not made of identifiers");
  SetArray();
  text_ = std::move(identifiers);
  pendingReferences_ = !text_.empty();
}

void TValue::BuildReferences() const {
  const size_t count = text_.size() / sizeof(int32_t);
  items_.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    int32_t id = 0;
    std::memcpy(&id, text_.data() + i * sizeof(int32_t), sizeof id);
    Ptr item = Create("TValue.SetReferenceArray");
    item->SetText(vkObject, std::to_string(id));
    items_.push_back(std::move(item));
  }
  std::string().swap(text_);
  pendingReferences_ = false;
}

bool TValue::IsStateRef() const {
  if (kind_ != vkObject) return false;
  const long long id = std::strtoll(text_.c_str(), nullptr, 10);
  return id != 0 && id % 32 > 0;
}

bool TValue::IsError() const {
  return kind_ == vkPlain && text_.compare(0, 13, kErrorPrefix) == 0;
}

bool TValue::IsText() const {
  return kind_ == vkPlain && !IsError() && text_.find("\r\n") != std::string::npos;
}

bool TValue::IsString() const {
  return kind_ == vkPlain && !IsError() && text_.find("\r\n") == std::string::npos;
}

bool TValue::IsNumeric() const {
  return kind_ == vkPlain && IsNumberText(text_, TNumberCheck::Numeric);
}
bool TValue::IsInteger() const {
  return kind_ == vkPlain && IsNumberText(text_, TNumberCheck::Integer);
}
bool TValue::IsReal() const {
  return kind_ == vkPlain && IsNumberText(text_, TNumberCheck::Real);
}
bool TValue::IsDateTime() const {
  return IsDateTimeText(Text());
}
bool TValue::IsBoolean() const {
  return IsBooleanText(Text());
}
bool TValue::IsIdentifier() const {
  return kind_ == vkPlain && IsName(text_);
}

namespace {
bool StartsWithWord(const std::string& text, std::string_view word) {
  const std::string upper = UpperCase(TrimView(text));
  return upper.compare(0, word.size(), word) == 0;
}
} // namespace

bool TValue::IsQuery() const {
  return kind_ == vkCalculated && (StartsWithWord(text_, "FIND") || StartsWithWord(text_, "FETCH"));
}
bool TValue::IsFunction() const {
  return kind_ == vkCalculated && StartsWithWord(text_, "FUNCTION");
}
bool TValue::IsProcedure() const {
  return kind_ == vkCalculated && StartsWithWord(text_, "PROCEDURE");
}
bool TValue::IsAutoFormula() const {
  const std::string_view trimmed = TrimView(text_);
  return kind_ == vkCalculated && !trimmed.empty() && trimmed[0] == '=';
}
bool TValue::IsFormula() const {
  return kind_ == vkCalculated && !IsProcedure() && !IsFunction() && !IsAutoFormula() && !IsQuery();
}

int TValue::Compare(const TValue& other, TRelation relation) const {
  if (IsError() || other.IsError()) return -1;
  if (IsNumeric() && other.IsNumeric()) {
    double a = 0, b = 0, plus = 0, minus = 0;
    std::string unitA, unitB;
    try {
      DecodeNumber(text_, a, plus, minus, unitA);
      DecodeNumber(other.text_, b, plus, minus, unitB);
    } catch (const EConvertError&) {
      return -1;
    }
    TUnitCatalogue& units = ActiveUnits();
    const TUnitNF* formA = units.NormalFormOf(unitA);
    if (!formA) return relation == relNotEqual ? 1 : -1;
    const std::string textA = NormalFormText(*formA);
    const long double factorA = formA->factor;
    const TUnitNF* formB = units.NormalFormOf(unitB);
    if (!formB || NormalFormText(*formB) != textA) return relation == relNotEqual ? 1 : -1;
    const long double factorB = formB->factor;
    long double offsetA = 0, offsetB = 0;
    units.ConversionOffsets(unitA, unitB, offsetA, offsetB);
    if (factorA == factorB && offsetA == offsetB) return Holds<double>(a, b, relation);
    // In basic units rather than in the first operand's unit: 32 [fahrenheit]
    // is 0 [C] only up to rounding, and at 15 significant digits of the
    // kelvins that rounding is gone.
    return Holds(RoundSignificant(a * factorA + offsetA), RoundSignificant(b * factorB + offsetB),
                 relation);
  }
  const bool thisNull = IsNull(), otherNull = other.IsNull();
  if (thisNull && otherNull)
    return relation == relEqual || relation == relLessEqual || relation == relGreaterEqual;
  if (thisNull) return relation == relLess || relation == relLessEqual || relation == relNotEqual;
  if (otherNull)
    return relation == relGreater || relation == relGreaterEqual || relation == relNotEqual;
  if (IsDateTime() && other.IsDateTime())
    return Holds(DecodeDateTime(text_), DecodeDateTime(other.text_), relation);
  if (IsBoolean() && other.IsBoolean()) {
    bool a = false, b = false;
    DecodeBoolean(text_, a);
    DecodeBoolean(other.text_, b);
    return Holds<int>(a, b, relation);
  }
  if (kind_ == other.kind_) return Holds(CompareText(Text(), other.Text()), 0, relation);
  return relation == relNotEqual ? 1 : -1;
}

bool TValue::Equals(const TValue& other) const {
  if (kind_ != other.kind_) return false;
  switch (kind_) {
  case vkLink:
  case vkCalculated:
    return FoldBlanks(text_) == FoldBlanks(other.text_);
  case vkArray:
    if (pendingReferences_) BuildReferences();
    if (other.pendingReferences_) other.BuildReferences();
    if (items_.size() != other.items_.size()) return false;
    for (size_t i = 0; i < items_.size(); ++i)
      if (!items_[i]->Equals(*other.items_[i])) return false;
    return true;
  default:
    return SameText(text_, other.text_);
  }
}

bool TValue::SameDimension(std::string_view unitText) const {
  if (!IsNumeric()) return false;
  double number = 0, plus = 0, minus = 0;
  std::string unit;
  try {
    DecodeNumber(text_, number, plus, minus, unit);
  } catch (const EConvertError&) {
    return false;
  }
  const TUnitNF* own = ActiveUnits().NormalFormOf(unit);
  if (!own) return false;
  const std::string ownText = NormalFormText(*own);
  const TUnitNF* target = ActiveUnits().NormalFormOf(unitText);
  return target && NormalFormText(*target) == ownText;
}

bool TValue::ConvertToUnit(std::string_view unitText) {
  if (!IsNumeric()) return false;
  double number = 0, plus = 0, minus = 0;
  std::string unit;
  try {
    DecodeNumber(text_, number, plus, minus, unit);
  } catch (const EConvertError&) {
    return false;
  }
  TUnitConversion conversion;
  if (!ActiveUnits().Conversion(unit, unitText, conversion)) return false;
  // A negative factor turns the interval around: the deviations swap places
  // and stay non-negative. The shift moves the interval without widening it.
  const long double magnitude = std::fabs(conversion.factor);
  double newPlus = static_cast<double>(plus * magnitude);
  double newMinus = static_cast<double>(minus * magnitude);
  if (conversion.factor < 0) std::swap(newPlus, newMinus);
  try {
    SetNumber(unitText, newMinus, newPlus,
              static_cast<double>(number * conversion.factor + conversion.shift));
  } catch (const EConvertError&) {
    return false;
  }
  return true;
}

void TValue::PackInto(std::string& out, int depth) const {
  if (depth > kMaxArrayNesting) RaiseError("Expression is too deeply nested");
  const size_t start = out.size();
  out.append(3, '\0');
  out[start + 2] = static_cast<char>(kind_);
  if (kind_ == vkArray) {
    if (pendingReferences_) BuildReferences();
    out.append(2, '\0');
    if (items_.size() > kMaxPackedLength) RaiseError("Value is too long to store");
    WriteWord(out, start + 3, items_.size());
    for (const auto& item : items_) {
      item->PackInto(out, depth + 1);
      if (out.size() - start > kMaxPackedLength) RaiseError("Value is too long to store");
    }
  } else {
    out += text_;
  }
  const size_t length = out.size() - start;
  if (length > kMaxPackedLength) RaiseError("Value is too long to store");
  WriteWord(out, start, length);
}

std::string TValue::PackValue() const {
  std::string out;
  PackInto(out, 0);
  return out;
}

size_t TValue::UnpackValue(std::string_view text, size_t position, std::string_view place) {
  Clear();
  if (position == 0) Damaged("no value starts before the text", 0, place);
  try {
    return UnpackAt(text, position - 1, text.size(), 0, place) + 1;
  } catch (...) {
    Clear();
    throw;
  }
}

// Reads the value at offset (0-based); nothing at or after limit belongs to
// it. Returns the offset after the value.
size_t TValue::UnpackAt(std::string_view text, size_t offset, size_t limit, int depth,
                        std::string_view place) {
  if (depth > kMaxArrayNesting) Damaged("arrays nested too deeply", offset, place);
  if (offset + 3 > limit) Damaged("the header runs past the end of the text", offset, place);
  const size_t length = ReadWord(text, offset);
  if (length < 3 || offset + length > limit)
    Damaged("length " + std::to_string(length) + " runs past the end of the text", offset, place);
  const auto code = static_cast<unsigned char>(text[offset + 2]);
  const size_t end = offset + length;
  if (code != vkArray) {
    if (code > vkCalculated) {
      // The byte may not print (a tab, a control character): its number
      // says what it was.
      ShowMsg("Unknown tag:" + std::string(1, static_cast<char>(code)) + " (byte " +
              std::to_string(code) + ")" + (place.empty() ? " " : " in ") +
              PackedPosition(place, offset));
      kind_ = vkPlain;
    } else {
      kind_ = static_cast<TValueKind>(code);
    }
    text_.assign(text.substr(offset + 3, length - 3));
    return end;
  }
  kind_ = vkArray;
  if (length < 5) Damaged("an array without its item count", offset, place);
  const size_t count = ReadWord(text, offset + 3);
  size_t next = offset + 5;
  items_.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    Ptr item = Create("TValue.UnpackValue");
    next = item->UnpackAt(text, next, end, depth + 1, place);
    items_.push_back(std::move(item));
  }
  return end;
}

} // namespace vandro
