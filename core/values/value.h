// TValue: the one value type of the system.
//
// A value is a kind and a text. Numbers (with deviations and units), dates,
// booleans and strings all live in the text of a plain value and are decoded
// on demand (value_text.h). Arrays own their items; an object reference owns
// the navigator over the referenced object's states once it is first used.
//
// Values are owned through TValue::Ptr. Released values go back to a capped
// pool of storage (an allocation detail: nothing calls Release by hand).
#pragma once

#include "shell/pool.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

// Stored in packed values: the numbers must not change.
enum TValueKind : uint8_t {
  vkPlain = 0,
  vkObject = 1,
  vkArray = 2,
  vkLink = 3,
  vkCalculated = 4,
  vkFuncMarker = 5, // only on the processor's stack; never stored
};

// Relations; the same codes are the processor's operation codes.
enum TRelation : uint8_t {
  relEqual = 9,
  relLess = 10,
  relGreater = 11,
  relLessEqual = 12,
  relGreaterEqual = 13,
  relNotEqual = 14,
};

inline constexpr const char* kErrorPrefix = "### Error ###";

// What an object reference keeps once it has been used: the state track of
// the referenced object. The records layer derives its track from this.
class TTrackSlot {
public:
  virtual ~TTrackSlot() = default;
};

class TValue : public TPooled<TValue> {
public:
  using Ptr = std::unique_ptr<TValue>;

  // A new empty plain value, from the pool when it has one. origin names the
  // creating operation ("TValue.Assign") for the diagnostic hook.
  static Ptr Create(std::string_view origin);
  // The shared null value (plain, empty); never changed.
  static const TValue& Null();

  TValue() = default;
  ~TValue();
  TValue(const TValue&) = delete;
  TValue& operator=(const TValue&) = delete;

  TValueKind Kind() const { return kind_; }
  const std::string& Text() const {
    if (pendingReferences_) [[unlikely]]
      BuildReferences();
    return text_;
  }

  // Releases the items or the track, empties the text, makes the value plain.
  void Clear();
  // A deep copy of kind, text and items. A reference's track is not copied:
  // the copy builds its own when it is first used.
  void Assign(const TValue& source);
  Ptr Clone(std::string_view origin) const;

  void SetText(TValueKind kind, std::string text);
  void SetPlain(std::string text) { SetText(vkPlain, std::move(text)); }
  void SetError(const std::string& message);
  void SetBoolean(bool flag);
  // Writes the number text (value_text.h). Raises EConvertError for a number
  // that has no text (NaN, infinity); the value is then left unchanged.
  void SetNumber(std::string_view unit, double minusDeviation, double plusDeviation, double number);
  void SetFuncMarker(std::string name);
  // An empty array.
  void SetArray();

  // Array access. On a non-array each raises "Invalid value type. An array
  // expected."; an index outside 0..count-1 raises "Item index out of range: "
  // followed by the index (the message is shown first).
  int ItemCount() const;
  TValue& GetItem(int index) const;
  void SetItem(int index, Ptr item);
  void AddItem(Ptr item);
  // An array of object references given by their identifiers. It keeps just
  // the identifiers, so that a query over a large project answers with a few
  // bytes per hit; the item values are built the first time anything other
  // than ItemCount reaches the items.
  void SetReferenceArray(const std::vector<int32_t>& identifiers);
  // The same from identifiers already packed as the value keeps them (4
  // bytes each, in the machine's byte order), taken over without a copy.
  void SetPackedReferenceArray(std::string identifiers);

  // Object references: the slot for the state track built on first use.
  TTrackSlot* TrackSlot() const { return track_.get(); }
  void SetTrackSlot(std::unique_ptr<TTrackSlot> track) { track_ = std::move(track); }

  bool IsPlain() const { return kind_ == vkPlain; }
  bool IsObject() const { return kind_ == vkObject; }
  bool IsStateRef() const;
  bool IsArray() const { return kind_ == vkArray; }
  bool IsLink() const { return kind_ == vkLink; }
  bool IsCalculated() const { return kind_ == vkCalculated; }
  bool IsFuncMarker() const { return kind_ == vkFuncMarker; }
  bool IsNull() const { return kind_ == vkPlain && text_.empty(); }
  bool IsError() const;
  bool IsText() const;
  bool IsString() const;
  bool IsNumeric() const;
  bool IsInteger() const;
  bool IsReal() const;
  bool IsDateTime() const;
  bool IsBoolean() const;
  bool IsIdentifier() const;
  bool IsQuery() const;
  bool IsFunction() const;
  bool IsProcedure() const;
  bool IsAutoFormula() const;
  bool IsFormula() const;

  // 1 when the relation holds, 0 when it does not, -1 when the two values
  // cannot be compared. Numbers are compared in their units' common basis.
  int Compare(const TValue& other, TRelation relation) const;
  // Matching (not ordering) equality: same kind and equal texts without
  // regard to case (links and calculated texts with blanks folded), arrays
  // item by item.
  bool Equals(const TValue& other) const;
  // A numeric value whose unit has the dimension of unitText.
  bool SameDimension(std::string_view unitText) const;
  // Rewrites a numeric value in unitText when the dimensions agree.
  bool ConvertToUnit(std::string_view unitText);

  // The storage form (value_text.h has the layout). Raises "Value is too long
  // to store" (shown first) when it would exceed 65535 bytes.
  std::string PackValue() const;
  // Reads one packed value at the 1-based position into this value and
  // returns the position after it. A damaged or truncated text is reported
  // with the system-error prefix and raises; nothing past the text is read.
  // An unknown kind is reported and the value read as plain. place names
  // where the text was stored ("record 65: memo PVs"), for the messages.
  size_t UnpackValue(std::string_view text, size_t position, std::string_view place = {});

private:
  void CheckArray() const;
  void CheckIndex(int index) const;
  void PackInto(std::string& out, int depth) const;
  size_t UnpackAt(std::string_view text, size_t offset, size_t limit, int depth,
                  std::string_view place);
  // Turns the identifiers of SetReferenceArray into items. Const because
  // building them does not change what the value is.
  void BuildReferences() const;

  TValueKind kind_ = vkPlain;
  // An array from SetReferenceArray whose items are not built yet: text_
  // holds the identifiers, 4 bytes each, and items_ is empty. Mutable for
  // BuildReferences only.
  mutable bool pendingReferences_ = false;
  mutable std::string text_;
  mutable std::vector<Ptr> items_;    // arrays only
  std::unique_ptr<TTrackSlot> track_; // object references only, once used
};

} // namespace vandro
