// Process-wide single instances of the managers: created on first use, shared through a
// reference-counted pointer, released at exit (or earlier through Release, for orderly shut-down and tests).
#pragma once

#include <memory>
#include <mutex>

namespace qor {

template <typename T> class Singleton {
public:
    static std::shared_ptr<T> Instance()
    {
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
