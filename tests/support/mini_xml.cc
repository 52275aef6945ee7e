#include "tests/support/mini_xml.h"

#include <cctype>

namespace testing_support {
namespace {

class Reader {
 public:
  explicit Reader(std::string_view s) : s_(s) {}

  XmlElement document() {
    skip_prolog();
    if (!starts("<")) fail("no root element");
    XmlElement root = element();
    skip_misc();
    if (pos_ != s_.size()) fail("content after the root element");
    return root;
  }

 private:
  [[noreturn]] void fail(const std::string& what) const {
    throw XmlError(what + " at byte " + std::to_string(pos_));
  }
  bool starts(std::string_view t) const { return s_.substr(pos_, t.size()) == t; }
  void expect(std::string_view t) {
    if (!starts(t)) fail("expected '" + std::string(t) + "'");
    pos_ += t.size();
  }
  void skip_space() {
    while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) ++pos_;
  }
  void skip_until(std::string_view end) {
    size_t at = s_.find(end, pos_);
    if (at == std::string_view::npos) fail("unterminated '" + std::string(end) + "'");
    pos_ = at + end.size();
  }
  // Comments and white space between the parts of the document.
  void skip_misc() {
    for (;;) {
      skip_space();
      if (starts("<!--"))
        skip_until("-->");
      else
        return;
    }
  }
  void skip_prolog() {
    skip_misc();
    if (starts("<?xml")) skip_until("?>");
    skip_misc();
  }

  static bool name_char(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == ':' ||
           c == '.';
  }
  std::string name() {
    size_t start = pos_;
    while (pos_ < s_.size() && name_char(s_[pos_])) ++pos_;
    if (start == pos_) fail("a name was expected");
    return std::string(s_.substr(start, pos_ - start));
  }

  // Character data up to `stop`, entities decoded; '<' is never allowed inside.
  std::string characters(char stop) {
    std::string out;
    while (pos_ < s_.size() && s_[pos_] != stop) {
      char c = s_[pos_];
      if (c == '<') fail("'<' inside a value");
      if (c == '&') {
        static constexpr std::pair<std::string_view, char> kEntities[] = {
            {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
        bool known = false;
        for (auto [entity, value] : kEntities) {
          if (starts(entity)) {
            out += value;
            pos_ += entity.size();
            known = true;
            break;
          }
        }
        if (!known) fail("an unknown entity");
        continue;
      }
      if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
        fail("a control character");
      out += c;
      ++pos_;
    }
    return out;
  }

  XmlElement element() {
    expect("<");
    XmlElement e;
    e.name = name();
    for (;;) {
      const size_t before = pos_;
      skip_space();
      if (starts("/>")) {
        pos_ += 2;
        return e;
      }
      if (starts(">")) {
        ++pos_;
        break;
      }
      if (before == pos_) fail("white space was expected before an attribute");
      std::string key = name();
      skip_space();
      expect("=");
      skip_space();
      if (pos_ >= s_.size() || (s_[pos_] != '"' && s_[pos_] != '\'')) fail("an unquoted value");
      const char quote = s_[pos_++];
      std::string value = characters(quote);
      expect(std::string_view(&quote, 1));
      if (!e.attributes.emplace(key, value).second) fail("attribute '" + key + "' repeated");
    }
    for (;;) {
      e.text += characters('<');
      if (pos_ >= s_.size()) fail("element '" + e.name + "' is not closed");
      if (starts("</")) {
        pos_ += 2;
        if (name() != e.name) fail("a closing tag that does not match '" + e.name + "'");
        skip_space();
        expect(">");
        return e;
      }
      if (starts("<!--")) {
        skip_until("-->");
        continue;
      }
      e.children.push_back(element());
    }
  }

  std::string_view s_;
  size_t pos_ = 0;
};

void collect(const XmlElement& e, const std::string& name, const std::string& cls,
             std::vector<const XmlElement*>* out) {
  for (const XmlElement& c : e.children) {
    if (c.name == name && (cls.empty() || c.attribute("class") == cls)) out->push_back(&c);
    collect(c, name, cls, out);
  }
}

}  // namespace

const XmlElement* XmlElement::by_id(const std::string& id) const {
  if (attribute("id") == id) return this;
  for (const XmlElement& c : children)
    if (const XmlElement* found = c.by_id(id)) return found;
  return nullptr;
}

std::vector<const XmlElement*> XmlElement::all(const std::string& name,
                                               const std::string& cls) const {
  std::vector<const XmlElement*> out;
  collect(*this, name, cls, &out);
  return out;
}

XmlElement parse_xml(std::string_view document) { return Reader(document).document(); }

}  // namespace testing_support
