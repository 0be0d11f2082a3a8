#pragma once

#include <string>
#include <string_view>

namespace korva {

// The letters that name a calibration point's elements in a .kts file
// ("channelA" ... "energyJ"), point 1 first.
inline constexpr std::string_view kKtsPointLetters = "ABCDEFGHIJ";

// The spectrum tag as the .kts file carries it, between "<tag>" and
// "</tag>" on one line: "&", "<" and ">" become entity references, every
// line break (CR, LF or CR LF) one blank, and the control characters XML
// does not allow are left out, so no tag can end its element or its line
// early.
std::string KtsTagText(std::string_view tag);

// The tag back from the text between "<tag>" and "</tag>": "&amp;", "&lt;"
// and "&gt;" become "&", "<" and ">"; any other "&" (files written before
// tags were escaped hold them bare) stays as it is.
std::string TagFromKtsText(std::string_view text);

}  // namespace korva
