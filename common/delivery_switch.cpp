#include "common/delivery_switch.h"

#include <atomic>

namespace korv::delivery {

namespace {
std::atomic<bool> deliveryOn{false};
}

void switchOn() { deliveryOn.store(true); }
void switchOff() { deliveryOn.store(false); }
bool isOn() { return deliveryOn.load(); }

}  // namespace korv::delivery
