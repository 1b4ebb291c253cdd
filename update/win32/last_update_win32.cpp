#include "update/win32/last_update_win32.h"

#include <cmath>

#include "common/win32/registry.h"

namespace {

const char kMakerKey[] = "Software\\Varnok Com.\\";
const char kValue[] = "LastAppliedUpdate";

std::string dateKey(const std::string& product) {
    return std::string(kMakerKey) + "AutoUpdate" + (product.empty() ? "" : "\\" + product);
}

double readDate(const std::string& key) {
    try {
        TREGISTRY registry;
        if (!registry.OpenKey(key, true)) return 0;
        double date = 0;
        if (registry.ReadBinaryData(kValue, &date, sizeof date) != sizeof date || !std::isfinite(date)) return 0;
        return std::trunc(date);
    } catch (const RegistryError&) {
        return 0;
    }
}

bool writeDate(const std::string& key, double date) {
    try {
        TREGISTRY registry;
        if (!registry.OpenKey(key, true)) return false;
        registry.WriteBinaryData(kValue, &date, sizeof date);
        return true;
    } catch (const RegistryError&) {
        return false;
    }
}

}  // namespace

double ReadLastUpdate(const std::string& product) { return readDate(dateKey(product)); }

double ReadLastCommonUpdate() { return readDate(dateKey("")); }

bool WriteLastUpdate(const std::string& product, double date) {
    return writeDate(dateKey(product), date) && writeDate(dateKey(""), date);
}

std::string InstallationFolder(const std::string& product) {
    try {
        TREGISTRY registry;
        if (!registry.OpenKey(kMakerKey + product, false)) return {};
        std::string folder = registry.ReadString("PathToApp");
        if (!folder.empty() && folder.back() != '\\') folder += '\\';
        return folder;
    } catch (const RegistryError&) {
        return {};
    }
}
