// What a loader and the installer writer rely on in an image, beyond what
// reading it needs: the checks that make a stub one the writer can keep true.
// Each failed rule is a one-line reason.
#pragma once
#include <string>

#include "packer/bytes.h"
#include "packer/pe/pe_image.h"

namespace vorn {

// The headers and sections as a loader maps them: the headers through the
// section table within SizeOfHeaders, and SizeOfHeaders wholly ahead of every
// section's file bytes (so that what the writer writes into the headers
// never lands in a section it moves); FileAlignment a power of two from 512
// to 65,536 and no more than SectionAlignment, every section aligned to both;
// the sections in ascending, separate places in memory.
bool CheckImageRules(const PeHeaders& headers, std::string* error);

// The resource tree as a loader searches it (ResourceTree::searchFault) and
// as the writer moves it: every data entry reached by one
// resource only and apart from every other, no resource's data inside the
// directory, no two resources' data overlapping (each is moved or kept on
// its own, so shared bytes would be written twice or left behind).
bool CheckResourceRules(const ResourceTree& tree, std::string* error);

}  // namespace vorn
