#include "formats/kts_tag.h"

#include <array>
#include <utility>

#include "common/xml_text.h"

namespace korva {

namespace {

constexpr std::array<std::pair<std::string_view, char>, 3> kEntities = {{
    {"&amp;", '&'},
    {"&lt;", '<'},
    {"&gt;", '>'},
}};

std::string OneLine(std::string_view tag) {
  std::string line;
  line.reserve(tag.size());
  for (std::size_t i = 0; i < tag.size(); ++i) {
    if (tag[i] == '\r' && i + 1 < tag.size() && tag[i + 1] == '\n') continue;
    line += tag[i] == '\r' || tag[i] == '\n' ? ' ' : tag[i];
  }
  return line;
}

}  // namespace

std::string KtsTagText(std::string_view tag) { return XmlElementText(OneLine(tag)); }

std::string TagFromKtsText(std::string_view text) {
  std::string tag;
  tag.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    bool replaced = false;
    for (const auto& [entity, character] : kEntities) {
      if (text.substr(i, entity.size()) != entity) continue;
      tag += character;
      i += entity.size();
      replaced = true;
      break;
    }
    if (!replaced) tag += text[i++];
  }
  return tag;
}

}  // namespace korva
