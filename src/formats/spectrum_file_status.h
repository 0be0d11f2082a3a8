#pragma once

namespace korva {

// How a spectrum file command ended. Every failure has the message the
// program shows for it, in a message box with the caption "Error" and the
// error icon.
enum class SpectrumFileStatus {
  kDone,
  kCannotOpen,    // "Unable to Open File": the file to read cannot be opened
  kCannotCreate,  // "Unable to Save File": the file to write cannot be created
  kWriteFailed,   // "Error Writing to File": writing failed; any earlier file is left as it was
  kNotASpectrum,  // "Not a spectrum file": the file read has no spectrum, or not all of it
};

inline constexpr const char* kSpectrumFileErrorCaption = "Error";

// The message of a failure; empty for kDone.
constexpr const char* SpectrumFileMessage(SpectrumFileStatus status) {
  switch (status) {
    case SpectrumFileStatus::kCannotOpen:
      return "Unable to Open File";
    case SpectrumFileStatus::kCannotCreate:
      return "Unable to Save File";
    case SpectrumFileStatus::kWriteFailed:
      return "Error Writing to File";
    case SpectrumFileStatus::kNotASpectrum:
      return "Not a spectrum file";
    case SpectrumFileStatus::kDone:
      break;
  }
  return "";
}

}  // namespace korva
