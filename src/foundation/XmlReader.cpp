#include "foundation/XmlReader.h"

#include "foundation/AtomicFile.h"
#include "foundation/XmlEscape.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <vector>

namespace qor {
namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsNameStart(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return std::isalpha(byte) || c == '_' || c == ':' || byte >= 0x80;
}

bool IsNameChar(char c)
{
    return IsNameStart(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '.';
}

class Parser {
public:
    Parser(std::string_view text, IXmlHandler& handler, CXmlError& error)
        : m_text(text)
        , m_handler(handler)
        , m_error(error)
    {
        m_open.emplace_back(CXmlReader::kRootName);
    }

    bool Run()
    {
        while (m_pos < m_text.size()) {
            const bool ok = m_text[m_pos] == '<' ? Markup() : Text();
            if (!ok)
                return false;
        }
        if (m_open.size() > 1)
            return Fail(
                m_text.size(), CXmlReader::kErrorUnexpectedEnd, "Element <" + m_open.back() + "> is not closed.");
        return true;
    }

private:
    bool StartsWith(std::string_view prefix) const { return m_text.substr(m_pos, prefix.size()) == prefix; }

    void SkipBlanks()
    {
        while (m_pos < m_text.size() && IsBlank(m_text[m_pos]))
            ++m_pos;
    }

    std::string_view Name()
    {
        const std::size_t start = m_pos;
        if (m_pos < m_text.size() && IsNameStart(m_text[m_pos]))
            while (m_pos < m_text.size() && IsNameChar(m_text[m_pos]))
                ++m_pos;
        return m_text.substr(start, m_pos - start);
    }

    // Skips from the current position to just after terminator; fails at the end of the text.
    bool SkipPast(std::string_view terminator, std::size_t start, const char* what)
    {
        const std::size_t found = m_text.find(terminator, m_pos);
        if (found == std::string_view::npos)
            return Fail(start, CXmlReader::kErrorUnexpectedEnd, std::string(what) + " is not closed.");
        m_pos = found + terminator.size();
        return true;
    }

    bool Markup()
    {
        const std::size_t start = m_pos;
        if (StartsWith("<!--"))
            return SkipPast("-->", start, "Comment");
        if (StartsWith("<![CDATA[")) {
            m_pos += 9;
            const std::size_t contentStart = m_pos;
            if (!SkipPast("]]>", start, "CDATA section"))
                return false;
            AddText(std::string(m_text.substr(contentStart, m_pos - 3 - contentStart)));
            return true;
        }
        if (StartsWith("<?"))
            return SkipPast("?>", start, "Processing instruction");
        if (StartsWith("<!"))
            return Declaration(start);
        if (StartsWith("</"))
            return EndTag(start);
        return StartTag(start);
    }

    // A DOCTYPE or similar declaration, possibly with an internal subset in brackets.
    bool Declaration(std::size_t start)
    {
        int brackets = 0;
        for (; m_pos < m_text.size(); ++m_pos) {
            const char c = m_text[m_pos];
            if (c == '[')
                ++brackets;
            else if (c == ']')
                --brackets;
            else if (c == '>' && brackets <= 0) {
                ++m_pos;
                return true;
            }
        }
        return Fail(start, CXmlReader::kErrorUnexpectedEnd, "Declaration is not closed.");
    }

    bool EndTag(std::size_t start)
    {
        m_pos += 2;
        const std::string_view name = Name();
        SkipBlanks();
        if (m_pos >= m_text.size())
            return Fail(start, CXmlReader::kErrorUnexpectedEnd, "End tag is not closed.");
        if (name.empty() || m_text[m_pos] != '>')
            return Fail(start, CXmlReader::kErrorMalformedTag, "Malformed end tag.");
        ++m_pos;
        if (m_open.size() == 1)
            return Fail(
                start, CXmlReader::kErrorUnexpectedEndTag, "End tag </" + std::string(name) + "> has no start tag.");
        if (!EqualsIgnoringCase(name, m_open.back()))
            return Fail(start, CXmlReader::kErrorMismatchedEndTag,
                "End tag </" + std::string(name) + "> does not close <" + m_open.back() + ">.");
        m_open.pop_back();
        m_handler.EndElement();
        return true;
    }

    bool StartTag(std::size_t start)
    {
        ++m_pos;
        const std::string_view name = Name();
        if (name.empty())
            return Fail(start, CXmlReader::kErrorMalformedTag, "A tag must start with a name.");
        CXmlNode element;
        element.name = std::string(name);
        for (;;) {
            SkipBlanks();
            if (m_pos >= m_text.size())
                return Fail(start, CXmlReader::kErrorUnexpectedEnd, "Tag <" + element.name + "> is not closed.");
            if (m_text[m_pos] == '>') {
                ++m_pos;
                return OpenElement(std::move(element), start);
            }
            if (StartsWith("/>")) {
                m_pos += 2;
                m_handler.StartElement(std::move(element));
                m_handler.EndElement();
                return true;
            }
            if (!Attribute(element, start))
                return false;
        }
    }

    bool Attribute(CXmlNode& element, std::size_t tagStart)
    {
        const std::size_t start = m_pos;
        const std::string_view name = Name();
        if (name.empty())
            return Fail(start, CXmlReader::kErrorMalformedTag, "Malformed attribute in <" + element.name + ">.");
        SkipBlanks();
        std::string value;
        if (m_pos < m_text.size() && m_text[m_pos] == '=') {
            ++m_pos;
            SkipBlanks();
            if (m_pos >= m_text.size())
                return Fail(tagStart, CXmlReader::kErrorUnexpectedEnd, "Tag <" + element.name + "> is not closed.");
            const char quote = m_text[m_pos];
            if (quote == '"' || quote == '\'') {
                const std::size_t close = m_text.find(quote, m_pos + 1);
                if (close == std::string_view::npos)
                    return Fail(start, CXmlReader::kErrorUnexpectedEnd, "Attribute value is not closed.");
                value = DecodeXmlText(m_text.substr(m_pos + 1, close - m_pos - 1));
                m_pos = close + 1;
            } else {
                // Tolerated: a value without quotes runs to the next blank or the end of the tag.
                const std::size_t valueStart = m_pos;
                while (m_pos < m_text.size() && !IsBlank(m_text[m_pos]) && m_text[m_pos] != '>' && !StartsWith("/>"))
                    ++m_pos;
                value = DecodeXmlText(m_text.substr(valueStart, m_pos - valueStart));
            }
        }
        element.attributes.emplace_back(std::string(name), std::move(value));
        return true;
    }

    bool OpenElement(CXmlNode&& element, std::size_t start)
    {
        if (m_open.size() > CXmlReader::kMaxDepth)
            return Fail(start, CXmlReader::kErrorTooDeep, "Elements are nested too deeply.");
        m_open.push_back(element.name);
        m_handler.StartElement(std::move(element));
        return true;
    }

    bool Text()
    {
        const std::size_t start = m_pos;
        const std::size_t end = m_text.find('<', m_pos);
        if (end == std::string_view::npos && m_open.size() > 1) {
            // Text cut off by the end of the file is incomplete; it is not kept.
            m_pos = m_text.size();
            return true;
        }
        m_pos = end == std::string_view::npos ? m_text.size() : end;
        const std::string_view raw = m_text.substr(start, m_pos - start);
        // Most text between elements is layout; it need not be decoded to be dropped.
        if (!std::all_of(raw.begin(), raw.end(), IsBlank))
            AddText(DecodeXmlText(raw));
        return true;
    }

    void AddText(std::string text)
    {
        // No text the program keeps (a path, a name) can hold a NUL, and none is ever written; text
        // of blanks alone is layout, not content.
        std::erase(text, '\0');
        if (std::all_of(text.begin(), text.end(), IsBlank))
            return;
        m_handler.Text(std::move(text), m_open.back());
    }

    bool Fail(std::size_t offset, int code, std::string message)
    {
        int line = 1;
        int column = 1;
        for (std::size_t i = 0; i < offset && i < m_text.size(); ++i) {
            const char c = m_text[i];
            const bool crBeforeLineEnd = c == '\r' && i + 1 < m_text.size()
                && (m_text[i + 1] == '\n' || (m_text[i + 1] == '\r' && i + 2 < m_text.size() && m_text[i + 2] == '\n'));
            if (crBeforeLineEnd)
                continue;
            if (c == '\n' || c == '\r') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        m_error = { line, column, code, std::move(message) };
        return false;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    std::vector<std::string> m_open; // names of the document node, then of every element not yet closed
    IXmlHandler& m_handler;
    CXmlError& m_error;
};

// Builds the tree under the document node.
class CTreeBuilder : public IXmlHandler {
public:
    explicit CTreeBuilder(CXmlNode& root) { m_open.push_back(&root); }

    void StartElement(CXmlNode&& element) override
    {
        CXmlNode& parent = *m_open.back();
        parent.children.push_back(std::move(element));
        // Only the innermost open element gains children, so pointers to its ancestors stay valid.
        m_open.push_back(&parent.children.back());
    }

    void EndElement() override { m_open.pop_back(); }

    void Text(std::string&& text, const std::string&) override
    {
        CXmlNode node;
        node.type = CXmlNode::Type::Text;
        node.text = std::move(text);
        m_open.back()->children.push_back(std::move(node));
    }

private:
    std::vector<CXmlNode*> m_open;
};

// Hands each text to a visitor and keeps nothing.
class CTextVisitor : public IXmlHandler {
public:
    explicit CTextVisitor(const CXmlReader::TextVisitor& visit)
        : m_visit(visit)
    {
    }

    void StartElement(CXmlNode&&) override { }
    void EndElement() override { }
    void Text(std::string&& text, const std::string& parentName) override { m_visit(text, parentName); }

private:
    const CXmlReader::TextVisitor& m_visit;
};

} // namespace

bool CXmlReader::Parse(std::string_view text)
{
    CTreeBuilder builder(m_root);
    return Read(text, builder); // Read resets the tree first
}

bool CXmlReader::ParseFile(const std::string& path)
{
    CTreeBuilder builder(m_root);
    return ReadFile(path, builder);
}

bool CXmlReader::VisitTexts(std::string_view text, const TextVisitor& visit)
{
    CTextVisitor visitor(visit);
    return Read(text, visitor);
}

bool CXmlReader::VisitFileTexts(const std::string& path, const TextVisitor& visit)
{
    CTextVisitor visitor(visit);
    return ReadFile(path, visitor);
}

bool CXmlReader::Read(std::string_view text, IXmlHandler& handler)
{
    m_root.children.clear();
    m_root.attributes.clear();
    m_root.name = kRootName;
    m_error = CXmlError{};
    return Parser(text, handler, m_error).Run();
}

bool CXmlReader::ReadFile(const std::string& path, IXmlHandler& handler)
{
    std::string content;
    if (ReadWholeFile(path, content))
        return Read(content, handler);
    m_root.children.clear();
    m_root.attributes.clear();
    m_root.name = kRootName;
    m_error = { 0, 0, kErrorCannotRead, "Cannot read " + path + "." };
    return false;
}

const char* CXmlReader::ErrorText(int code)
{
    switch (code) {
    case kNoError:
        return "No error";
    case kErrorUnexpectedEnd:
        return "Unexpected end of file";
    case kErrorMalformedTag:
        return "Malformed tag";
    case kErrorMismatchedEndTag:
        return "Mismatched end tag";
    case kErrorUnexpectedEndTag:
        return "End tag without start tag";
    case kErrorTooDeep:
        return "Nesting too deep";
    case kErrorCannotRead:
        return "File cannot be read";
    case kErrorNotAList:
        return "Not a recording list";
    default:
        return "Unknown error";
    }
}

bool StartsAsMarkup(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    const auto first = text.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && text[first] == '<';
}

} // namespace qor
