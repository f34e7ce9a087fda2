// The Progress page's two hand-drawn bars: the main bar over control 173 and
// the member bar over control 171.
#pragma once
#include <windows.h>
#include <cstdint>
#include <cstdio>

#include "decoder/member_decoder.h"

namespace vorn {

// The main bar. With a stream, mainBarFill first follows the stream's
// position (and packageLength is measured once); without one it is redrawn
// as stored. Without a device context the dialog's own is used.
void DrawMainBar(HDC dc, FILE* stream);

// The member bar for done of total bytes.
void DrawMemberBar(HDC dc, uint32_t done, uint32_t total);

// The decoder's progress sink that draws the member bar.
MemberProgressSink MemberBarSink();

// Connects the extraction engine's user-interface seam to the wizard dialog.
void ConnectExtractionUi();

}  // namespace vorn
