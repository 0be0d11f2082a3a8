#pragma once

#include <string_view>

#include "archive/archive_entry.h"

namespace korva {

// What the main file of a save says about the measurement, read from the
// text the program wrote: the .tdc of a TDCR measurement, the .kts of a
// spectrum, the CSV of a spectrum export or a trace export, the .rgv of a
// register set. Text that is not such a file gives what could be read and
// never fails; fields it lacks stay empty. The analysis export is JSON and
// is read where JSON is.
EntryDescription DescribeSavedText(SavedKind kind, std::string_view text);

// The kind of save that writes a file named `fileName` starting with
// `head` (its first line); none for a file no save writes alone (the .csv
// and .xml beside a .tdc, the .txt beside an analysis .json).
std::optional<SavedKind> KindOfSavedFile(std::string_view fileName, std::string_view head);

}  // namespace korva
