#include "formats/xml_tree.h"

#include <cctype>
#include <cstdint>

namespace korva {

namespace {

constexpr std::size_t kMaxDepth = 64;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view LocalName(std::string_view qualified) {
  const std::size_t colon = qualified.rfind(':');
  return colon == std::string_view::npos ? qualified : qualified.substr(colon + 1);
}

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | code >> 6);
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | code >> 18);
    out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::optional<std::uint32_t> CharacterReference(std::string_view body) {
  const bool hex = body.starts_with("#x");
  const std::string_view digits = body.substr(hex ? 2 : 1);
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  std::uint32_t code = 0;
  for (const char c : digits) {
    const auto byte = static_cast<unsigned char>(c);
    if (hex ? !std::isxdigit(byte) : !std::isdigit(byte)) return std::nullopt;
    code = code * (hex ? 16 : 10) +
           static_cast<std::uint32_t>(std::isdigit(byte) ? c - '0' : std::tolower(byte) - 'a' + 10);
  }
  if (code == 0 || code > 0x10FFFF) return std::nullopt;
  return code;
}

// Resolves the references of character data or an attribute value.
std::optional<std::string> Unescape(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  for (std::size_t at = 0; at < raw.size(); ++at) {
    if (raw[at] != '&') {
      out += raw[at];
      continue;
    }
    const std::size_t end = raw.find(';', at);
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view body = raw.substr(at + 1, end - at - 1);
    if (body == "lt")
      out += '<';
    else if (body == "gt")
      out += '>';
    else if (body == "amp")
      out += '&';
    else if (body == "quot")
      out += '"';
    else if (body == "apos")
      out += '\'';
    else if (body.starts_with('#')) {
      const std::optional<std::uint32_t> code = CharacterReference(body);
      if (!code) return std::nullopt;
      AppendUtf8(out, *code);
    } else {
      return std::nullopt;
    }
    at = end;
  }
  return out;
}

class XmlParser {
 public:
  explicit XmlParser(std::string_view text) : text_(text) {}

  XmlParse Run() {
    while (error_.empty() && at_ < text_.size()) Step();
    if (error_.empty() && !stack_.empty()) error_ = "element <" + stack_.back()->name + "> is not closed";
    if (error_.empty() && !root_) error_ = "no root element";
    if (!error_.empty()) return {std::nullopt, error_};
    return {std::move(root_), {}};
  }

 private:
  void Step() {
    if (text_[at_] != '<') return CharacterData();
    if (Skip("<?", "?>") || Skip("<!--", "-->")) return;
    if (text_.substr(at_).starts_with("<![CDATA[")) return Cdata();
    if (text_.substr(at_).starts_with("<!")) return Declaration();
    if (text_.substr(at_).starts_with("</")) return EndTag();
    StartTag();
  }

  // Skips a construct from `open` to `close`; false when not at `open`.
  bool Skip(std::string_view open, std::string_view close) {
    if (!text_.substr(at_).starts_with(open)) return false;
    const std::size_t end = text_.find(close, at_ + open.size());
    if (end == std::string_view::npos) {
      error_ = "unterminated " + std::string(open);
      return true;
    }
    at_ = end + close.size();
    return true;
  }

  // A document type declaration, its internal subset included, is skipped.
  void Declaration() {
    int brackets = 0;
    for (std::size_t i = at_ + 2; i < text_.size(); ++i) {
      if (text_[i] == '[') ++brackets;
      if (text_[i] == ']') --brackets;
      if (text_[i] == '>' && brackets <= 0) {
        at_ = i + 1;
        return;
      }
    }
    error_ = "unterminated declaration";
  }

  void CharacterData() {
    const std::size_t end = std::min(text_.find('<', at_), text_.size());
    const std::string_view raw = text_.substr(at_, end - at_);
    at_ = end;
    if (stack_.empty()) {
      for (const char c : raw) {
        if (!IsBlank(c)) error_ = "text outside the root element";
      }
      return;
    }
    const std::optional<std::string> text = Unescape(raw);
    if (!text) {
      error_ = "unknown or broken entity reference in <" + stack_.back()->name + ">";
      return;
    }
    stack_.back()->text += *text;
  }

