#include "foundation/XmlReader.h"

#include "support/TestFolders.h"

#include <gtest/gtest.h>
#include <random>

namespace qor {
namespace {

std::vector<std::string> Texts(const CXmlReader& reader)
{
    std::vector<std::string> texts;
    reader.Root().VisitTexts([&](const std::string& text, const CXmlNode&) { texts.push_back(text); });
    return texts;
}

TEST(XmlReader, ReadsListsWrittenWithCrCrLfLineEnds)
{
    CXmlReader reader;
    ASSERT_TRUE(reader.Parse("<root>\r\r\n   <rec>/calls/A B/User-20160129-134525.qor</rec>\r\r\n"
                             "   <rec>/calls/x.qor</rec>\r\r\n   <Folder>/calls</Folder>\r\r\n</root>\r\r\n"));
    const CXmlNode& root = reader.Root();
    EXPECT_EQ(root.name, "[Root]");
    ASSERT_EQ(root.children.size(), 1u);
    const CXmlNode& list = root.children[0];
    EXPECT_EQ(list.name, "root");
    ASSERT_EQ(list.children.size(), 3u) << "blank text between elements is not kept";
    EXPECT_EQ(list.children[2].name, "Folder");
    EXPECT_EQ(
        Texts(reader), (std::vector<std::string>{ "/calls/A B/User-20160129-134525.qor", "/calls/x.qor", "/calls" }));
    EXPECT_EQ(reader.Error().code, CXmlReader::kNoError);
}

TEST(XmlReader, MatchesEndTagsWithoutRegardToCaseAndToleratesBareAmpersands)
{
    CXmlReader reader;
    ASSERT_TRUE(reader.Parse("<?xml version=\"1.0\"?>\r\r\n<Root>\r\r\n   <entry id=\"1700000000\">\r\r\n"
                             "      <comment>a > b & c &amp; d &lt;e&gt; &#65;&#x42; &foo; &#;</comment>\r\r\n"
                             "      <file>/calls/Tom & Jerry/x.qor</file>\r\r\n   </ENTRY>\r\r\n</root>\r\r\n"));
    const CXmlNode& root = reader.Root().children.at(0);
    EXPECT_EQ(root.name, "Root");
    const CXmlNode& entry = root.children.at(0);
    ASSERT_NE(entry.Attribute("id"), nullptr);
    EXPECT_EQ(*entry.Attribute("id"), "1700000000");
    EXPECT_EQ(entry.FirstChildElement("comment")->FirstText(), "a > b & c & d <e> AB &foo; &#;");
    EXPECT_EQ(entry.FirstChildElement("file")->FirstText(), "/calls/Tom & Jerry/x.qor");
    EXPECT_EQ(entry.FirstChildElement("File"), nullptr);
}

TEST(XmlReader, TruncatedFileReportsWhereItEndedAndKeepsWhatCameBefore)
{
    CXmlReader reader;
    EXPECT_FALSE(reader.Parse("<root>\r\r\n   <rec>/a.qor</rec>\r\r\n   <rec>/b.q"));
    EXPECT_EQ(reader.Error().code, CXmlReader::kErrorUnexpectedEnd);
    EXPECT_EQ(reader.Error().line, 3);
    EXPECT_EQ(reader.Error().column, 13);
    EXPECT_EQ(reader.Error().message, "Element <rec> is not closed.");
    EXPECT_STREQ(CXmlReader::ErrorText(reader.Error().code), "Unexpected end of file");
    EXPECT_EQ(Texts(reader), (std::vector<std::string>{ "/a.qor" })) << "the cut-off path is not taken";
    EXPECT_EQ(reader.Root().children.at(0).children.size(), 2u);
}

TEST(XmlReader, ReportsMalformedMarkupWithLineAndColumn)
{
    struct Case {
        const char* text;
        int code;
        int line;
        int column;
    };
    const Case cases[] = {
        { "<a>\n<b>x</b>\n</c>", CXmlReader::kErrorMismatchedEndTag, 3, 1 },
        { "<a>\r\n  </a>\r\n</a>", CXmlReader::kErrorUnexpectedEndTag, 3, 1 },
        { "<a>\n x < y\n</a>", CXmlReader::kErrorMalformedTag, 2, 4 },
        { "<a>\r<!-- open", CXmlReader::kErrorUnexpectedEnd, 2, 1 },
        { "<a b=\"1></a>", CXmlReader::kErrorUnexpectedEnd, 1, 4 },
        { "<a", CXmlReader::kErrorUnexpectedEnd, 1, 1 },
        { "<a></ a>", CXmlReader::kErrorMalformedTag, 1, 4 },
        { "<a><![CDATA[x", CXmlReader::kErrorUnexpectedEnd, 1, 4 },
    };
    for (const Case& c : cases) {
        CXmlReader reader;
        EXPECT_FALSE(reader.Parse(c.text)) << c.text;
        EXPECT_EQ(reader.Error().code, c.code) << c.text;
        EXPECT_EQ(reader.Error().line, c.line) << c.text;
        EXPECT_EQ(reader.Error().column, c.column) << c.text;
        EXPECT_FALSE(reader.Error().message.empty());
        EXPECT_EQ(reader.Root().name, "[Root]");
    }
}

TEST(XmlReader, SkipsDeclarationsAndKeepsCdataAndAttributes)
{
    CXmlReader reader;
    ASSERT_TRUE(reader.Parse("<!DOCTYPE x [<!ENTITY e \"v\">]><?pi stuff?>top"
                             "<x a='1' b=2 c d = \"&quot;q&quot;\"/><y><![CDATA[<raw> & ]]></y>"));
    const CXmlNode& root = reader.Root();
    ASSERT_EQ(root.children.size(), 3u);
    EXPECT_EQ(root.children[0].text, "top");
    const CXmlNode& x = root.children[1];
    ASSERT_EQ(x.attributes.size(), 4u);
    EXPECT_EQ(*x.Attribute("a"), "1");
    EXPECT_EQ(*x.Attribute("b"), "2");
    EXPECT_EQ(*x.Attribute("c"), "");
    EXPECT_EQ(*x.Attribute("d"), "\"q\"");
    EXPECT_TRUE(x.children.empty());
    EXPECT_EQ(root.children[2].FirstText(), "<raw> & ");
}

TEST(XmlReader, EmptyInputIsAnEmptyDocument)
{
    CXmlReader reader;
    EXPECT_TRUE(reader.Parse(""));
    EXPECT_TRUE(reader.Root().children.empty());
    EXPECT_TRUE(reader.Parse(" \r\r\n "));
    EXPECT_TRUE(reader.Root().children.empty());
}

TEST(XmlReader, MultiLineTextGetsPlainLineEnds)
{
    CXmlReader reader;
    ASSERT_TRUE(reader.Parse("<c>one\r\r\ntwo\r\nthree\rfour\nfive</c>"));
    EXPECT_EQ(reader.Root().children[0].FirstText(), "one\ntwo\nthree\nfour\nfive");
}

TEST(XmlReader, RefusesNestingDeeperThanItsLimit)
{
    std::string deep;
    for (std::size_t i = 0; i < CXmlReader::kMaxDepth + 10; ++i)
        deep += "<a>";
    CXmlReader reader;
    EXPECT_FALSE(reader.Parse(deep));
    EXPECT_EQ(reader.Error().code, CXmlReader::kErrorTooDeep);
}

TEST(XmlReader, ParseFileReadsFromDiskAndReportsAMissingFile)
{
    test::CTempFolder folder;
    test::WriteFileText(folder.File("list.reclist"), "<root>\r\n   <rec>/a.qor</rec>\r\n</root>\r\n");
    CXmlReader reader;
    ASSERT_TRUE(reader.ParseFile(folder.File("list.reclist")));
    EXPECT_EQ(Texts(reader), (std::vector<std::string>{ "/a.qor" }));

    EXPECT_FALSE(reader.ParseFile(folder.File("missing.reclist")));
    EXPECT_EQ(reader.Error().code, CXmlReader::kErrorCannotRead);
    EXPECT_TRUE(reader.Root().children.empty());
}

TEST(XmlReader, SurvivesRandomAndMutatedInput)
{
    const std::string seed = "<Root>\r\r\n <entry id=\"1\"><calls><call_id>5</call_id><file>/a&b.qor</file>"
                             "</calls></entry><!-- x --><![CDATA[y]]></root>";
    std::mt19937 random(12345);
    for (int round = 0; round < 3000; ++round) {
        std::string input = seed;
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits && !input.empty(); ++e) {
            const std::size_t at = random() % input.size();
            switch (random() % 3) {
            case 0:
                input[at] = static_cast<char>(random() % 256);
                break;
            case 1:
                input.erase(at, 1 + random() % 4);
                break;
            default:
                input.insert(at, 1, "<>&/\"'![]-?"[random() % 11]);
                break;
            }
        }
        CXmlReader reader;
        const bool ok = reader.Parse(input);
        EXPECT_EQ(ok, reader.Error().code == CXmlReader::kNoError);
        if (!ok) {
            EXPECT_GE(reader.Error().line, 1);
            EXPECT_GE(reader.Error().column, 1);
        }
    }
}

} // namespace
} // namespace qor
