// Record rows read back from a damaged store: the three memos, and the links
// between an object's records. Both must be reported, never read out of
// bounds, crash or hang.
//
// Input: the first byte chooses what the rest is.
//   even  memos: 2 bytes n (big-endian), then n bytes of PVs, 1 byte m, m
//         bytes of CntAdded, the rest CntDeleted (each cut to what is there).
//         Whatever unpacks must pack and unpack to the same memos again.
//   odd   a history: records of 4 bytes each (identifier index, flags,
//         predecessor indexes, real time), the flags choosing a terminator,
//         a PtrArr list or a malformed one. Whatever links must enumerate the
//         same states forward, backward and by StatesAt.
#include "fuzz/quiet_sink.h"
#include "model/data_record.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/state_track.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

using namespace vandro;

namespace {

TProject& Project() {
  static std::unique_ptr<TProject> project = [] {
    auto created = TProject::CreateInMemory();
    for (const char* name : {"X", "Y", "Z"}) {
      auto parameter = std::make_unique<TParameter>();
      parameter->ParamName = name;
      created->AddParameter(std::move(parameter));
    }
    return created;
  }();
  return *project;
}

std::string_view Take(std::string_view& rest, size_t count) {
  count = std::min(count, rest.size());
  const std::string_view taken = rest.substr(0, count);
  rest.remove_prefix(count);
  return taken;
}

void Memos(std::string_view rest) {
  TDataRecord record;
  record.Idtor = 65;
  std::string_view head = Take(rest, 2);
  const size_t pvs = head.size() == 2 ? (static_cast<unsigned char>(head[0]) << 8) |
                                            static_cast<unsigned char>(head[1])
                                      : 0;
  record.PackedPVs = std::string(Take(rest, pvs));
  head = Take(rest, 1);
  record.PackedAdded =
      std::string(Take(rest, head.empty() ? 0 : static_cast<unsigned char>(head[0])));
  record.PackedDeleted = std::string(rest);
  try {
    record.UnpackPVs();
  } catch (const ErrorException&) {
    if (!record.PVs.empty() || !record.Added.empty() || !record.Deleted.empty()) std::abort();
    return;
  }
  // Pairs of unknown parameters are not stored again, and unknown kinds read
  // as plain: the packed form settles after one more round.
  try {
    record.PackPVs();
  } catch (const ErrorException&) {
    return; // a value too long once its kind was read as plain
  }
  TDataRecord again;
  again.PackedPVs = record.PackedPVs;
  again.PackedAdded = record.PackedAdded;
  again.PackedDeleted = record.PackedDeleted;
  try {
    again.UnpackPVs();
    again.PackPVs();
  } catch (const ErrorException&) {
    std::abort();
  }
  if (again.PackedPVs != record.PackedPVs || again.PackedAdded != record.PackedAdded ||
      again.PackedDeleted != record.PackedDeleted)
    std::abort();
}

std::vector<int32_t> Ids(bool (TStateTrack::*first)(TObjectSet&, double),
                         bool (TStateTrack::*next)(), TObjectSet& set, double time) {
  std::vector<int32_t> ids;
  TStateTrack track;
  for (bool more = (track.*first)(set, time); more; more = (track.*next)()) {
    ids.push_back(track.Last()->Idtor);
    if (ids.size() > set.Records.size()) std::abort();
    track.ConstructState();
  }
  return ids;
}

void History(std::string_view rest) {
  TObjectSet set;
  set.ObjIdtor = 64;
  set.ObjName = "FUZZ";
  while (rest.size() >= 4) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(rest.data());
    auto record = std::make_unique<TDataRecord>(0.0);
    record->Idtor = 2 * (bytes[0] % 16) + 1;
    record->ObjIdtor = 64;
    record->Terminator = bytes[1] & 1;
    const int32_t first = 2 * (bytes[2] % 16) + 1, second = 2 * (bytes[2] / 16) + 1;
    switch ((bytes[1] >> 1) % 4) {
    case 0:
      break; // no predecessor
    case 1:
      record->PrevRecord = first;
      break;
    case 2:
      record->PtrArrTag = true;
      record->PtrArr = std::to_string(first) + ";" + std::to_string(second) + ";";
      break;
    default:
      record->PtrArrTag = true;
      record->PtrArr = std::string(rest.substr(1, 3)); // anything at all
      break;
    }
    record->RealTime = bytes[3] % 32;
    TValue value;
    value.SetPlain(std::to_string(bytes[3]));
    record->AddPV(*Project().FindParameter("X"), value);
    set.AddRecord(std::move(record));
    rest.remove_prefix(4);
  }
  try {
    set.Link();
  } catch (const ErrorException&) {
    return;
  }
  for (double time : {-1.0, 7.5, 15.0, 40.0}) {
    std::vector<int32_t> forward =
        Ids(&TStateTrack::FirstStateTrack, &TStateTrack::NextStateTrack, set, time);
    std::vector<int32_t> backward =
        Ids(&TStateTrack::LastStateTrack, &TStateTrack::PreviousStateTrack, set, time);
    std::reverse(backward.begin(), backward.end());
    if (forward != backward) std::abort();
    std::vector<std::unique_ptr<TStateTrack>> tracks;
    set.StatesAt(time, tracks);
    for (const auto& track : tracks) {
      track->ConstructState();
      std::vector<std::unique_ptr<TStateTrack>> descendants;
      track->DescendantStatesAt(time, descendants);
      if (descendants.empty() || descendants.front()->Last() != track->Last()) std::abort();
    }
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzzing::QuietSink sink;
  static const bool installed = (SetMessageSink(&sink), true);
  (void)installed;
  static ScopedProject open(Project());
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (data[0] % 2 == 0)
    Memos(input.substr(1));
  else
    History(input.substr(1));
  return 0;
}
