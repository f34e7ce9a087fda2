// The one place that turns an error number into the box the user sees.
#pragma once

namespace vorn {

struct ErrorBox {
    int number;
    const char* caption;
    const char* text;
};

// The box for an error number, or null for a number that has no box.
const ErrorBox* FindErrorBox(int number);

}  // namespace vorn
