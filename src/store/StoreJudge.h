#pragma once

#include "store/DataFileImport.h"
#include "store/StoreRecord.h"

class LimitsTable;
class Verdict;

// The tolerance verdict as the store keeps it.
namespace StoreJudge {
// The verdict of a reading: its kind, the values outside and the limits
// applied (null when none applied).
[[nodiscard]] StoreVerdict fromVerdict(const Verdict &verdict);

// Judges imported lines against table as the window judges a reading, on
// the values a data-file line has: the offsets are not in it, so limits on
// them are not applied.
[[nodiscard]] ImportJudge forImport(const LimitsTable &table);
} // namespace StoreJudge
