#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "tdcr/measurement_save_dialogs.h"

namespace korva {

class CommandEngine;
class Prompt;
class TdcrMeasurement;

// The three files of one measurement.
struct MeasurementFileNames {
  std::filesystem::path tdc;
  std::filesystem::path csv;
  std::filesystem::path xml;
};

// From the name chosen in the save dialog (or a script's base name): a
// chosen ".tdc", ".csv" or ".xml" (any case) is taken off, and the three
// extensions are appended to what remains, so the three files are always
// three distinct paths and no other part of the name is ever replaced.
MeasurementFileNames MeasurementFileNamesFor(const std::filesystem::path& chosen);

// The first of the three files that could not be created where it is to be
// written (a missing folder, no permission, a folder in the way), or none.
// Nothing is left behind by the check.
std::optional<std::filesystem::path> FirstUncreatableFile(const MeasurementFileNames& names);

enum class SaveOutcome {
  kRefused,    // running, or no answer from the device since the last connect
  kCancelled,  // Cancel in the save dialog, or No to overwriting
  kFailed,     // a file could not be written; its message was shown
  kSaved,      // all three files written and the measurement marked saved
};

// SAVE of the TDCR view, File > "Save TDCR As..." and the save RESET
// offers: writes the .tdc, .csv and .xml files of the measurement and marks
// it saved.
//
// Each file replaces an existing one only once it was written completely,
// so a failed save leaves every earlier file as it was; and the user is
// asked before any of the three existing files is overwritten.
class MeasurementFileSaver {
 public:
  static constexpr const char* kOverwriteQuestion = "FILE ALREADY EXISTS. DO YOU WANT TO OVERWRITE THE FILE?";
  static constexpr const char* kTdcFailure = "Unable to Save Files!";
  static constexpr const char* kCsvFailure = "Error writing to the CSV file!";
  static constexpr const char* kXmlFailure = "Error writing to the XML file!";
  static constexpr const char* kInitialTag = "TDCR Measurement";

  // `engine` is the one `tdcr` was built on.
  MeasurementFileSaver(TdcrMeasurement& tdcr, CommandEngine& engine, MeasurementSaveDialogs& dialogs,
                       Prompt& prompt);

  SaveOutcome SaveMeasurement();
  // After the link to the instrument was lost: the same files of what the
  // image holds (its completed runs count as such), asked and announced as
  // a save is, but nothing is marked on the instrument.
  SaveOutcome SaveWithoutInstrument();

 private:
  SaveOutcome SaveFiles(bool markSaved);
  bool WriteFiles(const MeasurementFileNames& names);

  TdcrMeasurement& tdcr_;
  CommandEngine& engine_;
  MeasurementSaveDialogs& dialogs_;
  Prompt& prompt_;
};

}  // namespace korva
