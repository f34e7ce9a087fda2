// The extraction pump: one slice of at most 15001 bytes of the package stream
// per call, each member copied into a temporary file of the run's own
// ("vornXXXX.tmp") and extracted at its closing marker.
#pragma once
#include <cstdio>

namespace vorn {

constexpr int kSliceLimit = 15000;  // a slice ends on the byte that takes the count above this

// Hands the pump the installer file, opened at its first byte: measures its
// length and draws the main bar at 0.
void TakePackageStream(FILE* stream);

// One slice. Precondition: extraction.packageStream is open.
//   0 failed (a read error of the installer file among the causes), a box
//     was shown, packageStream closed (the wizard rolls back)
//   1 finished: ten members handled, or the stream ended (memberIndex 0: no
//     member found); packageStream closed
//   2 a backup step failed and was reported; packageStream closed
//   3 slice used up; nothing closed; call again later
int PumpSlice();

}  // namespace vorn
