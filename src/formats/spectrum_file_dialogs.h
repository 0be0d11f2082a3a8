#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korva {

// Which file a spectrum save dialog asks for.
enum class SpectrumSaveKind {
  kSpectrumFile,  // "Save Spectrum As...", a .kts file
  kCsv,           // "Export Spectrum As...", a CSV file
  kN42,           // "Export Spectrum As...", an N42.42 file
  kSpe,           // "Export Spectrum As...", an IAEA SPE file
};

// The questions the spectrum file commands ask. The program shows dialogs;
// tests script the answers.
class SpectrumFileDialogs {
 public:
  virtual ~SpectrumFileDialogs() = default;
  // "Open Spectrum File": an existing file, or none on Cancel.
  virtual std::optional<std::string> ChooseOpenTarget() = 0;
  // The save dialog of `kind`: the chosen name as typed (the command adds
  // ".kts" where needed), or none on Cancel.
  virtual std::optional<std::string> ChooseSaveTarget(SpectrumSaveKind kind) = 0;
  // `question` with the caption "Warning" and OK and Cancel; true for OK.
  virtual bool ConfirmOverwrite(std::string_view question) = 0;
  // The "Tag" dialog over `tag`: the edited text on OK, none on Cancel.
  virtual std::optional<std::string> EditTag(std::string_view tag) = 0;
};

}  // namespace korva
