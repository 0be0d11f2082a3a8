#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korva {

// An element of an XML document as the N42 reader needs it: its name
// without a namespace prefix, its attributes, its character data (entity
// and character references resolved, CDATA kept) and its child elements.
struct XmlElement {
  std::string name;
  std::map<std::string, std::string, std::less<>> attributes;
  std::string text;
  std::vector<XmlElement> children;

  // The first child named `name`; null when there is none.
  const XmlElement* Child(std::string_view childName) const;
  std::vector<const XmlElement*> ChildrenNamed(std::string_view childName) const;
  std::string Attribute(std::string_view attributeName) const;
};

// Either the document's root element or what makes the text no document
// this reader takes: a tag that is not closed, a closing tag that does not
// match, nesting deeper than 64 elements, an unknown entity, text after the
// root. DTDs are skipped, never expanded.
struct XmlParse {
  std::optional<XmlElement> root;
  std::string error;
};
XmlParse ParseXmlTree(std::string_view text);

}  // namespace korva
