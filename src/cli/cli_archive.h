#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/provenance.h"
#include "archive/archive_location.h"

namespace korva {

class ArchiveRecorder;

// Takes the tool's global "--archive URL" or "--new-archive URL" off the
// front of `arguments`; false after a usage error was reported. An SQLite
// archive named by --archive must exist; --new-archive creates it when it
// does not. Without either, the default archive is used and created at its
// first save.
bool TakeArchiveOption(std::vector<std::string>& arguments);

// The archive the tool records to and `history` reads: the --archive URL,
// otherwise the program's default.
const ArchiveLocation& ToolArchiveLocation();

// Records every save the command makes; archive failures are reported on
// standard error, and ToolArchiveFailed then holds: a command whose saves
// were not archived fails (its files stay written).
std::unique_ptr<ArchiveRecorder> StartToolArchive();
bool ToolArchiveFailed();

// Fills what `provenance` leaves open about the instrument and the clock
// from the archive's newest entry of its first input, when the archive holds
// that file as it is now: the NTP offset and server of a measurement, which
// its .tdc or .kts file does not keep. Reading never creates an archive.
void AddArchivedProvenance(Provenance& provenance);

// While it lives, the tool's archive takes the instrument and the time
// reference from `now` for what the saved files do not say.
class ToolArchiveInstrument {
 public:
  explicit ToolArchiveInstrument(std::function<InstrumentProvenance()> now);
  ~ToolArchiveInstrument();
  ToolArchiveInstrument(const ToolArchiveInstrument&) = delete;
  ToolArchiveInstrument& operator=(const ToolArchiveInstrument&) = delete;

 private:
  std::function<InstrumentProvenance()> previous_;
};

}  // namespace korva
