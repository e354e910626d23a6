#include "app/platform_win.h"

#include <windows.h>

#include <optional>
#include <string>

#include "base/platform.h"

namespace plorimet {

namespace {

constexpr DWORD kValueLimit = 256;

// A string value of a key under HKEY_LOCAL_MACHINE; nothing when the key or the value cannot
// be read. Only read access is asked for: the program never writes to the registry, and
// asking for more fails for ordinary users.
std::optional<std::string> ReadMachineString(const char* keyPath, const char* valueName) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return std::nullopt;
    char buffer[kValueLimit + 2] = {};
    DWORD size = kValueLimit;
    DWORD type = 0;
    const LONG status =
        RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    return std::string(buffer);  // the two spare bytes keep it terminated
}

}  // namespace

UiLanguage DetectLanguage() {
    return LanguageForCodePage(GetACP());
}

int DetectPlatform() {
    const std::optional<std::string> version =
        ReadMachineString("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "CurrentVersion");
    if (version) return DecidePlatformLevel(version, std::string());
    // The older key decides only when the NT key gave nothing; an unreadable product name
    // counts as empty.
    const std::optional<std::string> product =
        ReadMachineString("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProductName");
    return DecidePlatformLevel(std::nullopt, product.value_or(std::string()));
}

}  // namespace plorimet
