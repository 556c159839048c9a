#pragma once

#include "sessions/session_engine.h"
#include "settings/param_values.h"
#include "settings/registry.h"
#include "settings/settings.h"

namespace mnemora {

// The session engine's view of the one live settings record and its store.
class LiveSessionSettings : public SessionSettings {
public:
    LiveSessionSettings(TParamValues& values, RegistryBackend& store, const SettingsEnvironment& env)
        : values_(values), store_(store), env_(env) {}
    [[nodiscard]] std::string dataFile() const override { return values_.DataFile; }
    void setDefaultPaths() override { SetDefaultPaths(values_, env_); }
    void saveSettings() override { SaveSettings(values_, store_); }

private:
    TParamValues& values_;
    RegistryBackend& store_;
    const SettingsEnvironment& env_;
};

}  // namespace mnemora
