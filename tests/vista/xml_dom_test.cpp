// The XML DOM port: what the profile builder relies on, and its failures as answers.
#include "platform/xml_dom.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using platform::XmlDocument;
using platform::XmlNode;

constexpr const char* kOuter = "urn:outer";
constexpr const char* kInner = "urn:inner";

constexpr const char* kDocument =
    "<?xml version=\"1.0\"?>\n"
    "<root xmlns=\"urn:outer\"><a>one</a><b><c xmlns=\"urn:inner\">two</c></b></root>";

void Load(XmlDocument& document) {
  ASSERT_TRUE(document.LoadXml(kDocument));
  document.SetSelectionNamespaces({{"o", kOuter}, {"i", kInner}});
}

TEST(XmlDomTest, SelectsByPrefixedPathsOnly) {
  XmlDocument document;
  Load(document);
  EXPECT_EQ(document.Text(document.SelectSingleNode("/o:root/o:a")), "one");
  const XmlNode inner = document.SelectSingleNode("/o:root/o:b/i:c");
  EXPECT_EQ(document.Text(inner), "two");
  EXPECT_EQ(document.LocalName(inner), "c");
  EXPECT_EQ(document.NamespaceName(inner), kInner);
  // Names without their namespace, unknown prefixes and broken expressions select nothing.
  EXPECT_FALSE(document.SelectSingleNode("/root/a"));
  EXPECT_FALSE(document.SelectSingleNode("/o:root/o:b/o:c"));
  EXPECT_FALSE(document.SelectSingleNode("/x:root"));
  EXPECT_FALSE(document.SelectSingleNode("/o:root/["));
  // A query for a number is not a node.
  EXPECT_FALSE(document.SelectSingleNode("count(/o:root)"));
}

TEST(XmlDomTest, RefusesTextThatIsNoDocument) {
  XmlDocument document;
  for (const char* text : {"", "<root>", "<a></b>", "text", "<a/><b/>", "<a>&undefined;</a>"}) {
    EXPECT_FALSE(document.LoadXml(text)) << text;
    EXPECT_EQ(document.Xml(), "") << text;
    EXPECT_FALSE(document.SelectSingleNode("/*")) << text;
    EXPECT_FALSE(document.CreateElement("x", "")) << text;
  }
  // An entity from outside is neither fetched nor expanded into the tree.
  ASSERT_TRUE(
      document.LoadXml("<!DOCTYPE r [<!ENTITY e SYSTEM \"file:///etc/hostname\">]>"
                       "<r>&e;</r>"));
  EXPECT_EQ(document.Text(document.SelectSingleNode("/r")), "");
}

TEST(XmlDomTest, AppendedElementsTakeTheNamespaceInScope) {
  XmlDocument document;
  Load(document);
  const XmlNode root = document.SelectSingleNode("/o:root");
  const XmlNode same = document.CreateElement("o:d", kOuter);
  ASSERT_TRUE(same);
  ASSERT_TRUE(document.AppendChild(root, same));
  ASSERT_TRUE(document.SetText(same, "three"));
  const XmlNode other = document.CreateElement("i:e", kInner);
  ASSERT_TRUE(document.AppendChild(root, other));
  ASSERT_TRUE(document.SetText(other, "four"));

  const std::string xml = document.Xml();
  EXPECT_EQ(xml.rfind("<?xml version=\"1.0\"?>\n", 0), 0u) << xml;
  // The default namespace of the root serves the first; the second declares its own.
  EXPECT_NE(xml.find("<d>three</d>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<i:e xmlns:i=\"urn:inner\">four</i:e>"), std::string::npos) << xml;
  XmlDocument again;
  ASSERT_TRUE(again.LoadXml(xml));
  again.SetSelectionNamespaces({{"p", kOuter}, {"q", kInner}});
  EXPECT_EQ(again.Text(again.SelectSingleNode("/p:root/p:d")), "three");
  EXPECT_EQ(again.Text(again.SelectSingleNode("/p:root/q:e")), "four");
  // Last child of its parent, after what was there.
  EXPECT_TRUE(again.SelectSingleNode("/p:root/p:b/following-sibling::p:d"));

  // A node is placed once, and only under an element of its own document.
  EXPECT_FALSE(document.AppendChild(root, same));
  XmlDocument stranger;
  Load(stranger);
  const XmlNode foreign = stranger.CreateElement("o:f", kOuter);
  EXPECT_FALSE(document.AppendChild(root, foreign));
  EXPECT_FALSE(document.AppendChild(XmlNode(), document.CreateElement("g", "")));
  for (const char* bad : {"", "1x", "a:", ":a", "a:b:c", "a b"}) {
    EXPECT_FALSE(document.CreateElement(bad, kOuter)) << bad;
  }
}

TEST(XmlDomTest, TextReplacesChildrenAndIsEscaped) {
  XmlDocument document;
  Load(document);
  const XmlNode b = document.SelectSingleNode("/o:root/o:b");
  ASSERT_TRUE(document.SetText(b, "x < y & \"z\" > 'w' &amp;"));
  EXPECT_FALSE(document.SelectSingleNode("/o:root/o:b/i:c"));
  EXPECT_EQ(document.Text(b), "x < y & \"z\" > 'w' &amp;");
  const std::string xml = document.Xml();
  EXPECT_NE(xml.find("<b>x &lt; y &amp; \"z\" &gt; 'w' &amp;amp;</b>"), std::string::npos) << xml;

  // Characters beyond ASCII stay characters; what XML cannot carry is refused.
  ASSERT_TRUE(document.SetText(b, "caf\xC3\xA9 \xF0\x9F\x93\xB6"));
  EXPECT_NE(document.Xml().find("<b>caf\xC3\xA9 \xF0\x9F\x93\xB6</b>"), std::string::npos);
  for (const std::string& bad :
       {std::string("\xE9t\xE9"), std::string("a\x01"), std::string("\xC0\xAF"),
        std::string("\xED\xA0\x80"), std::string("\xEF\xBF\xBE"), std::string("a\0b", 3)}) {
    EXPECT_FALSE(document.SetText(b, bad));
  }
  EXPECT_EQ(document.Text(b), "caf\xC3\xA9 \xF0\x9F\x93\xB6");
  EXPECT_TRUE(platform::IsXmlText("tab\tline\nreturn\r"));
}

// Documents on several threads at once share libxml2's one set-up.
TEST(XmlDomTest, DocumentsOnSeveralThreads) {
  std::vector<std::thread> threads;
  std::vector<int> found(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&found, t] {
      for (int i = 0; i < 50; ++i) {
        XmlDocument document;
        if (!document.LoadXml(kDocument)) return;
        document.SetSelectionNamespaces({{"o", kOuter}});
        // Created and left loose: the document frees it.
        document.CreateElement("o:loose", kOuter);
        if (document.Text(document.SelectSingleNode("/o:root/o:a")) == "one") ++found[t];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(found, std::vector<int>(4, 50));
}

}  // namespace
