#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "setup/register_field_text.h"
#include "setup/register_file.h"

namespace korva {

// What the REGISTERS view holds apart from its controls: its own table of
// the 128 registers, the selected register and the "AUTO READ" and
// "AUTO WRITE" choices. The table is what the view saves and loads; only a
// write puts a value into the register image.
class RegisterDebugTable {
 public:
  // Before the first copy entry i holds i x 10, register 0 is selected,
  // "AUTO READ" is ticked and "AUTO WRITE" is not.
  RegisterDebugTable();

  RegisterTable& Values() { return values_; }
  const RegisterTable& Values() const { return values_; }

  // Selecting a register out of 0..127 selects the nearest one.
  void Select(std::size_t index);
  std::size_t Selected() const { return selected_; }
  std::uint16_t SelectedValue() const { return values_[selected_]; }

  // Stores `value`, clamped to 0..65535, at the selected register and
  // returns what the value fields show for it.
  RegisterFieldTexts Show(long value);

  // After a register read-back (and on "READ", which forces it): copies
  // the image into the table when "AUTO READ" is ticked or the copy is
  // forced. True when the table was replaced.
  bool CopyFromImage(std::span<const std::uint16_t, kRegisterFileEntries> image, bool forced = false);

  bool autoRead = true;
  bool autoWrite = false;

 private:
  RegisterTable values_{};
  std::size_t selected_ = 0;
};

}  // namespace korva
