// The module's entry struct, looked up by name when linecal opens server calendars.
#include "stores/ServerModule.h"
#include "stores/caldav/CalDavStore.h"
#include "stores/caldav/Passwords.h"

namespace linecal {
namespace {

std::unique_ptr<ServerStore> openStore(const Account& account, std::shared_ptr<SecretStore> secrets,
                                       const std::filesystem::path& cacheFolder, const HttpLimits& limits) {
    return std::make_unique<CalDavStore>(account, std::move(secrets), cacheFolder, limits);
}

std::unique_ptr<SecretStore> keyring() { return std::make_unique<KeyringSecrets>(); }

}  // namespace
}  // namespace linecal

LINECAL_MODULE_ENTRY const linecal::ServerModule linecal_server_module{
    {linecal::kServerModuleVersion}, linecal::openStore, linecal::keyring};
