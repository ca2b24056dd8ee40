#include "platform/xml_dom.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <cstdint>
#include <mutex>
#include <vector>

namespace platform {
namespace {

constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

// libxml2's globals are set up once for the process, whichever thread comes first. They are never
// torn down: xmlCleanupParser must not run while another thread may still use the library, and
// the process's end frees them anyway.
void InitialiseLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { xmlInitParser(); });
}

// Errors are answers of the port, not lines on the process's standard error.
void Quiet(void* /*context*/, xmlError* /*error*/) {}

const xmlChar* Chars(const std::string& text) {
  return reinterpret_cast<const xmlChar*>(text.c_str());
}

std::string Text(const xmlChar* text) {
  return text != nullptr ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

bool IsXmlChar(uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

}  // namespace

bool IsXmlText(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<uint8_t>(text[i]);
    size_t length = 0;
    uint32_t c = 0;
    uint32_t least = 0;
    if (lead < 0x80) {
      length = 1;
      c = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2;
      c = lead & 0x1Fu;
      least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
      c = lead & 0x0Fu;
      least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4;
      c = lead & 0x07u;
      least = 0x10000;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<uint8_t>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      c = (c << 6) | (next & 0x3Fu);
    }
    // Overlong forms and surrogates are not UTF-8.
    if (c < least || (c >= 0xD800 && c <= 0xDFFF) || !IsXmlChar(c)) return false;
    i += length;
  }
  return true;
}

struct XmlDocument::State {
  xmlDocPtr doc = nullptr;
  std::vector<std::pair<std::string, std::string>> prefixes;
  // Elements created and not placed in the tree: the document frees them with itself.
  std::vector<xmlNodePtr> loose;

  void Free() {
    for (xmlNodePtr node : loose) xmlFreeNode(node);
    loose.clear();
    if (doc != nullptr) xmlFreeDoc(doc);
    doc = nullptr;
  }
};

XmlDocument::XmlDocument() : state_(std::make_unique<State>()) {
  InitialiseLibrary();
}

XmlDocument::~XmlDocument() {
  state_->Free();
}

bool XmlDocument::LoadXml(std::string_view text) {
  state_->Free();
  if (text.size() > static_cast<size_t>(INT32_MAX)) return false;
  xmlParserCtxtPtr parser = xmlNewParserCtxt();
  if (parser == nullptr) return false;
  state_->doc = xmlCtxtReadMemory(parser, text.data(), static_cast<int>(text.size()), nullptr,
                                  nullptr, kParseOptions);
  const bool wellFormed = parser->wellFormed != 0;
  xmlFreeParserCtxt(parser);
  if (state_->doc != nullptr && (!wellFormed || xmlDocGetRootElement(state_->doc) == nullptr)) {
    state_->Free();
  }
  return state_->doc != nullptr;
}

void XmlDocument::SetSelectionNamespaces(
    std::vector<std::pair<std::string, std::string>> prefixes) {
  state_->prefixes = std::move(prefixes);
}

XmlNode XmlDocument::SelectSingleNode(const std::string& xpath) const {
  if (state_->doc == nullptr) return XmlNode();
  xmlXPathContextPtr context = xmlXPathNewContext(state_->doc);
  if (context == nullptr) return XmlNode();
  context->error = Quiet;
  for (const auto& [prefix, name] : state_->prefixes) {
    xmlXPathRegisterNs(context, Chars(prefix), Chars(name));
  }
  XmlNode found;
  xmlXPathObjectPtr result = xmlXPathEvalExpression(Chars(xpath), context);
  if (result != nullptr && result->type == XPATH_NODESET && result->nodesetval != nullptr &&
      result->nodesetval->nodeNr > 0) {
    found = XmlNode(result->nodesetval->nodeTab[0]);
  }
  xmlXPathFreeObject(result);
  xmlXPathFreeContext(context);
  return found;
}

