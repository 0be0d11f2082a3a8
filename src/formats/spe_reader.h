#pragma once

#include <string_view>

#include "formats/exchange_read.h"

namespace korva {

// Reads an IAEA SPE text: the tag from $SPEC_ID, the remarks this program
// writes from $SPEC_REM, the start from $DATE_MEA (mm/dd/yyyy hh:mm:ss),
// live and real time from $MEAS_TIM, the channels of $DATA (first and last
// channel, then the counts, any number to a line; channels before the first
// are 0), and the calibration from $MCA_CAL, or from $ENER_FIT when there is
// no $MCA_CAL. Unknown blocks are skipped. Lines may end with CR LF or LF.
ExchangeRead ReadSpeText(std::string_view text);

}  // namespace korva
