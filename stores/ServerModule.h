// The CalDAV module: a shared library opened on first need, with one entry point that hands out
// server stores and the keyring.
#pragma once

#include "modules/ModuleEntry.h"
#include "stores/Secrets.h"
#include "stores/ServerStore.h"

#include <filesystem>
#include <memory>
#include <string>

namespace linecal {

// Raise kServerModuleVersion whenever this struct or what it hands out changes.
struct ServerModule : modules::ModuleEntry {
    std::unique_ptr<ServerStore> (*openStore)(const Account& account, std::shared_ptr<SecretStore> secrets,
                                              const std::filesystem::path& cacheFolder, const HttpLimits& limits);
    // The desktop keyring through the Secret Service.
    std::unique_ptr<SecretStore> (*keyring)();
};

inline constexpr int kServerModuleVersion = 3;
inline constexpr const char* kServerModuleName = "linecal-caldav";
inline constexpr const char* kServerModuleEntry = "linecal_server_module";

// The module, loaded once per process; null with `problem` set when it cannot be loaded
// (the loader's cause, which errors::serversUnavailable words for the user).
const ServerModule* serverModule(std::string* problem);

}  // namespace linecal
