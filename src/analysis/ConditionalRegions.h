// The parts of a module's code that conditional compilation leaves out: the lines of the
// branches of #If blocks whose conditions are known to be false, found in one pass over the
// module's tokens with the project's constants and the module's own #Const lines.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace qs {

class CompileConstants;
class clsTokenStream;

struct ConditionalRegions {
  /// The token positions [from, to) of the lines left out, in order, apart from each other.
  std::vector<std::pair<int32_t, int32_t>> positions;
  /// The same as 1-based lines [first, last].
  std::vector<std::pair<int32_t, int32_t>> lines;
  /// What could not be read (a condition that cannot be evaluated, an #End If without #If),
  /// by line.
  struct Problem {
    int32_t line = 0;
    std::string message;
  };
  std::vector<Problem> problems;

  /// Whether the token at in_lPos stands in a left-out line.
  bool Inactive(int32_t in_lPos) const {
    const auto it = std::upper_bound(positions.begin(), positions.end(),
                                     std::pair<int32_t, int32_t>(in_lPos, INT32_MAX));
    return it != positions.begin() && in_lPos < std::prev(it)->second;
  }
};

/// Fills out_oRegions from the module's tokens (directives are read from in_lCodeStart on; lines
/// are counted from the stream's start) with the project's constants. A condition that cannot
/// be evaluated leaves every branch of its block (and the blocks inside) in, with a problem.
void FindConditionalRegions(const clsTokenStream& in_oTokens, int32_t in_lCodeStart,
                            const CompileConstants& in_oProject, ConditionalRegions& out_oRegions);

}  // namespace qs
