// The choices of the renumbering and blank dialogs, kept as strings under the group "tidy" of the
// settings store (organisation "Kw", application "Zorvan").
#pragma once

#include "nc/logic/program_tidy.h"
#include "nc/logic/renumber.h"

namespace zorvan::nc {

// The stored choices over the defaults; what is missing or unreadable keeps its default.
RenumberOptions readRenumberSettings();
void writeRenumberSettings(const RenumberOptions& options);

// Insert or Remove; Insert when nothing usable is stored.
BlankStyle readBlankSetting();
void writeBlankSetting(BlankStyle style);

}  // namespace zorvan::nc
