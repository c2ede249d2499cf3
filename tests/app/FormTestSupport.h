#pragma once

#include "app/ApplicationFonts.h"
#include "app/TForm1.h"

#include <gtest/gtest.h>
#include <memory>

namespace app {

// A fresh window per test, built after the application's fonts were registered, at its design
// size and not shown (handlers run without a screen).
class FormTest : public testing::Test {
protected:
    static void SetUpTestSuite() { RegisterApplicationFonts(); }

    void SetUp() override { mForm = std::make_unique<TForm1>(); }
    void TearDown() override { mForm.reset(); }

    [[nodiscard]] TForm1& Form() { return *mForm; }
    [[nodiscard]] holiday::HolidayTable& Table() { return mForm->Table(); }

private:
    std::unique_ptr<TForm1> mForm;
};

} // namespace app
