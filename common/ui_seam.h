// What the extraction engine asks of the wizard's dialog: the status line,
// the main bar, the member bar and the error boxes. The wizard connects these
// to its dialog; tests put recorders in their place.
#pragma once
#include <cstdint>
#include <cstdio>

#include "decoder/member_decoder.h"

namespace vorn {

struct ExtractionUi {
    void (*SetStatus)(const char* text);       // the Progress page's status line, control 170
    void (*DrawMainBar)(FILE* packageStream);  // main bar at the stream's position; null: empty bar
    void (*ShowError)(int number);             // error box [number], owned by the wizard dialog
    MemberProgressSink memberBar;              // the decoder's progress, control 171
};

// Starts out doing nothing, so that the engine runs before anything is connected.
extern ExtractionUi extractionUi;

// The main bar's state, kept by the progress display: the filled width in
// pixels, and the package file's length, measured once per run (0: not yet).
extern int mainBarFill;
extern int32_t packageLength;

}  // namespace vorn
