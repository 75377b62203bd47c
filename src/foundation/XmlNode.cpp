#include "foundation/XmlNode.h"

#include <algorithm>
#include <cctype>

namespace qor {

const std::string* CXmlNode::Attribute(std::string_view attributeName) const
{
    for (const auto& [key, value] : attributes)
        if (key == attributeName)
            return &value;
    return nullptr;
}

std::string CXmlNode::FirstText() const
{
    for (const CXmlNode& child : children)
        if (child.IsText())
            return child.text;
    return {};
}

const CXmlNode* CXmlNode::FirstChildElement(std::string_view elementName) const
{
    for (const CXmlNode& child : children)
        if (child.IsElement() && child.name == elementName)
            return &child;
    return nullptr;
}

void CXmlNode::VisitTexts(const std::function<void(const std::string& text, const CXmlNode& parent)>& visit) const
{
    for (const CXmlNode& child : children) {
        if (child.IsText())
            visit(child.text, *this);
        else
            child.VisitTexts(visit);
    }
}

bool EqualsIgnoringCase(std::string_view left, std::string_view right)
{
    return std::equal(left.begin(), left.end(), right.begin(), right.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

} // namespace qor
