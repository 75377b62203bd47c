#include "foundation/XMLSettings.h"

#include "foundation/AtomicFile.h"
#include "foundation/XmlEscape.h"

#include <cctype>
#include <charconv>
#include <cstring>

namespace qor {

bool ParseLeadingInt(const char* text, int& value)
{
    if (!text)
        return false;
    while (std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    const bool negative = *text == '-';
    if (*text == '+' || *text == '-')
        ++text;
    const char* end = text;
    while (std::isdigit(static_cast<unsigned char>(*end)))
        ++end;
    long long magnitude = 0;
    const auto [stop, error] = std::from_chars(text, end, magnitude);
    if (error != std::errc() || stop == text)
        return false;
    const long long signedValue = negative ? -magnitude : magnitude;
    if (signedValue < INT32_MIN || signedValue > INT32_MAX)
        return false;
    value = static_cast<int>(signedValue);
    return true;
}

bool CRvXMLSettings::LoadDocument(const std::string& path, std::string& rootName, std::string& version)
{
    m_path = path;
    m_document = std::make_shared<tinyxml2::XMLDocument>();
    std::string content;
    // A settings file holds a few dozen values; anything far larger is not one, and parsing it
    // into a tree would cost many times its size.
    constexpr std::uint64_t kLargestSettingsFile = 1 << 20;
    return ReadWholeFile(path, content, kLargestSettingsFile) && ParseDocument(content, rootName, version);
}

bool CRvXMLSettings::ParseDocument(const std::string& content, std::string& rootName, std::string& version)
{
    m_document = std::make_shared<tinyxml2::XMLDocument>();
    if (m_document->Parse(content.data(), content.size()) != tinyxml2::XML_SUCCESS)
        return false;
    const Element* root = GetRootElement();
    if (!root)
        return false;
    rootName = root->Name();
    const char* versionText = root->Attribute("version");
    version = versionText ? versionText : "";
    return true;
}

CRvXMLSettings::Element* CRvXMLSettings::CreateDocument(
    const std::string& path, const std::string& rootName, const std::string& version)
{
    m_path = path;
    m_document = std::make_shared<tinyxml2::XMLDocument>();
    m_document->InsertEndChild(m_document->NewDeclaration(R"(xml version="1.0" encoding="UTF-8")"));
    Element* root = m_document->NewElement(rootName.c_str());
    root->SetAttribute("version", version.c_str());
    m_document->InsertEndChild(root);
    return root;
}

namespace {

// tinyxml2's printer leaves CR and other control characters raw, and its reader turns a raw CR
// into LF; written as references they read back as they were.
class CExactTextPrinter : public tinyxml2::XMLPrinter {
public:
    bool Visit(const tinyxml2::XMLText& text) override
    {
        PushText("", false); // closes the start tag and keeps the text on the element's line
        const std::string escaped = EscapeXmlText(text.Value());
        Write(escaped.data(), escaped.size());
        return true;
    }
};

} // namespace

bool CRvXMLSettings::SaveDocument(mode_t mode)
{
    CExactTextPrinter printer;
    m_document->Print(&printer);
    const std::size_t length = printer.CStrSize() > 0 ? static_cast<std::size_t>(printer.CStrSize()) - 1 : 0;
    return WriteOwnFile(m_path, std::string_view(printer.CStr(), length), mode);
}

CRvXMLSettings::Element* CRvXMLSettings::GetRootElement() const
{
    return m_document->RootElement();
}

CRvXMLSettings::Element* CRvXMLSettings::FirstChild(const char* name, const Element* parent) const
{
    return parent ? const_cast<Element*>(parent->FirstChildElement(name)) : nullptr;
}

CRvXMLSettings::Element* CRvXMLSettings::NextSibling(const char* name, const Element* node) const
{
    return node ? const_cast<Element*>(node->NextSiblingElement(name)) : nullptr;
}

bool CRvXMLSettings::GetAttribute(
    const Element* element, const char* attributeName, const std::string& defaultValue, std::string& value) const
{
    value = defaultValue;
    const char* text = element ? element->Attribute(attributeName) : nullptr;
    if (!text)
        return false;
    value = text;
    return true;
}

bool CRvXMLSettings::GetAttributeInt(
    const Element* element, const char* attributeName, int defaultValue, int& value) const
{
    value = defaultValue;
    return element && ParseLeadingInt(element->Attribute(attributeName), value);
}

bool CRvXMLSettings::GetInt(const Element* element, int defaultValue, int& value) const
{
    value = defaultValue;
    return element && ParseLeadingInt(element->GetText(), value);
}

bool CRvXMLSettings::GetText(const Element* element, const std::string& defaultValue, std::string& value) const
{
    value = defaultValue;
    const char* text = element ? element->GetText() : nullptr;
    if (!text)
        return false;
    value = text;
    return true;
}

CRvXMLSettings::Element* CRvXMLSettings::AddElement(Element* parent, const char* name)
{
    if (!parent)
        return nullptr;
    return parent->InsertNewChildElement(name);
}

void CRvXMLSettings::AddIntText(int value, Element* element)
{
    if (element)
        element->SetText(value);
}

void CRvXMLSettings::AddText(Element* element, const std::string& text)
{
    if (element && !text.empty())
        element->InsertEndChild(m_document->NewText(text.c_str()));
}

void CRvXMLSettings::SetAttribute(Element* element, const char* name, const std::string& text)
{
    if (element)
        element->SetAttribute(name, text.c_str());
}

} // namespace qor
