#include "IcsWorker.h"

#include <QThreadPool>

namespace tanzo::ics {
namespace {

class SingleThreadPool : public QThreadPool {
public:
    SingleThreadPool() { setMaxThreadCount(1); }
};

Q_GLOBAL_STATIC(SingleThreadPool, g_worker)

} // namespace

QThreadPool& worker() {
    return *g_worker();
}

} // namespace tanzo::ics
