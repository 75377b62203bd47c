// A thin layer over tinyxml2 that loads or creates one XML document at a time and reads or writes
// integer and text values by element name. The settings files and the review and shortcut trees
// are read and written through it; one caller finishes its sequence before the next starts.
#pragma once

#include <memory>
#include <string>
#include <sys/types.h>
#include <tinyxml2.h>

namespace qor {

class CRvXMLSettings {
public:
    using Element = tinyxml2::XMLElement;

    // Remembers the path and replaces the document by the file's content. False when the file
    // cannot be read or parsed, holds no element or is larger than any settings file (1 MiB);
    // rootName and version then stay as they were.
    bool LoadDocument(const std::string& path, std::string& rootName, std::string& version);
    // The same for a file's content read already (through checks of its own).
    bool ParseDocument(const std::string& content, std::string& rootName, std::string& version);
    // Remembers the path and starts a new document with a declaration and a root element.
    Element* CreateDocument(const std::string& path, const std::string& rootName, const std::string& version);
    // Writes the document to the remembered path, replacing the file in one step, with exactly
    // these permission bits: the program's own files are the user's alone unless others must read
    // them, whatever the umask.
    bool SaveDocument(mode_t mode = 0600);

    Element* GetRootElement() const;
    // Children and siblings with exactly this name (case-sensitive); null when there is none.
    Element* FirstChild(const char* name, const Element* parent) const;
    Element* NextSibling(const char* name, const Element* node) const;

    // Each reader sets value to the default first, then to what the element holds; it returns
    // true when the value came from the document.
    bool GetAttribute(
        const Element* element, const char* attributeName, const std::string& defaultValue, std::string& value) const;
    bool GetAttributeInt(const Element* element, const char* attributeName, int defaultValue, int& value) const;
    bool GetInt(const Element* element, int defaultValue, int& value) const;
    bool GetText(const Element* element, const std::string& defaultValue, std::string& value) const;

    Element* AddElement(Element* parent, const char* name);
    void AddIntText(int value, Element* element);
    void AddText(Element* element, const std::string& text);
    void SetAttribute(Element* element, const char* name, const std::string& text);

    const std::string& Path() const { return m_path; }

private:
    std::shared_ptr<tinyxml2::XMLDocument> m_document = std::make_shared<tinyxml2::XMLDocument>();
    std::string m_path;
};

// Reads a decimal integer at the start of text, after optional white space and sign, as "%d" does.
bool ParseLeadingInt(const char* text, int& value);

} // namespace qor
