#include "xml/XmlNode.h"

#include <gtest/gtest.h>

#include "platform/rtl/Exception.h"
#include "xml/XmlDocument.h"

TEST(XmlNode, NewDocumentHasDeclarationAndUnnamedRoot) {
  TXmlDocument doc;
  TXmlNode& top = doc.GetContainer();
  ASSERT_EQ(top.GetChildCount(), 2);
  EXPECT_EQ(top.GetChild(0)->GetKind(), nkDeclaration);
  EXPECT_EQ(top.GetChild(0)->ReadAttrString("version"), "1.0");
  EXPECT_EQ(top.GetChild(0)->ReadAttrString("encoding"), "UTF-8");
  EXPECT_EQ(doc.GetRoot(), top.GetChild(1));
  EXPECT_TRUE(doc.IsEmpty());
  TXmlDocument named("Document");
  EXPECT_EQ(named.GetRoot()->GetName(), "Document");
  EXPECT_FALSE(named.IsEmpty()) << "a named root is not blank";
  EXPECT_FALSE(named.GetRoot()->IsBlank());
}

TEST(XmlNode, ChildrenAreFoundByNameWithoutRegardToCase) {
  TXmlDocument doc("Root");
  TXmlNode* root = doc.GetRoot();
  TXmlNode* a = root->AddChild("Alpha");
  TXmlNode* b = root->AddChild("Beta");
  TXmlNode* a2 = root->AddChild("ALPHA");
  EXPECT_EQ(root->FindChild("alpha"), a);
  EXPECT_EQ(root->IndexOfChildName("beta"), 1);
  EXPECT_EQ(root->IndexOfChildNameFrom("Alpha", 1), 2);
  EXPECT_EQ(root->IndexOfChildName("Gamma"), -1);
  EXPECT_EQ(root->FindOrAddChild("BETA"), b);
  TXmlNode* gamma = root->FindOrAddChild("Gamma");
  EXPECT_EQ(root->GetChildCount(), 4);
  TXmlNodeList list;
  root->FindChildren("alpha", list);
  ASSERT_EQ(list.GetCount(), 2);
  EXPECT_EQ(list.GetItem(0), a);
  EXPECT_EQ(list.GetItem(1), a2);
  EXPECT_EQ(list.GetItem(2), nullptr);
  EXPECT_EQ(root->GetChild(4), nullptr);
  EXPECT_EQ(root->GetChild(-1), nullptr);
  EXPECT_EQ(gamma->GetParent(), root);
  EXPECT_EQ(gamma->GetDocument(), &doc);
}

TEST(XmlNode, InsertDeleteDetachAndAppend) {
  TXmlDocument doc("Root");
  TXmlNode* root = doc.GetRoot();
  root->AddChild("a");
  root->AddChild("c");
  TXmlNode* b = root->InsertNewChild("b", 1);
  EXPECT_EQ(root->GetChild(1), b);
  EXPECT_THROW(root->InsertNewChild("x", 4), EListError);
  std::unique_ptr<TXmlNode> detached = root->DetachChild(b);
  ASSERT_TRUE(detached);
  EXPECT_EQ(detached->GetParent(), nullptr);
  EXPECT_EQ(detached->GetDocument(), nullptr);
  EXPECT_EQ(root->GetChildCount(), 2);
  EXPECT_EQ(root->DetachChild(b), nullptr);

  TXmlDocument other("Other");
  detached->AddChild("inner");
  EXPECT_EQ(other.GetRoot()->AppendChild(std::move(detached)), 0);
  EXPECT_EQ(other.GetRoot()->GetChild(0)->GetChild(0)->GetDocument(), &other);
  EXPECT_EQ(root->AppendChild(nullptr), -1);

  root->DeleteChild(0);
  EXPECT_EQ(root->GetChild(0)->GetName(), "c");
  root->DeleteChild(5);  // nothing
  root->GetChild(0)->DeleteSelf();
  EXPECT_EQ(root->GetChildCount(), 0);

  auto fresh = TXmlNode::CreateNamedValue(nullptr, "Fresh", "v");
  fresh->DeleteSelf();  // without parent it stays the caller's
  EXPECT_EQ(fresh->GetValue(), "v");
  EXPECT_THROW(root->InsertChild(TXmlNode::Create(nullptr), 2), EListError);
}

TEST(XmlNode, NodeCannotBecomeItsOwnDescendant) {
  auto top = TXmlNode::CreateNamed(nullptr, "top");
  TXmlNode* child = top->AddChild("child");
  EXPECT_THROW(child->AppendChild(std::move(top)), EXmlError);
}

