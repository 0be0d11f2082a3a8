#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "formats/spectrum_file_status.h"
#include "spectrum/spectrum_record.h"

namespace korva {

// The .kts reader looks at no more than this many lines, each of at most
// kKtsLineLength characters; a longer line goes on as the next line, less
// the one character after its first kKtsLineLength. The longest line the
// writer makes is the tag's: the Tag dialog's 100 characters, each written
// as at most five bytes ("&amp;"; a UTF-8 character takes at most four),
// inside "  <tag></tag>", which is 513 bytes. Lines of older files, written
// before the tag was escaped, are far shorter and read the same.
inline constexpr std::size_t kKtsMaxLines = 50000;
inline constexpr std::size_t kKtsLineLength = 1023;

// What reading a .kts text found beyond the values it stored.
struct KtsReading {
  // Why the text is no spectrum file, empty when it is one: it has no
  // spectrum block, no counts in it, or ends before its counts do.
  std::string refusal;
  // One sentence for each value the reading rules clamped.
  std::vector<std::string> notes;
};

// Reads the text of a .kts file into the file spectrum. The reading rules
// store whatever a text gives: unknown lines are skipped, missing elements
// keep the values the load starts from, out-of-range sizes and offsets are
// clamped (each clamp noted). Whether the text is a spectrum file at all is
// the returned refusal's to say; LoadSpectrumFile keeps a refused file out
// of the record.
//
// The load starts by resetting the record: tag and caption become
// `fileName`, the hard size 4096, counts 0-8191, the compressed spectrum
// and both kinds of ROI marks 0, and the nine set-1 calibration records
// lose their points (use all 1). Registers, status values, and each
// record's enabled flag, units and coefficients keep their values until the
// file gives new ones. Times and date are not read back, nor is use all.
//
// At the end the half selector is taken from the loaded register copy and
// the sizes are applied (forced), which rebuilds the compressed spectrum
// and the display ROI marks. Making the spectrum active, setting the pane
// caption and showing it at soft size 4096 are the caller's.
KtsReading ReadSpectrumText(CSpectrum& spectrum, std::string_view text, const std::string& fileName);

// "Open Spectrum": reads the file at `path` (its name, with extension,
// becomes tag and caption). Fails when the file cannot be opened for
// reading (kCannotOpen) or its text is refused (kNotASpectrum); then the
// record is left as it was. `reading`, when given, receives the refusal
// and the notes.
SpectrumFileStatus LoadSpectrumFile(CSpectrum& spectrum, const std::filesystem::path& path,
                                    KtsReading* reading = nullptr);

}  // namespace korva