  void Cdata() {
    const std::size_t begin = at_ + 9;
    const std::size_t end = text_.find("]]>", begin);
    if (end == std::string_view::npos || stack_.empty()) {
      error_ = "misplaced or unterminated CDATA section";
      return;
    }
    stack_.back()->text += text_.substr(begin, end - begin);
    at_ = end + 3;
  }

  std::string_view Name() {
    const std::size_t begin = at_;
    while (at_ < text_.size() && !IsBlank(text_[at_]) && text_[at_] != '>' && text_[at_] != '/' &&
           text_[at_] != '=') {
      ++at_;
    }
    return text_.substr(begin, at_ - begin);
  }

  void SkipBlanks() {
    while (at_ < text_.size() && IsBlank(text_[at_])) ++at_;
  }

  void EndTag() {
    at_ += 2;
    const std::string_view name = LocalName(Name());
    SkipBlanks();
    if (at_ >= text_.size() || text_[at_] != '>' || stack_.empty() || stack_.back()->name != name) {
      error_ = "closing tag </" + std::string(name) + "> does not match";
      return;
    }
    ++at_;
    stack_.pop_back();
  }

  bool Attribute(XmlElement& element) {
    const std::string_view name = Name();
    SkipBlanks();
    if (name.empty() || at_ >= text_.size() || text_[at_] != '=') return false;
    ++at_;
    SkipBlanks();
    if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\'')) return false;
    const char quote = text_[at_++];
    const std::size_t end = text_.find(quote, at_);
    if (end == std::string_view::npos) return false;
    const std::optional<std::string> value = Unescape(text_.substr(at_, end - at_));
    if (!value) return false;
    element.attributes[std::string(LocalName(name))] = *value;
    at_ = end + 1;
    return true;
  }

  void StartTag() {
    ++at_;
    XmlElement element;
    element.name = LocalName(Name());
    if (element.name.empty()) {
      error_ = "a tag without a name";
      return;
    }
    for (SkipBlanks(); at_ < text_.size() && text_[at_] != '>' && text_[at_] != '/'; SkipBlanks()) {
      if (!Attribute(element)) {
        error_ = "broken attribute in <" + element.name + ">";
        return;
      }
    }
    const bool empty = text_.substr(at_).starts_with("/>");
    if (!empty && (at_ >= text_.size() || text_[at_] != '>')) {
      error_ = "tag <" + element.name + "> is not closed";
      return;
    }
    at_ += empty ? 2 : 1;
    Place(std::move(element), empty);
  }

  void Place(XmlElement element, bool empty) {
    if (stack_.size() >= kMaxDepth) {
      error_ = "elements nested deeper than " + std::to_string(kMaxDepth);
      return;
    }
    XmlElement* placed = nullptr;
    if (!stack_.empty()) {
      stack_.back()->children.push_back(std::move(element));
      placed = &stack_.back()->children.back();
    } else if (!root_) {
      root_ = std::move(element);
      placed = &*root_;
    } else {
      error_ = "a second root element";
      return;
    }
    if (!empty) stack_.push_back(placed);
  }

  std::string_view text_;
  std::size_t at_ = 0;
  std::optional<XmlElement> root_;
  std::vector<XmlElement*> stack_;
  std::string error_;
};

}  // namespace

const XmlElement* XmlElement::Child(std::string_view childName) const {
  for (const XmlElement& child : children) {
    if (child.name == childName) return &child;
  }
  return nullptr;
}

std::vector<const XmlElement*> XmlElement::ChildrenNamed(std::string_view childName) const {
  std::vector<const XmlElement*> found;
  for (const XmlElement& child : children) {
    if (child.name == childName) found.push_back(&child);
  }
  return found;
}

std::string XmlElement::Attribute(std::string_view attributeName) const {
  const auto found = attributes.find(attributeName);
  return found == attributes.end() ? std::string() : found->second;
}

XmlParse ParseXmlTree(std::string_view text) { return XmlParser(text).Run(); }

}  // namespace korva
