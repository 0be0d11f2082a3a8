// libFuzzer harness of the register file reader. Besides never crashing or
// hanging, the reader must give the same table when it reads a text twice,
// and a file written from any table must read back as that table.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "setup/register_file.h"

namespace {

void Require(bool holds) {
  if (!holds) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  korva::RegisterTable table{};
  for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<std::uint16_t>(i * 10);
  korva::ApplyRegisterFileText(text, table);
  korva::RegisterTable again = table;
  korva::ApplyRegisterFileText(text, again);
  Require(again == table);

  korva::RegisterTable reread{};
  reread.fill(0xA5A5);
  korva::ApplyRegisterFileText(korva::RegisterFileText(table), reread);
  Require(reread == table);
  return 0;
}
