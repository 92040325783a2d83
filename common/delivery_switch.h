#pragma once

namespace korv::delivery {

// The program-wide event delivery switch. While it is off no event is delivered and every read
// of a value held by another component yields the empty value. It is the program's only global
// mutable state.
void switchOn();
void switchOff();
bool isOn();

}  // namespace korv::delivery