XmlNode XmlDocument::CreateElement(const std::string& qualifiedName,
                                   const std::string& namespaceName) {
  if (state_->doc == nullptr) return XmlNode();
  const size_t colon = qualifiedName.find(':');
  const std::string prefix = colon == std::string::npos ? "" : qualifiedName.substr(0, colon);
  const std::string local =
      colon == std::string::npos ? qualifiedName : qualifiedName.substr(colon + 1);
  if (local.empty() || xmlValidateNCName(Chars(local), 0) != 0 ||
      (colon != std::string::npos && xmlValidateNCName(Chars(prefix), 0) != 0)) {
    return XmlNode();
  }
  xmlNodePtr node = xmlNewDocNode(state_->doc, nullptr, Chars(local), nullptr);
  if (node == nullptr) return XmlNode();
  state_->loose.push_back(node);
  if (!namespaceName.empty()) {
    xmlNsPtr ns = xmlNewNs(node, Chars(namespaceName), prefix.empty() ? nullptr : Chars(prefix));
    if (ns == nullptr) return XmlNode();
    xmlSetNs(node, ns);
  }
  return XmlNode(node);
}

bool XmlDocument::AppendChild(XmlNode parent, XmlNode child) {
  xmlNodePtr to = static_cast<xmlNodePtr>(parent.node_);
  xmlNodePtr node = static_cast<xmlNodePtr>(child.node_);
  if (to == nullptr || node == nullptr || node->parent != nullptr || node->doc != state_->doc ||
      to->doc != state_->doc || to->type != XML_ELEMENT_NODE) {
    return false;
  }
  if (xmlAddChild(to, node) == nullptr) return false;
  std::erase(state_->loose, node);  // the tree owns it now
  // The element's own declaration is dropped when the parent's scope already binds its
  // namespace (the document then reads as if written by hand), as long as nothing below it
  // uses that declaration.
  if (node->nsDef != nullptr && node->nsDef->next == nullptr && node->ns == node->nsDef &&
      node->children == nullptr) {
    xmlNsPtr inScope = xmlSearchNsByHref(state_->doc, to, node->ns->href);
    if (inScope != nullptr) {
      xmlNsPtr own = node->nsDef;
      node->nsDef = nullptr;
      node->ns = inScope;
      xmlFreeNs(own);
    }
  }
  return true;
}

bool XmlDocument::SetText(XmlNode node, std::string_view text) {
  xmlNodePtr target = static_cast<xmlNodePtr>(node.node_);
  if (target == nullptr || target->doc != state_->doc || !IsXmlText(text)) return false;
  if (text.size() > static_cast<size_t>(INT32_MAX)) return false;
  xmlNodePtr textNode = xmlNewDocTextLen(state_->doc, reinterpret_cast<const xmlChar*>(text.data()),
                                         static_cast<int>(text.size()));
  if (textNode == nullptr) return false;
  // Without content the old children go and nothing is parsed.
  xmlNodeSetContent(target, nullptr);
  if (xmlAddChild(target, textNode) == nullptr) {
    xmlFreeNode(textNode);
    return false;
  }
  return true;
}

std::string XmlDocument::Text(XmlNode node) const {
  xmlNodePtr target = static_cast<xmlNodePtr>(node.node_);
  if (target == nullptr) return {};
  xmlChar* content = xmlNodeGetContent(target);
  std::string text = platform::Text(content);
  xmlFree(content);
  return text;
}

std::string XmlDocument::LocalName(XmlNode node) const {
  xmlNodePtr target = static_cast<xmlNodePtr>(node.node_);
  return target != nullptr ? platform::Text(target->name) : std::string();
}

std::string XmlDocument::NamespaceName(XmlNode node) const {
  xmlNodePtr target = static_cast<xmlNodePtr>(node.node_);
  return target != nullptr && target->ns != nullptr ? platform::Text(target->ns->href)
                                                    : std::string();
}

std::string XmlDocument::Xml() const {
  if (state_->doc == nullptr) return {};
  xmlBufferPtr buffer = xmlBufferCreate();
  if (buffer == nullptr) return {};
  // Characters stay characters (no references for what is not ASCII); the declaration is ours.
  xmlSaveCtxtPtr save = xmlSaveToBuffer(buffer, "UTF-8", XML_SAVE_NO_DECL);
  std::string text;
  if (save != nullptr) {
    const long saved = xmlSaveDoc(save, state_->doc);
    xmlSaveClose(save);
    if (saved >= 0) {
      text = "<?xml version=\"1.0\"?>\n";
      text.append(reinterpret_cast<const char*>(xmlBufferContent(buffer)),
                  static_cast<size_t>(xmlBufferLength(buffer)));
    }
  }
  xmlBufferFree(buffer);
  return text;
}

}  // namespace platform