TEST(XmlNode, DetachedNodesOutliveTheirDocument) {
  std::unique_ptr<TXmlNode> kept;
  {
    TXmlDocument doc;
    doc.ReadFromString("<Root><Keep a=\"1\">value<Inner>x</Inner></Keep></Root>");
    kept = doc.GetRoot()->DetachChild(doc.GetRoot()->GetChild(0));
  }
  EXPECT_EQ(kept->GetName(), "Keep");
  EXPECT_EQ(kept->GetValue(), "value");
  EXPECT_EQ(kept->ReadAttrInteger("a", 0), 1);
  EXPECT_EQ(kept->ReadChildString("Inner"), "x");
}

TEST(XmlNode, NamesWithMarkupCharactersAreRefused) {
  auto node = TXmlNode::Create(nullptr);
  for (const char* bad : {"a b", "a\tb", "a\nb", "a\rb", "a<b", "a>b", "a&b", "a\"b", "a'b", "a=b", "a/b"}) {
    try {
      node->SetName(bad);
      ADD_FAILURE() << bad;
    } catch (const EXmlError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("Illegal character in node name \"") + bad + "\"");
    }
  }
  node->SetName("Nom-\xC3\xA9l\xC3\xA9ment_1.x");
  EXPECT_EQ(node->GetName(), "Nom-\xC3\xA9l\xC3\xA9ment_1.x");
  EXPECT_THROW(node->AddChild("two words"), EXmlError);
  EXPECT_EQ(node->GetChildCount(), 0);
  EXPECT_THROW(node->AddAttribute("x=y", "1"), EXmlError);
}

TEST(XmlNode, ValuesAreStoredEscapedAndReadResolved) {
  auto node = TXmlNode::CreateNamed(nullptr, "v");
  node->SetValue("a&b<c>d'e\"f");
  EXPECT_EQ(node->WriteToString(), "<v>a&amp;b&lt;c&gt;d&apos;e&quot;f</v>");
  EXPECT_EQ(node->GetValue(), "a&b<c>d'e\"f");
  node->SetValue("  padded \r\n");
  EXPECT_EQ(node->GetValue(), "padded");
  auto comment = TXmlNode::CreateOfKind(nullptr, nkComment);
  comment->SetValue(" a<b ");
  EXPECT_EQ(comment->GetValue(), " a<b ");
}

TEST(XmlNode, EmptyAndBlank) {
  auto node = TXmlNode::Create(nullptr);
  EXPECT_TRUE(node->IsBlank());
  node->AddAttribute("a", "1");
  EXPECT_FALSE(node->IsEmpty());
  node->ClearAttributes();
  EXPECT_TRUE(node->IsEmpty());
  node->SetName("n");
  EXPECT_TRUE(node->IsEmpty());
  EXPECT_FALSE(node->IsBlank());
  node->AddChild("c");
  EXPECT_FALSE(node->IsEmpty());
  node->Clear();
  EXPECT_TRUE(node->IsBlank());
}

TEST(XmlNode, AttributesByNameAndIndex) {
  auto node = TXmlNode::CreateNamed(nullptr, "n");
  node->AddAttribute("Name", "x\"y&z");
  node->AddAttributeInteger("Count", -5);
  EXPECT_EQ(node->GetAttributesText(), " Name=\"x&quot;y&amp;z\" Count=\"-5\"");
  EXPECT_TRUE(node->HasAttribute("name"));
  EXPECT_FALSE(node->HasAttribute("Nam"));
  EXPECT_EQ(node->ReadAttrString("NAME"), "x\"y&z");
  EXPECT_EQ(node->GetAttributeName(1), "Count");
  EXPECT_EQ(node->GetAttributeValue(1), "-5");
  EXPECT_THROW(node->GetAttributeName(2), EListError);
  EXPECT_THROW(node->GetAttributeValue(-1), EListError);
  node->WriteAttrInteger("count", 7, 0);
  EXPECT_EQ(node->GetAttributeCount(), 2);
  EXPECT_EQ(node->ReadAttrInteger("Count", 0), 7);
  node->WriteAttrString("New", "n", "");
  EXPECT_EQ(node->GetAttributeCount(), 3);
}

TEST(XmlNode, AssignCopiesTheWholeSubtree) {
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
  EXPECT_EQ(source.GetRoot()->GetName(), "K");
  EXPECT_EQ(source.GetRoot()->FindChild("L")->GetValue(), "deep");
  EXPECT_THROW(copy->Assign(&source), EConvertError);
}

TEST(XmlNode, ParseFromStringReplacesTheNode) {
  TXmlDocument doc("Root");
  TXmlNode* child = doc.GetRoot()->AddChild("Old");
  child->ParseFromString("  <New x=\"1\"><Sub>s</Sub></New><Ignored/>");
  EXPECT_EQ(child->GetName(), "New");
  EXPECT_EQ(child->ReadAttrInteger("x", 0), 1);
  EXPECT_EQ(child->ReadChildString("Sub"), "s");
  EXPECT_EQ(child->GetChild(0)->GetDocument(), &doc);
  child->ParseFromString("no markup");
  EXPECT_TRUE(child->IsBlank());
}
