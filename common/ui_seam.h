// What the extraction engine asks of the wizard's dialog: the status line,
// the main bar, the member bar and the error boxes. The wizard connects these
// to its dialog; tests put recorders in their place. The bars' pixels are the
// progress display's own business: the engine gives it byte counts and asks
// it one question.
#pragma once
#include <cstdint>

#include "decoder/member_decoder.h"

namespace vorn {

struct ExtractionUi {
    void (*SetStatus)(const char* text);  // the Progress page's status line, control 170
    // Moves the main bar to `position` bytes of the installer file's
    // `length` read, and draws it (a length of 0 leaves the bar as it was).
    void (*MoveMainBar)(int64_t position, int64_t length);
    // Whether the main bar shows any reading yet (a filled pixel or more):
    // the status line names the member being copied only from then on.
    bool (*MainBarStarted)();
    void (*ShowError)(int number);  // error box [number], owned by the wizard dialog
    MemberProgressSink memberBar;   // the decoder's progress, control 171
};

// Starts out doing nothing, so that the engine runs before anything is connected.
extern ExtractionUi extractionUi;

}  // namespace vorn
