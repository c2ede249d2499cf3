#pragma once

#include "holiday/Exception.h"

#include <gtest/gtest.h>
#include <string>

namespace rules::test {

// Runs action and expects a holiday::EConvertError with exactly this message.
template <typename Action> void ExpectConvertError(Action&& action, const std::string& message) {
    try {
        action();
        ADD_FAILURE() << "no EConvertError, expected: " << message;
    } catch (const holiday::EConvertError& error) {
        EXPECT_EQ(error.what(), message);
    }
}

} // namespace rules::test
