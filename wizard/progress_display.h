// The Progress page's two hand-drawn bars: the main bar over control 173 and
// the member bar over control 171.
#pragma once
#include <windows.h>
#include <cstdint>

#include "decoder/member_decoder.h"

namespace vorn {

// The main bar, redrawn with its fill as it stands. Without a device
// context the dialog's own is used.
void DrawMainBar(HDC dc);

// The main bar's fill follows position bytes of length (a length of 0 leaves
// it as it was), then the bar is drawn on the dialog's own device context.
void MoveMainBar(int64_t position, int64_t length);

// The main bar's filled width in pixels; 0 until reading is shown. Every page
// change clears it.
int MainBarFill();
void ClearMainBar();

// The member bar for done of total bytes.
void DrawMemberBar(HDC dc, uint32_t done, uint32_t total);

// The decoder's progress sink that draws the member bar.
MemberProgressSink MemberBarSink();

// Connects the extraction engine's user-interface seam to the wizard dialog.
void ConnectExtractionUi();

}  // namespace vorn
