#include "platform/TestTrust.h"

#include <mutex>

namespace navoket {
namespace {

struct TrustState {
    std::mutex mutex;
    std::filesystem::path pemFile;
};

// Read from download threads as well as the window thread.
TrustState& trustState() {
    static TrustState state;
    return state;
}

}  // namespace

void setExtraCaFileForTesting(const std::filesystem::path& pemFile) {
    std::lock_guard lock(trustState().mutex);
    trustState().pemFile = pemFile;
}

std::filesystem::path extraCaFileForTesting() {
    std::lock_guard lock(trustState().mutex);
    return trustState().pemFile;
}

}  // namespace navoket
