// libFuzzer harness of what the archive reads from saved files. Whatever
// the bytes, each kind's description is made without a crash or a hang,
// and reading the same text twice gives the same description.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "archive/saved_file_description.h"

namespace {

void Require(bool holds) {
  if (!holds) __builtin_trap();
}

bool SameDescription(const korva::EntryDescription& a, const korva::EntryDescription& b) {
  return a.record.tag == b.record.tag && a.instrument.model == b.instrument.model &&
         a.startStamp == b.startStamp && a.result == b.result && a.settings == b.settings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const korva::SavedKind kind : korva::AllSavedKinds()) {
    Require(SameDescription(korva::DescribeSavedText(kind, text), korva::DescribeSavedText(kind, text)));
  }
  const std::string_view head = text.substr(0, text.find('\n'));
  for (const char* name : {"a.csv", "a.tdc", "a.kts", "a.txt"}) korva::KindOfSavedFile(name, head);
  return 0;
}
