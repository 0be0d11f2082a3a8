#include "common/xml_text.h"

namespace korva {

namespace {

bool IsForbiddenControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 && c != '\t' && c != '\n' && c != '\r';
}

}  // namespace

std::string XmlElementText(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      default:
        if (!IsForbiddenControl(c)) escaped += c;
    }
  }
  return escaped;
}

}  // namespace korva
