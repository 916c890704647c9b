#include "xml/XmlNode.h"

#include <gtest/gtest.h>

#include "platform/rtl/Exception.h"
#include "tests/xml/TestSupport.h"
#include "xml/XmlDocument.h"

using namespace xmltest;

TEST(XmlNode, NewDocumentHasDeclarationAndUnnamedRoot) {
  TXmlDocument doc;
  TXmlNode& top = doc.GetContainer();
  ASSERT_EQ(top.GetChildCount(), 2);
  EXPECT_EQ(top.GetChild(0)->WriteToString(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  EXPECT_EQ(doc.GetRoot(), top.GetChild(1));
  EXPECT_TRUE(doc.IsEmpty());
  EXPECT_FALSE(TXmlDocument("Document").IsEmpty()) << "a named root is not blank";
}

TEST(XmlNode, ChildrenByNameWithoutRegardToCase) {
  TXmlDocument doc("Root");
  TXmlNode* root = doc.GetRoot();
  TXmlNode* a = root->AddChild("Alpha");
  TXmlNode* b = root->AddChild("Beta");
  TXmlNode* a2 = root->AddChild("ALPHA");
  EXPECT_EQ(root->FindChild("alpha"), a);
  EXPECT_EQ(root->IndexOfChildNameFrom("Alpha", 1), 2);
  EXPECT_EQ(root->IndexOfChildName("Gamma"), -1);
  EXPECT_EQ(root->FindOrAddChild("BETA"), b);
  TXmlNodeList list;
  root->FindChildren("alpha", list);
  ASSERT_EQ(list.GetCount(), 2);
  EXPECT_EQ(list.GetItem(1), a2);
  TXmlNode* inserted = root->InsertNewChild("b", 1);
  EXPECT_EQ(root->GetChild(1), inserted);
  EXPECT_EQ(root->GetChild(4), nullptr);
  EXPECT_EQ(root->GetChild(-1), nullptr);
  EXPECT_THROW(root->InsertNewChild("x", 5), EListError);
  root->DeleteChild(0);
  root->DeleteChild(5);  // nothing
  EXPECT_EQ(root->GetChild(0)->GetName(), "b");
}

TEST(XmlNode, MovedNodesFollowTheirNewDocumentAndOutliveTheOld) {
  std::unique_ptr<TXmlNode> kept;
  {
    TXmlDocument doc;
    doc.ReadFromString("<Root><Keep a=\"1\">value<Inner>x</Inner></Keep></Root>");
    kept = doc.GetRoot()->DetachChild(doc.GetRoot()->GetChild(0));
    EXPECT_EQ(doc.GetRoot()->DetachChild(kept.get()), nullptr);
  }
  EXPECT_EQ(kept->GetDocument(), nullptr);
  EXPECT_EQ(kept->GetValue(), "value");
  EXPECT_EQ(kept->ReadAttrInteger("a", 0), 1);
  TXmlDocument other("Other");
  EXPECT_EQ(other.GetRoot()->AppendChild(std::move(kept)), 0);
  EXPECT_EQ(other.GetRoot()->GetChild(0)->FindChild("Inner")->GetDocument(), &other);
  EXPECT_EQ(other.GetRoot()->AppendChild(nullptr), -1);

  auto top = TXmlNode::CreateNamed(nullptr, "top");
  TXmlNode* child = top->AddChild("child");
  EXPECT_THROW(child->AppendChild(std::move(top)), EXmlError) << "a node cannot become its own descendant";
}

TEST(XmlNode, NamesWithWhiteSpaceOrMarkupCharactersAreRefused) {
  auto node = TXmlNode::Create(nullptr);
  for (const char* bad : {"a b", "a\tb", "a\nb", "a\rb", "a<b", "a>b", "a&b", "a\"b", "a'b", "a=b", "a/b"})
    EXPECT_EQ(MessageOf([&] { node->SetName(bad); }), std::string("Illegal character in node name \"") + bad + "\"");
  node->SetName("Nom-\xC3\xA9l\xC3\xA9ment_1.x");
  EXPECT_EQ(node->GetName(), "Nom-\xC3\xA9l\xC3\xA9ment_1.x");
  EXPECT_THROW(node->AddChild("two words"), EXmlError);
  EXPECT_THROW(node->AddAttribute("x=y", "1"), EXmlError);
  EXPECT_TRUE(node->IsEmpty());
}

TEST(XmlNode, ValuesAndAttributesAreStoredEscapedAndReadResolved) {
  auto node = TXmlNode::CreateNamed(nullptr, "v");
  node->SetValue("  a&b<c>d'e\"f \r\n");
  EXPECT_EQ(node->WriteToString(), "<v>  a&amp;b&lt;c&gt;d&apos;e&quot;f \r\n</v>");
  EXPECT_EQ(node->GetValue(), "a&b<c>d'e\"f");
  auto comment = TXmlNode::CreateOfKind(nullptr, nkComment);
  comment->SetValue(" a<b ");
  EXPECT_EQ(comment->GetValue(), " a<b ") << "only elements are trimmed";

  node->AddAttribute("Name", "x\"y&z");
  node->AddAttributeInteger("Count", -5);
  EXPECT_EQ(node->GetAttributesText(), " Name=\"x&quot;y&amp;z\" Count=\"-5\"");
  EXPECT_FALSE(node->HasAttribute("Nam"));
  EXPECT_EQ(node->ReadAttrString("NAME"), "x\"y&z");
  EXPECT_EQ(MessageOf([&] { node->GetAttributeName(2); }), "List index out of bounds");
  node->WriteAttrInteger("count", 7, 0);
  EXPECT_EQ(node->GetAttributeCount(), 2);
  EXPECT_EQ(node->ReadAttrInteger("Count", 0), 7);
}

TEST(XmlNode, AssignAndParseFromStringReplaceTheWholeSubtree) {
  TXmlDocument source;
  source.ReadFromString("<R a='1'>v<!--c--><K><L>deep</L></K>tail</R>");
  auto copy = TXmlNode::Create(nullptr);
  copy->Assign(source.GetRoot());
  EXPECT_EQ(copy->WriteToString(), source.GetRoot()->WriteToString());
  // Into its own descendant and from its own descendant.
  TXmlNode* k = source.GetRoot()->FindChild("K");
  k->Assign(source.GetRoot());
  EXPECT_EQ(k->FindChild("K")->FindChild("L")->GetValue(), "deep");
  source.GetRoot()->Assign(k->FindChild("K"));
  EXPECT_EQ(source.GetRoot()->WriteToString(), "<K><L>deep</L></K>");
  EXPECT_THROW(copy->Assign(&source), EConvertError);

  TXmlNode* child = source.GetRoot()->AddChild("Old");
  child->ParseFromString("  <New x=\"1\"><Sub>s</Sub></New><Ignored/>");
  EXPECT_EQ(child->WriteToString(), "<New x=\"1\"><Sub>s</Sub></New>");
  EXPECT_EQ(child->GetChild(0)->GetDocument(), &source);
  child->ParseFromString("no markup");
  EXPECT_TRUE(child->IsBlank());
}
