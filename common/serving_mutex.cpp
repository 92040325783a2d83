#include "common/serving_mutex.h"

namespace korv {

bool ServingMutex::try_lock() { return !held_.exchange(true, std::memory_order_acquire); }

void ServingMutex::lock() {
    if (try_lock()) return;
    waiter_.waitUntil([this] { return try_lock(); });
}

void ServingMutex::unlock() {
    held_.store(false, std::memory_order_release);
    waiter_.wake();
}

}  // namespace korv
