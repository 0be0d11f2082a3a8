#include "setup/register_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "common/files_saved.h"
#include "common/safe_file_writer.h"

namespace korva {

namespace {

constexpr std::string_view kBlockName = "registers";
constexpr std::string_view kBlockEnd = "</registers>";
constexpr std::string_view kSizeOpen = "<size>";
constexpr std::string_view kSizeClose = "</size>";
constexpr std::string_view kDataOpen = "<data>";
constexpr std::string_view kDataEnd = "</data>";

// The reader never looks at more than this many bytes of a file: every
// line it considers is at most a full piece and its line feed.
constexpr std::size_t kMaxBytesConsidered = kRegisterFileMaxLines * (kRegisterFileLineLength + 1);

std::string WithoutSpaces(std::string_view line) {
  std::string text;
  text.reserve(line.size());
  for (const char c : line) {
    if (c != ' ') text.push_back(c);
  }
  return text;
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// True when the text between the line's first "<" and its first ">" is
// "registers" in any case.
bool OpensBlock(std::string_view line) {
  const std::size_t open = line.find('<');
  const std::size_t close = line.find('>');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return false;
  const std::string_view name = line.substr(open + 1, close - open - 1);
  return std::ranges::equal(name, kBlockName,
                            [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

// The signed decimal number a line starts with (blanks before it allowed),
// as its sign and its digits; none when the line has no leading number.
struct LeadingNumber {
  bool negative = false;
  std::string_view digits;
};

std::optional<LeadingNumber> ReadLeadingNumber(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  LeadingNumber number;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) number.negative = text[at++] == '-';
  const std::size_t first = at;
  while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) ++at;
  if (at == first) return std::nullopt;
  number.digits = text.substr(first, at - first);
  return number;
}

// The low 16 bits of the line's leading number in two's complement, exact
// however many digits it has; 0 when the line has none.
std::uint16_t LeadingValue(std::string_view line) {
  const auto number = ReadLeadingNumber(line);
  if (!number) return 0;
  std::uint32_t low = 0;
  for (const char digit : number->digits)
    low = (low * 10 + static_cast<std::uint32_t>(digit - '0')) & 0xFFFFu;
  if (number->negative) low = (0x10000u - low) & 0xFFFFu;
  return static_cast<std::uint16_t>(low);
}

// Whether the line is exactly a number of 0..65535, blanks around it
// allowed: a value the reader rules store as written.
bool IsPlainValue(std::string_view line) {
  const auto number = ReadLeadingNumber(line);
  if (!number || number->digits.size() > 5) return false;
  const std::size_t end =
      static_cast<std::size_t>(number->digits.data() - line.data()) + number->digits.size();
  if (line.find_first_not_of(" \t", end) != std::string_view::npos) return false;
  const unsigned long value = std::stoul(std::string(number->digits));
  return value <= 0xFFFF && (!number->negative || value == 0);
}

// The count a size line gives: the number after "<size>", limited to
// 0..128 (a missing number counts as 0).
std::size_t SizeValue(std::string_view line) {
  const auto number = ReadLeadingNumber(line.substr(line.find(kSizeOpen) + kSizeOpen.size()));
  if (!number || number->negative) return 0;
  std::size_t value = 0;
  for (const char digit : number->digits) {
    value = std::min(kRegisterFileEntries + 1, value * 10 + static_cast<std::size_t>(digit - '0'));
  }
  return std::min(value, kRegisterFileEntries);
}

// Walks the lines of a register file: where the reader is, and what it
// does with each line.
class RegisterFileReader {
 public:
  RegisterFileReader(RegisterTable& table, std::vector<RegisterValueFinding>* findings)
      : table_(table), findings_(findings) {}

  std::size_t ValuesGiven() const { return valuesGiven_; }

  // `fileLine` numbers the file's line the piece comes from.
  void Examine(std::string_view rawLine, std::size_t fileLine) {
    fileLine_ = fileLine;
    raw_ = rawLine;
    const std::string line = WithoutSpaces(rawLine);
    if (!inBlock_) {
      if (OpensBlock(line)) {
        inBlock_ = true;
        count_ = kRegisterFileEntries;
      }
      return;
    }
    if (inData_) return ExamineValue(line);
    if (line == kBlockEnd) {
      inBlock_ = false;
      return;
    }
    if (Contains(line, kSizeOpen) && Contains(line, kSizeClose)) count_ = SizeValue(line);
    if (Contains(line, kDataOpen)) {
      inData_ = true;
      next_ = 0;
    }
  }

 private:
  // A block's closing tag also ends values whose "</data>" is missing, so
  // that a broken block cannot swallow the block after it.
  void ExamineValue(const std::string& line) {
    if (line == kDataEnd) {
      inData_ = false;
    } else if (line == kBlockEnd) {
      inData_ = false;
      inBlock_ = false;
    } else if (next_ < count_) {
      table_[next_] = LeadingValue(line);
      if (findings_ != nullptr && !IsPlainValue(raw_))
        findings_->push_back({fileLine_, next_, std::string(raw_), table_[next_]});
      ++next_;
      ++valuesGiven_;
    }
  }

  RegisterTable& table_;
  std::vector<RegisterValueFinding>* findings_;
  std::size_t fileLine_ = 0;
  std::string_view raw_;
  bool inBlock_ = false;
  bool inData_ = false;
  std::size_t count_ = kRegisterFileEntries;
  std::size_t next_ = 0;
  std::size_t valuesGiven_ = 0;
};

// Reads at most kMaxBytesConsidered bytes of a file; empty when the file
// cannot be opened or read.
std::optional<std::string> ReadHead(const std::filesystem::path& source) {
  const int descriptor = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return std::nullopt;
  std::string text;
  std::vector<char> buffer(65536);
  bool failed = false;
  while (text.size() < kMaxBytesConsidered) {
    const std::size_t wanted = std::min(buffer.size(), kMaxBytesConsidered - text.size());
    const ssize_t got = ::read(descriptor, buffer.data(), wanted);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      failed = got < 0;
      break;
    }
    text.append(buffer.data(), static_cast<std::size_t>(got));
  }
  ::close(descriptor);
  if (failed) return std::nullopt;
  return text;
}

}  // namespace

std::string RegisterFileText(const RegisterTable& table) {
  std::string text = "<registers>\n  <size>" + std::to_string(kRegisterFileEntries) + "</size>\n  <data>\n";
  for (const std::uint16_t value : table) text += std::to_string(value) + "\n";
  text += "  </data>\n</registers>\n";
  return text;
}

// A line ends at a line feed; a carriage return before it belongs to the
// line end, not to the line, so files with CR LF line ends read fully.
std::size_t ApplyRegisterFileText(std::string_view text, RegisterTable& table,
                                  std::vector<RegisterValueFinding>* findings) {
  RegisterFileReader reader(table, findings);
  std::size_t lines = 0;
  std::size_t fileLine = 0;
  while (!text.empty() && lines < kRegisterFileMaxLines) {
    ++fileLine;
    const std::size_t feed = text.find('\n');
    std::string_view line = text.substr(0, feed);
    text.remove_prefix(feed == std::string_view::npos ? text.size() : feed + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    // A longer line is read in pieces, each counted as a line of its own.
    do {
      reader.Examine(line.substr(0, kRegisterFileLineLength), fileLine);
      line.remove_prefix(std::min(line.size(), kRegisterFileLineLength));
      ++lines;
    } while (!line.empty() && lines < kRegisterFileMaxLines);
  }
  return reader.ValuesGiven();
}

std::string RegisterValueFindingText(const RegisterValueFinding& finding) {
  std::string shown;
  for (const char c : finding.text) {
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) {
      shown += c;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
      shown += escaped;
    }
  }
  return "line " + std::to_string(finding.line) + " (register " + std::to_string(finding.entry) + "): \"" +
         shown + "\" is not a whole number from 0 to 65535; read as " + std::to_string(finding.stored);
}

std::filesystem::path RegisterFileNameFor(const std::filesystem::path& chosen) {
  if (chosen.has_extension()) return chosen;
  std::filesystem::path name = chosen;
  name += ".rgv";
  return name;
}

std::string_view RegisterFileMessage(RegisterFileStatus status) {
  switch (status) {
    case RegisterFileStatus::kDone:
      return {};
    case RegisterFileStatus::kUnableToOpen:
      return register_file_text::kUnableToOpen;
    case RegisterFileStatus::kWriteFailed:
      return register_file_text::kWriteFailed;
  }
  return {};
}

RegisterFileStatus SaveRegisterFile(const std::filesystem::path& target, const RegisterTable& table) {
  SafeFileWriter writer(target);
  if (!writer.Open()) return RegisterFileStatus::kUnableToOpen;
  const bool written = writer.Write(RegisterFileText(table)) && writer.Finish() && writer.Commit();
  if (written) AnnounceSavedFiles(SavedKind::kRegisterFile, {target});
  return written ? RegisterFileStatus::kDone : RegisterFileStatus::kWriteFailed;
}

RegisterFileStatus LoadRegisterFile(const std::filesystem::path& source, RegisterTable& table,
                                    std::size_t* valuesGiven, std::vector<RegisterValueFinding>* findings) {
  const std::optional<std::string> text = ReadHead(source);
  if (!text) return RegisterFileStatus::kUnableToOpen;
  const std::size_t given = ApplyRegisterFileText(*text, table, findings);
  if (valuesGiven != nullptr) *valuesGiven = given;
  return RegisterFileStatus::kDone;
}

}  // namespace korva
