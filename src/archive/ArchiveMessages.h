// What the archiving engine has to tell the user at once (the messages the desktop program shows
// in boxes and the command-line companion prints). The core never writes to a terminal itself.
#pragma once

#include <string>

namespace qor {

class IArchiveMessages {
public:
    enum class Kind { Information, Error };

    virtual ~IArchiveMessages() = default;
    virtual void Show(Kind kind, const std::string& text) = 0;
};

} // namespace qor
