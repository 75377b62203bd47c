// One node of the tree that the tolerant XML reader builds: an element with its attributes and
// children, or a piece of text.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qor {

struct CXmlNode {
    enum class Type { Element, Text };

    Type type = Type::Element;
    std::string name; // element name; the document node is "[Root]"
    std::string text; // the content of a text node, entities decoded, line ends as "\n"
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<CXmlNode> children;

    bool IsElement() const { return type == Type::Element; }
    bool IsText() const { return type == Type::Text; }

    // The value of the attribute with exactly this name, or null.
    const std::string* Attribute(std::string_view attributeName) const;
    // The text of the first text child, or empty.
    std::string FirstText() const;
    // The first child element with exactly this name, or null.
    const CXmlNode* FirstChildElement(std::string_view elementName) const;
    // Every text below this node, depth first in document order, with the element that holds it.
    void VisitTexts(const std::function<void(const std::string& text, const CXmlNode& parent)>& visit) const;
};

// ASCII comparison without regard to case, as element names of hand-written files need.
bool EqualsIgnoringCase(std::string_view left, std::string_view right);

} // namespace qor
