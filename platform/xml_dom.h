// An XML DOM document, as the WLAN profile builder uses one: a document loaded from text, XPath
// queries with registered namespace prefixes, elements created in a namespace and appended, a
// node's text replaced, and the document written back as text. Backed by libxml2; every failure
// is an answer (a null node, false), never an exception.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

class XmlDocument;

// A node of one document; null when a query found nothing or a call failed. Valid as long as its
// document.
class XmlNode {
 public:
  XmlNode() = default;
  explicit operator bool() const { return node_ != nullptr; }
  bool operator==(const XmlNode&) const = default;

 private:
  friend class XmlDocument;
  explicit XmlNode(void* node) : node_(node) {}
  void* node_ = nullptr;
};

class XmlDocument {
 public:
  XmlDocument();
  ~XmlDocument();
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // Replaces the document by the one the text holds (UTF-8 unless it declares otherwise); false,
  // with an empty document, when the text is not well-formed. No network, no external entities.
  bool LoadXml(std::string_view text);
  // The prefixes XPath queries may use, each bound to its namespace name.
  void SetSelectionNamespaces(std::vector<std::pair<std::string, std::string>> prefixes);
  // The first node the XPath expression selects; null when none, or the expression is not valid.
  XmlNode SelectSingleNode(const std::string& xpath) const;
  // A new element, not yet in the tree. qualifiedName is "prefix:local" or "local".
  XmlNode CreateElement(const std::string& qualifiedName, const std::string& namespaceName);
  // Appends child (an element this document created and not yet placed) as the last child of
  // parent. A namespace the parent already has in scope is used instead of declaring it again.
  bool AppendChild(XmlNode parent, XmlNode child);
  // Replaces everything below node by one text node; false when text is not valid UTF-8 or holds
  // a character XML cannot carry.
  bool SetText(XmlNode node, std::string_view text);
  // The text below node, all text nodes joined.
  std::string Text(XmlNode node) const;
  // The local name and namespace name of an element.
  std::string LocalName(XmlNode node) const;
  std::string NamespaceName(XmlNode node) const;
  // The document as UTF-8 text with an XML declaration that names no encoding (the caller picks
  // the encoding it hands the text on in); empty when there is no document.
  std::string Xml() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// True when the text is UTF-8 whose every character XML 1.0 allows in content.
bool IsXmlText(std::string_view text);

}  // namespace platform
