// The bookmark being marked in the player: its two ends in samples (-1 while unset) and which of
// the three steps (start, end, clear) comes next. A bookmark is stored in whole seconds, and only
// once it ends after the first second.
#pragma once

#include <cstdint>

namespace qor {

class CBookmarkMarks {
public:
    enum class Step { Start, End, Clear };

    // What the recording should hold after a step: nothing new, or a bookmark (-1, -1: none).
    struct Change {
        bool store = false;
        int startSeconds = -1;
        int endSeconds = -1;
    };

    // The recording's stored bookmark (or none): shown, with Clear next.
    void Load(bool stored, int startSeconds, int endSeconds);
    void Reset() { Load(false, -1, -1); }

    // The step that comes next, at the position: the button shown, and Ctrl+B, one step per press
    // (a shown bookmark is only cleared; the next press starts a new one).
    Change Press(std::int32_t position);
    // "[" and "]": the start or the end at the position, whatever came next; "]" without a start
    // bookmarks from the beginning of the call.
    Change MarkStart(std::int32_t position);
    Change MarkEnd(std::int32_t position);

    std::int32_t Start() const { return m_start; }
    std::int32_t End() const { return m_end; }
    Step Next() const { return m_next; }

private:
    Change Finish(); // orders the two ends and says what to store

    std::int32_t m_start = -1;
    std::int32_t m_end = -1;
    Step m_next = Step::Start;
};

} // namespace qor
