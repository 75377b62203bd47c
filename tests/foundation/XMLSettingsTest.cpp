#include "foundation/XMLSettings.h"

#include "support/TestFolders.h"

#include <gtest/gtest.h>

namespace qor {
namespace {

using test::WriteFileText;

class XMLSettings : public ::testing::Test {
protected:
    test::CTempFolder folder;
    CRvXMLSettings xml;
};

TEST_F(XMLSettings, LoadsTheRootAndWalksChildrenByExactName)
{
    WriteFileText(folder.File("tree.xml"),
        "<?xml version=\"1.0\"?><!-- c --><Tree version=\"3\">"
        "<item id=\"1\">one</item><Item id=\"x\">skip</Item>"
        "<item id=\"-2\"> 42 </item><item/></Tree>");
    std::string root = "old", version = "old";
    ASSERT_TRUE(xml.LoadDocument(folder.File("tree.xml"), root, version));
    EXPECT_EQ(root, "Tree");
    EXPECT_EQ(version, "3");

    auto* first = xml.FirstChild("item", xml.GetRootElement());
    auto* second = xml.NextSibling("item", first);
    auto* third = xml.NextSibling("item", second);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(xml.NextSibling("item", third), nullptr);

    int number = 0;
    EXPECT_TRUE(xml.GetAttributeInt(second, "id", 9, number));
    EXPECT_EQ(number, -2);
    EXPECT_TRUE(xml.GetInt(second, 9, number));
    EXPECT_EQ(number, 42);
    EXPECT_FALSE(xml.GetInt(third, 9, number)) << "no text";
    EXPECT_EQ(number, 9);
    EXPECT_FALSE(xml.GetInt(nullptr, 5, number));
    EXPECT_EQ(number, 5);

    std::string text;
    EXPECT_TRUE(xml.GetText(first, "d", text));
    EXPECT_EQ(text, "one");
    EXPECT_FALSE(xml.GetText(third, "d", text));
    EXPECT_EQ(text, "d");
    EXPECT_FALSE(xml.GetAttribute(first, "missing", "dflt", text));
    EXPECT_EQ(text, "dflt");
    EXPECT_EQ(xml.FirstChild("item", nullptr), nullptr);
}

TEST_F(XMLSettings, FailsOnMissingMalformedOrEmptyDocuments)
{
    std::string root = "kept", version = "kept";
    EXPECT_FALSE(xml.LoadDocument(folder.File("missing.xml"), root, version));
    WriteFileText(folder.File("bad.xml"), "<a><b></a>");
    EXPECT_FALSE(xml.LoadDocument(folder.File("bad.xml"), root, version));
    EXPECT_EQ(xml.GetRootElement(), nullptr) << "a failed load leaves no stale document";
    WriteFileText(folder.File("empty.xml"), "<?xml version=\"1.0\"?>");
    EXPECT_FALSE(xml.LoadDocument(folder.File("empty.xml"), root, version));
    std::string huge = "<profile>";
    while (huge.size() < (2 << 20))
        huge += "<a/>";
    WriteFileText(folder.File("huge.xml"), huge + "</profile>");
    EXPECT_FALSE(xml.LoadDocument(folder.File("huge.xml"), root, version)) << "no settings file is that large";
    EXPECT_EQ(root, "kept");
}

TEST_F(XMLSettings, CreatedDocumentsSaveAndLoadBack)
{
    auto* root = xml.CreateDocument(folder.File("out.xml"), "Shortcuts", "2");
    auto* item = xml.AddElement(root, "item");
    xml.SetAttribute(item, "name", "A & B <C>");
    xml.AddText(item, "/calls/a&b");
    xml.AddIntText(-7, xml.AddElement(root, "count"));
    EXPECT_EQ(xml.AddElement(nullptr, "x"), nullptr);
    ASSERT_TRUE(xml.SaveDocument());

    CRvXMLSettings reader;
    std::string name, version;
    ASSERT_TRUE(reader.LoadDocument(folder.File("out.xml"), name, version));
    EXPECT_EQ(name, "Shortcuts");
    EXPECT_EQ(version, "2");
    std::string text;
    reader.GetAttribute(reader.FirstChild("item", reader.GetRootElement()), "name", "", text);
    EXPECT_EQ(text, "A & B <C>");
    reader.GetText(reader.FirstChild("item", reader.GetRootElement()), "", text);
    EXPECT_EQ(text, "/calls/a&b");
    int count = 0;
    reader.GetInt(reader.FirstChild("count", reader.GetRootElement()), 0, count);
    EXPECT_EQ(count, -7);
}

TEST_F(XMLSettings, SaveIntoAMissingFolderFails)
{
    xml.CreateDocument(folder.File("no/such/folder/out.xml"), "r", "1");
    EXPECT_FALSE(xml.SaveDocument());
}

TEST(ParseLeadingInt, ReadsLikePercentD)
{
    int value = 0;
    EXPECT_TRUE(ParseLeadingInt("  +12abc", value));
    EXPECT_EQ(value, 12);
    EXPECT_TRUE(ParseLeadingInt("-2147483648", value));
    EXPECT_EQ(value, INT32_MIN);
    value = 5;
    EXPECT_FALSE(ParseLeadingInt("2147483648", value));
    EXPECT_FALSE(ParseLeadingInt("99999999999999999999999", value));
    EXPECT_FALSE(ParseLeadingInt("x1", value));
    EXPECT_FALSE(ParseLeadingInt("-", value));
    EXPECT_FALSE(ParseLeadingInt("", value));
    EXPECT_FALSE(ParseLeadingInt(nullptr, value));
    EXPECT_EQ(value, 5);
}

} // namespace
} // namespace qor
