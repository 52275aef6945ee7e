// A small XML reader for checking the SVG that scenarioc draws: elements,
// attributes and text, with the five predefined entities. It refuses what is
// not well-formed (an unbalanced or crossed tag, an unquoted or repeated
// attribute, a stray '<' or '&', text after the root).
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

struct XmlElement {
  std::string name;
  std::map<std::string, std::string> attributes;
  std::vector<XmlElement> children;
  std::string text;  // the character data directly inside, joined

  std::string attribute(const std::string& key) const {
    auto it = attributes.find(key);
    return it == attributes.end() ? std::string() : it->second;
  }
  // The first element below (or at) this one whose id is `id`; nullptr if none.
  const XmlElement* by_id(const std::string& id) const;
  // Every element below this one named `name` (and of class `cls` when given).
  std::vector<const XmlElement*> all(const std::string& name, const std::string& cls = "") const;
};

struct XmlError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The root element of `document`; throws XmlError with the byte offset.
XmlElement parse_xml(std::string_view document);

}  // namespace testing_support
