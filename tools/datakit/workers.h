#pragma once

#include <functional>

namespace varnelo {

// Runs work on that many threads at once (0: one per core), the calling thread being one; returns
// when every copy has returned. work shares out its jobs itself.
void runOnThreads(int threads, const std::function<void()> &work);

}  // namespace varnelo
