// The member encoder: the exact mirror of the member decoder (same adaptive
// tree and updates, same space-filled ring, same offset code), with optimal
// parsing and the package's marker rules kept.
#pragma once
#include <string>
#include <vector>

#include "packer/bytes.h"

namespace vorn {

// One member stream (size header and bit stream) for data, which must not be
// empty. The stream is chosen so that the marker matcher, started with
// nothing pending, finds no marker in it and ends with nothing pending.
// False (with a reason) only when no such encoding was found.
bool EncodeMember(const Bytes& data, Bytes* stream, std::string* error);

// The plain encoding, without the marker rules (the tests compare against
// it). noMatchAt, when given, forbids a match starting at those data positions.
Bytes EncodeMemberStream(const Bytes& data, const std::vector<bool>* noMatchAt = nullptr);

// Where the matcher goes wrong in a member stream: the index of the first byte
// of a marker found inside it, the stream's size when a partial match is left
// pending at its end, or -1 when the stream keeps the rules.
long FindMarkerFault(const Bytes& stream);

}  // namespace vorn
