#include "model/record_packing.h"

#include "model/data_record.h"
#include "model/project.h"
#include "shell/diagnostics.h"
#include "shell/messages.h"

#include <algorithm>
#include <limits>

namespace vandro {

namespace {

void PutHeader(std::string& memo) {
  if (memo.size() > kMaxMemoLength) RaiseError("Record is too long to store");
  const size_t length = memo.size();
  memo[0] = static_cast<char>((length >> 16) & 0xFF);
  memo[1] = static_cast<char>((length >> 8) & 0xFF);
  memo[2] = static_cast<char>(length & 0xFF);
}

[[noreturn]] void Damaged(int32_t recordId, std::string_view memoName, size_t offset,
                          const std::string& what) {
  RaiseSystemError("Damaged record " + std::to_string(recordId) + ": memo " +
                   std::string(memoName) + " at position " + std::to_string(offset + 1) + ": " +
                   what);
}

// The length the header gives, checked against the memo itself.
size_t CheckedLength(std::string_view memo, int32_t recordId, std::string_view memoName) {
  if (memo.size() < kMemoHeaderSize)
    Damaged(recordId, memoName, 0,
            "the memo is " + std::to_string(memo.size()) + " bytes long, shorter than its header");
  const size_t length = (static_cast<size_t>(static_cast<unsigned char>(memo[0])) << 16) |
                        (static_cast<size_t>(static_cast<unsigned char>(memo[1])) << 8) |
                        static_cast<unsigned char>(memo[2]);
  if (length != memo.size())
    Damaged(recordId, memoName, 0,
            "the header gives a length of " + std::to_string(length) + " for a memo of " +
                std::to_string(memo.size()) + " bytes");
  return length;
}

bool ParseIdentifier(std::string_view digits, int32_t& id) {
  // Every pair of every memo passes here: one plain pass over the digits.
  if (digits.empty() || digits.size() > 10) return false;
  int64_t value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value > std::numeric_limits<int32_t>::max()) return false;
  id = static_cast<int32_t>(value);
  return true;
}

} // namespace

TParameterIndex::TParameterIndex(const TProject* project) {
  if (!project) return;
  byId_.reserve(project->Parameters().size());
  for (const auto& parameter : project->Parameters())
    byId_.emplace_back(parameter->Idtor, parameter.get());
  std::sort(byId_.begin(), byId_.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
}

const TParameter* TParameterIndex::Find(int32_t id) const {
  const auto at =
      std::lower_bound(byId_.begin(), byId_.end(), id,
                       [](const auto& entry, int32_t key) { return entry.first < key; });
  return at != byId_.end() && at->first == id ? at->second : nullptr;
}

std::string PackPairs(const std::vector<std::unique_ptr<TPVRelation>>& pairs) {
  std::string memo(kMemoHeaderSize, '\0');
  // Most values are short numbers: one allocation for the whole memo.
  memo.reserve(kMemoHeaderSize + pairs.size() * 24);
  for (const auto& pair : pairs) {
    // A pair without a parameter has no identifier to be stored under.
    if (!pair->Parameter) continue;
    memo += std::to_string(pair->Parameter->Idtor);
    memo += ':';
    memo += pair->Value.PackValue();
    if (memo.size() > kMaxMemoLength) break;
  }
  PutHeader(memo);
  return memo;
}

std::string PackMembers(const std::vector<TValue::Ptr>& members) {
  std::string memo(kMemoHeaderSize, '\0');
  for (const auto& member : members) {
    int32_t id = 0;
    // Anything but an identifier would break the ";" list on reading.
    if (!member->IsObject() || !ParseIdentifier(member->Text(), id))
      RaiseError("Invalid value type. An object expected.");
    memo += member->Text();
    memo += ';';
    if (memo.size() > kMaxMemoLength) break;
  }
  PutHeader(memo);
  return memo;
}

void UnpackPairs(std::string_view memo, int32_t recordId, const TParameterIndex& parameters,
                 TDataRecord& record) {
  constexpr std::string_view kName = "PVs";
  const size_t length = CheckedLength(memo, recordId, kName);
  const std::string place = "record " + std::to_string(recordId) + ": memo " + std::string(kName);
  // No count of the pairs beforehand: AddPV takes room for a typical record
  // at once, and a record reused for the next history keeps its room.
  size_t position = kMemoHeaderSize;
  while (position < length) {
    const size_t colon = memo.find(':', position);
    if (colon == std::string_view::npos)
      Damaged(recordId, kName, position, "a parameter identifier without its \":\"");
    int32_t parameterId = 0;
    if (!ParseIdentifier(memo.substr(position, colon - position), parameterId))
      Damaged(recordId, kName, position, "the parameter identifier is not a number");
    const size_t valueAt = colon + 1;
    if (valueAt + 2 > length)
      Damaged(recordId, kName, valueAt, "the value's length runs past the end of the memo");
    const size_t valueLength =
        (static_cast<size_t>(static_cast<unsigned char>(memo[valueAt])) << 8) |
        static_cast<unsigned char>(memo[valueAt + 1]);
    if (valueLength < 3 || valueAt + valueLength > length)
      Damaged(recordId, kName, valueAt,
              "a value of " + std::to_string(valueLength) + " bytes does not fit the memo");
    NoteCreation("TPVRelation", "TDataRecord.UnpackPVs");
    auto pair = std::make_unique<TPVRelation>();
    pair->Parameter = parameters.Find(parameterId);
    pair->Value.UnpackValue(memo.substr(0, valueAt + valueLength), valueAt + 1, place);
    pair->Modified = true;
    record.AddPV(std::move(pair));
    position = valueAt + valueLength;
  }
}

void UnpackMembers(std::string_view memo, int32_t recordId, std::string_view memoName,
                   std::vector<TValue::Ptr>& members) {
  const size_t length = CheckedLength(memo, recordId, memoName);
  size_t position = kMemoHeaderSize;
  while (position < length) {
    const size_t end = memo.find(';', position);
    if (end == std::string_view::npos)
      Damaged(recordId, memoName, position, "a member without its \";\"");
    const std::string_view text = memo.substr(position, end - position);
    int32_t id = 0;
    if (!ParseIdentifier(text, id))
      Damaged(recordId, memoName, position, "a member that is not an identifier");
    auto member = TValue::Create("TDataRecord.UnpackPVs");
    member->SetText(vkObject, std::string(text));
    members.push_back(std::move(member));
    position = end + 1;
  }
}

std::string PtrArrText(const std::vector<int32_t>& ids) {
  std::string text;
  for (int32_t id : ids) {
    text += std::to_string(id);
    text += ';';
  }
  return text;
}

bool ParsePtrArr(std::string_view text, std::vector<int32_t>& ids) {
  ids.clear();
  size_t position = 0;
  while (position < text.size()) {
    const size_t end = text.find(';', position);
    if (end == std::string_view::npos) return false;
    int32_t id = 0;
    if (!ParseIdentifier(text.substr(position, end - position), id)) return false;
    ids.push_back(id);
    position = end + 1;
  }
  return true;
}

void SetPredecessors(TDataRecord& record, const std::vector<int32_t>& ids) {
  record.PrevRecord = 0;
  record.PtrArrTag = false;
  record.PtrArr.clear();
  if (ids.size() == 1) {
    record.PrevRecord = ids.front();
  } else if (ids.size() > 1) {
    record.PtrArrTag = true;
    record.PtrArr = PtrArrText(ids);
  }
}

} // namespace vandro
