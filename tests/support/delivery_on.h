#pragma once

#include <gtest/gtest.h>

#include "common/delivery_switch.h"

namespace korv::testing {

// Components deliver their events only while the program-wide switch is on.
class DeliveryOn : public ::testing::Test {
protected:
    void SetUp() override { delivery::switchOn(); }
    void TearDown() override { delivery::switchOff(); }
};

}  // namespace korv::testing
