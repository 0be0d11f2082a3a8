#pragma once

#include <string>
#include <string_view>

namespace korva {

// A free text made fit to stand between an opening and a closing tag, so a
// tag or an operator name can never break the measurement's .xml file: "&",
// "<" and ">" become entity references, and the control characters XML 1.0
// does not allow (all below a blank except tab, line feed and carriage
// return) are left out. Every other byte is kept as it is.
std::string XmlElementText(std::string_view text);

}  // namespace korva
