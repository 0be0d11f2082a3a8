#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace korva {

// A register file (.rgv) holds the 128 settings registers of the REGISTERS
// view as text:
//
//   <registers>
//     <size>128</size>
//     <data>
//   value of register 0, unsigned decimal
//   ...
//   value of register 127
//     </data>
//   </registers>
//
// The reader also finds the registers block of a spectrum file (.kts),
// which uses the same tags.
inline constexpr std::size_t kRegisterFileEntries = 128;
using RegisterTable = std::array<std::uint16_t, kRegisterFileEntries>;

// Limits of the reader: characters per line (a longer line is read in
// pieces of this length, each examined as a line of its own) and lines
// per file (later lines are ignored).
inline constexpr std::size_t kRegisterFileLineLength = 255;
inline constexpr std::size_t kRegisterFileMaxLines = 50000;

namespace register_file_text {
inline constexpr const char* kUnableToOpen = "Unable to Open File";
inline constexpr const char* kWriteFailed = "Error writing to the register file!";
inline constexpr const char* kOverwriteQuestion = "FILE ALREADY EXISTS. DO YOU WANT TO OVERWRITE THE FILE?";
inline constexpr const char* kSaveTitle = "Save Register File";
inline constexpr const char* kLoadTitle = "Load Register File";
inline constexpr const char* kSaveFilter = "Register Files (*.rgv)|*.rgv|All Files (*.*)|*.*||";
inline constexpr const char* kLoadFilter =
    "Register Files (*.rgv)|*.rgv|Veltra Spectrum (*.kts)|*.kts|All Files (*.*)|*.*||";
inline constexpr const char* kDefaultExtension = "rgv";
}  // namespace register_file_text

// A value line the reader rules store other than as written: not a number
// (stored as 0), a number outside 0..65535 (stored as its low 16 bits), or
// a number with more after it, such as "12.7" (stored as 12).
struct RegisterValueFinding {
  std::size_t line = 0;   // in the file, from 1
  std::size_t entry = 0;  // the register (table entry) it went to
  std::string text;       // the line as the file holds it
  std::uint16_t stored = 0;
};

// "line 12 (register 8): "70000" is not a whole number from 0 to 65535; read as 4464".
std::string RegisterValueFindingText(const RegisterValueFinding& finding);

// The whole file for `table`, lines ended by single line feeds.
std::string RegisterFileText(const RegisterTable& table);

// Applies the reader rules to the text of a file. Entries the text does not
// give keep their values; of several registers blocks the last one wins.
// Malformed text never fails: lines that match nothing are skipped.
// Returns how many register values the text gave: 0 for a text without a
// registers block (an empty file, or one of another kind) or with an
// empty one. `findings`, when given, receives every value line stored
// other than as written, in file order.
std::size_t ApplyRegisterFileText(std::string_view text, RegisterTable& table,
                                  std::vector<RegisterValueFinding>* findings = nullptr);

// The name a save uses: ".rgv" appended when the chosen file name has no
// extension.
std::filesystem::path RegisterFileNameFor(const std::filesystem::path& chosen);

enum class RegisterFileStatus {
  kDone,
  kUnableToOpen,  // the file cannot be read, or the new file cannot be created
  kWriteFailed,   // writing or replacing the file failed; an earlier file is untouched
};

// The message a failed status shows (stop icon); empty for kDone.
std::string_view RegisterFileMessage(RegisterFileStatus status);

// Writes `table` to `target` through a temporary file that replaces the
// target only once every line is written and flushed.
RegisterFileStatus SaveRegisterFile(const std::filesystem::path& target, const RegisterTable& table);

// Reads `source` with the reader rules into `table`. When the file cannot
// be read the table is left as it was. `valuesGiven`, when given, receives
// the count ApplyRegisterFileText returns, `findings` its findings.
RegisterFileStatus LoadRegisterFile(const std::filesystem::path& source, RegisterTable& table,
                                    std::size_t* valuesGiven = nullptr,
                                    std::vector<RegisterValueFinding>* findings = nullptr);

}  // namespace korva
