// Engine::create for a tdsim built on the fake engine (protocol tests only).
#include "FakeEngine.h"

namespace tdsim {
std::unique_ptr<Engine> Engine::create(const EngineConfig& config, ServerStats&) {
    return std::make_unique<testing::FakeEngine>(config.logins);
}
}  // namespace tdsim
