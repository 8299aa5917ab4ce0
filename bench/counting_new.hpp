#pragma once

// A count of every allocation made in the process. The source file replaces the global operator
// new and delete; a binary that links it counts, one that does not has no such function.

namespace plumora::counting {

long allocations();

}  // namespace plumora::counting
