#include "workers.h"

#include <QThread>

#include <thread>
#include <vector>

namespace varnelo {

void runOnThreads(int threads, const std::function<void()> &work) {
    const int count = threads > 0 ? threads : qMax(1, QThread::idealThreadCount());
    std::vector<std::thread> pool;
    for (int t = 1; t < count; ++t) {
        pool.emplace_back(work);
    }
    work();
    for (std::thread &t : pool) {
        t.join();
    }
}

}  // namespace varnelo
