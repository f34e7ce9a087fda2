// Where the package markers "ARNI" lie in an installer file, found as the
// installer's own matcher finds them: without backtracking, a mismatch
// starts the match again at the next byte.
#pragma once
#include <string>
#include <vector>

namespace vorn::e2e {

// Offsets of every marker's first byte, in file order.
std::vector<size_t> MarkerOffsets(const std::string& bytes);

}  // namespace vorn::e2e
