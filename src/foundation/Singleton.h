// Process-wide single instances of the managers: created on first use, shared through a
// reference-counted pointer, released at exit (or earlier through Release, for orderly shut-down and tests).
#pragma once

#include <memory>
#include <mutex>
#include <type_traits>

namespace qor {

class CRvLogger;

template <typename T> class Singleton {
public:
    static std::shared_ptr<T> Instance()
    {
        // Destructors of other instances write to the log (a thread logs its join), so the log's
        // slot is made before theirs, and static destruction therefore takes it down after them.
        if constexpr (!std::is_same_v<T, CRvLogger>) {
            static const bool logSlotFirst = (Singleton<CRvLogger>::MakeSlot(), true);
            (void)logSlotFirst;
        }
        std::lock_guard guard(Mutex());
        std::shared_ptr<T>& slot = Slot();
        if (!slot)
            slot = std::make_shared<T>();
        return slot;
    }

    // Drops the process's reference; holders of earlier copies keep the object alive until they let go.
    static void Release()
    {
        std::shared_ptr<T> released;
        {
            std::lock_guard guard(Mutex());
            released.swap(Slot());
        }
    }

private:
    template <typename> friend class Singleton;

    static void MakeSlot()
    {
        Mutex();
        Slot();
    }
    static std::mutex& Mutex()
    {
        static std::mutex mutex;
        return mutex;
    }
    static std::shared_ptr<T>& Slot()
    {
        static std::shared_ptr<T> slot;
        return slot;
    }
};

} // namespace qor
