// The text forms of records and states in exports: the plain-text report of
// one state track (TStateTrack::ExportState) and the rows of a delimited
// table (TDataRecord::ExportAsTblStr) that the object import reads back; and
// the branches a history is written as. A history's report lists, after
// each record, the versions its corrections superseded ("Corrected: <time>",
// the latest first), as known at the moment set (model/known_at.h).
#pragma once

#include "values/value.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

class TObjectSet;
class TStateTrack;

// A value as exports write it: "@" + the object's name for a reference (a
// reference to a record names that record's object), "=" + the text for a
// calculated value, the display text for anything else.
std::string ExportValueText(const TValue& value);

// "_Object_Name", "_Real_Time" and the columns, joined by separator.
std::string ExportTableHeader(const std::vector<std::string>& columns, std::string_view separator);

// Appends one track per branch of the set's history, ended branches
// included, so that every record lies on at least one of them: a branch ends
// at each record that is the first predecessor of no record (a terminator,
// the latest record of a line of states, or a record that a merge names
// only as a later predecessor). The tracks come in the real-time order of
// the records they end at; a track ending at a terminator holds it as its
// last record, after the state it ended. Unlike the current states
// (TObjectSet::StatesAt), the branches do not depend on a moment.
void HistoryBranches(TObjectSet& set, std::vector<std::unique_ptr<TStateTrack>>& tracks);

} // namespace vandro
