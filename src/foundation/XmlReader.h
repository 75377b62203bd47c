// A small, forgiving XML reader for the files the program writes line by line without escaping:
// recording lists, the play history, the archive log and the schedule. It accepts CR CR LF, CR LF
// and LF line ends, a bare "&" or ">" in text, and end tags that differ from their start tags in
// case. On malformed input it reports where and why, and keeps everything it read before.
#pragma once

#include "foundation/XmlNode.h"

#include <functional>
#include <string>
#include <string_view>

namespace qor {

struct CXmlError {
    int line = 0; // 1-based; 0 when the error has no position (a file that cannot be read)
    int column = 0; // 1-based, in bytes
    int code = 0; // 0: no error
    std::string message;
};

// What the parser reports as it reads, in document order.
class IXmlHandler {
public:
    virtual void StartElement(CXmlNode&& element) = 0; // name and attributes, no children
    virtual void EndElement() = 0;
    // A piece of text, entities decoded, with the name of the element that holds it.
    virtual void Text(std::string&& text, const std::string& parentName) = 0;

protected:
    ~IXmlHandler() = default;
};

// Whether the text opens, after a byte order mark and blanks, with markup. Settings files are read
// forgivingly; one that opens with anything else (a log, with markup a file name spelled somewhere
// in a line) is no settings file at all.
bool StartsAsMarkup(std::string_view text);

class CXmlReader {
public:
    using TextVisitor = std::function<void(const std::string& text, const std::string& parentName)>;

    static constexpr const char* kRootName = "[Root]";
    static constexpr std::size_t kMaxDepth = 256;

    enum ErrorCode : int {
        kNoError = 0,
        kErrorUnexpectedEnd = 1,
        kErrorMalformedTag = 2,
        kErrorMismatchedEndTag = 3,
        kErrorUnexpectedEndTag = 4,
        kErrorTooDeep = 5,
        kErrorCannotRead = 6,
        kErrorNotAList = 7,
    };

    // Parses text into a new tree under the "[Root]" node; false on malformed input.
    bool Parse(std::string_view text);
    // Reads a whole file and parses it.
    bool ParseFile(const std::string& path);
    // Reads like Parse but builds no tree: each text goes to visit with the name of the element
    // that holds it ("[Root]" at the top), so a file costs memory for what the caller keeps, not
    // for its markup. What was visited before an error stays visited.
    bool VisitTexts(std::string_view text, const TextVisitor& visit);
    bool VisitFileTexts(const std::string& path, const TextVisitor& visit);

    const CXmlNode& Root() const { return m_root; }
    const CXmlError& Error() const { return m_error; }

    // The fixed text for an error number.
    static const char* ErrorText(int code);

    // Reads with a handler of the caller's, building nothing; the tree stays empty.
    bool Read(std::string_view text, IXmlHandler& handler);
    bool ReadFile(const std::string& path, IXmlHandler& handler);

private:
    CXmlNode m_root;
    CXmlError m_error;
};

} // namespace qor
