// The one way a record is written.
//
// Every writer of records (the record and group dialogs, vandro-cli record,
// terminate and group, the import) fills a draft and hands it to StoreDraft,
// which stores everything the draft asks for as one unit of work: the new
// object, the record in its place, the index entry and the groups it joins.
// Either all of it is stored or nothing is. The record's SysTime is the
// moment it is stored, so that the rows in identifier order are also in
// order of the moment they became known (rollback and "Known at:" rely on
// it). StoreDraft asks nothing: the caller has asked its questions and
// checked what it can before; refusals found while storing are shown as
// messages and leave nothing stored.
#pragma once

#include "model/data_record.h"
#include "model/object_index.h"
#include "model/state_track.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vandro {

// A group the stored record's object, or the record itself, joins: the
// group's states current now get the member (for a group state, the states
// that descend from it; for a group without a state, its first record).
struct TGroupJoin {
  int32_t Group = 0;          // a group object, or a state of one (a record identifier)
  bool MemberIsState = false; // the stored record joins, not its object
};

struct TRecordDraft {
  // The object: an existing one, or a new one of this name, made in the same
  // unit of work ("Object named NAME already exists..." when it is taken).
  int32_t ObjectId = 0;
  std::string NewObjectName;
  // An existing object's new name, given with the record.
  std::string Rename;
  // The record: values, name, real time, terminator flag, group additions
  // and removals.
  std::unique_ptr<TDataRecord> Record;
  // Where it goes: after the state the track stands for (nullptr: the
  // object's root; a new object has no other), before Successor when given,
  // else as the placement says.
  TStateTrack* Track = nullptr;
  TDataRecord* Successor = nullptr;
  TPlacement Placement = TPlacement::NewVersion;
  // A correction: Record is the stored record Record->Idtor with new values;
  // it keeps its identifier, place and SysTime, and the storage keeps the
  // version it replaces. PreviousState is what its formulas read.
  bool Correction = false;
  TDataRecord* PreviousState = nullptr;
  // An index entry for the object.
  bool IndexEntry = false;
  TIndexKind IndexKind = ikObjects;
  std::string IndexName;
  std::string IndexComment;
  // Groups the object or the record joins now; a group state dated after
  // now is left as it is.
  std::vector<TGroupJoin> Groups;
  // Bulk work (the import) tells the listeners once, when it ends, instead
  // of once per record.
  bool Quiet = false;
};

struct TStoredDraft {
  bool Stored = false;
  int32_t ObjectId = 0;
  int32_t RecordId = 0;
  // The record as written (its links), for a caller that keeps a loaded
  // history up to date itself.
  std::unique_ptr<TDataRecord> Record;
};

// Stores the draft (its Record is taken). Storage failures raise with
// nothing stored; a refusal (a taken name, an index entry refused) shows its
// message and returns Stored false with nothing stored. Listeners of
// model/record_events.h hear of the object and the groups changed.
TStoredDraft StoreDraft(TRecordDraft& draft);

} // namespace vandro
