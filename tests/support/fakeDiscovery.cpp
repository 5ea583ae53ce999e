#include "tests/support/fakeDiscovery.h"

#include <cstddef>
#include <cstring>
#include <stdexcept>

namespace {

FakeDiscovery* current = nullptr;
thread_local DWORD fakeLastError = 0;

const auto setHandle = reinterpret_cast<HDEVINFO>(0x5E7);

// Open keys are handed out as pointers to small records, so a key closed twice or
// never opened shows up as an unbalanced count.
std::set<FakeDiscovery::Key*> openKeys;

FakeDiscovery::Key* keyOf(HKEY key) {
    if (key == HKEY_LOCAL_MACHINE) return &current->machine;
    auto* node = reinterpret_cast<FakeDiscovery::Key*>(key);
    return openKeys.count(node) ? node : nullptr;
}

BOOL fail(DWORD error) {
    fakeLastError = error;
    return FALSE;
}

BOOL WINAPI getVersion(LPOSVERSIONINFOA info) {
    if (current->versionFails) return fail(1150);
    if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) return fail(ERROR_INSUFFICIENT_BUFFER);
    info->dwMajorVersion = current->majorVersion;
    info->dwPlatformId = current->platformId;
    return TRUE;
}

HDEVINFO WINAPI getClassDevs(const GUID*, LPCSTR, HWND, DWORD flags) {
    if (current->classDevsFails || flags != (DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)) {
        fakeLastError = 0xE000020B;
        return INVALID_HANDLE_VALUE;
    }
    ++current->setsCreated;
    return setHandle;
}

BOOL WINAPI enumInterfaces(HDEVINFO set, PSP_DEVINFO_DATA, const GUID*, DWORD index, PSP_DEVICE_INTERFACE_DATA data) {
    if (set != setHandle || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) return fail(ERROR_INVALID_PARAMETER);
    if (static_cast<int>(index) == current->enumFailsAt) return fail(ERROR_ACCESS_DENIED);
    if (index >= current->devices.size()) return fail(ERROR_NO_MORE_ITEMS);
    data->Reserved = index;
    return TRUE;
}

BOOL WINAPI interfaceDetail(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data, PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail,
                            DWORD size, LPDWORD, PSP_DEVINFO_DATA device) {
    if (set != setHandle || device == nullptr || device->cbSize != sizeof(SP_DEVINFO_DATA))
        return fail(ERROR_INVALID_PARAMETER);
    if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) return fail(ERROR_INVALID_USER_BUFFER);
    if (static_cast<int>(data->Reserved) == current->detailFailsAt) return fail(ERROR_GEN_FAILURE);
    const std::string& path = current->devices.at(data->Reserved).path;
    if (offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + path.size() + 1 > size)
        return fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(detail->DevicePath, path.c_str(), path.size() + 1);
    device->DevInst = static_cast<DWORD>(data->Reserved);
    return TRUE;
}

BOOL WINAPI deviceProperty(HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property, LPDWORD, BYTE* buffer, DWORD size,
                           LPDWORD) {
    if (set != setHandle) return fail(ERROR_INVALID_HANDLE);
    const FakeDiscovery::Device& d = current->devices.at(device->DevInst);
    const std::optional<std::string>* value = property == SPDRP_FRIENDLYNAME ? &d.friendlyName
                                              : property == SPDRP_DEVICEDESC ? &d.description
                                                                             : &d.location;
    if (!value->has_value()) return fail(13);  // ERROR_INVALID_DATA
    if ((*value)->size() + 1 > size) return fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(buffer, (*value)->c_str(), (*value)->size() + 1);
    return TRUE;
}

BOOL WINAPI destroySet(HDEVINFO set) {
    if (set != setHandle) return fail(ERROR_INVALID_HANDLE);
    ++current->setsDestroyed;
    return TRUE;
}

LONG WINAPI openKey(HKEY parent, LPCSTR name, DWORD, REGSAM access, PHKEY result) {
    FakeDiscovery::Key* node = keyOf(parent);
    if (node == nullptr || access != KEY_READ) return ERROR_INVALID_HANDLE;
    for (const auto& child : node->children) {
        if (child->name != name) continue;
        if (child->openFails) return ERROR_ACCESS_DENIED;
        openKeys.insert(child.get());
        ++current->keysOpened;
        *result = reinterpret_cast<HKEY>(child.get());
        return ERROR_SUCCESS;
    }
    return ERROR_FILE_NOT_FOUND;
}

LONG WINAPI enumKey(HKEY key, DWORD index, LPSTR name, LPDWORD length, LPDWORD, LPSTR, LPDWORD, PFILETIME) {
    FakeDiscovery::Key* node = keyOf(key);
    if (node == nullptr) return ERROR_INVALID_HANDLE;
    if (*length != 128) throw std::logic_error("the name length must be set back to 128");
    if (index >= node->children.size()) return ERROR_NO_MORE_ITEMS;
    const std::string& childName = node->children[index]->name;
    if (childName.size() + 1 > *length) return ERROR_MORE_DATA;
    std::memcpy(name, childName.c_str(), childName.size() + 1);
    *length = static_cast<DWORD>(childName.size());
    return ERROR_SUCCESS;
}

LONG WINAPI queryValue(HKEY key, LPCSTR valueName, LPDWORD, LPDWORD, BYTE* data, LPDWORD length) {
    FakeDiscovery::Key* node = keyOf(key);
    if (node == nullptr) return ERROR_INVALID_HANDLE;
    if (*length != 128) throw std::logic_error("the value length must be set back to 128");
    const auto found = node->values.find(valueName);
    if (found == node->values.end()) return ERROR_FILE_NOT_FOUND;
    if (found->second.size() + 1 > *length) return ERROR_MORE_DATA;
    std::memcpy(data, found->second.c_str(), found->second.size() + 1);
    *length = static_cast<DWORD>(found->second.size() + 1);
    return ERROR_SUCCESS;
}

LONG WINAPI closeKey(HKEY key) {
    auto* node = reinterpret_cast<FakeDiscovery::Key*>(key);
    if (openKeys.erase(node) == 0) return ERROR_INVALID_HANDLE;
    ++current->keysClosed;
    return ERROR_SUCCESS;
}

HANDLE WINAPI createFile(LPCSTR name, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
    current->openAttempts.emplace_back(name);
    if (!current->openable.count(name)) {
        fakeLastError = ERROR_ACCESS_DENIED;
        return INVALID_HANDLE_VALUE;
    }
    ++current->handlesOpened;
    return reinterpret_cast<HANDLE>(0x4A4D);
}

BOOL WINAPI closeHandle(HANDLE handle) {
    if (handle != reinterpret_cast<HANDLE>(0x4A4D)) return fail(ERROR_INVALID_HANDLE);
    ++current->handlesClosed;
    return TRUE;
}

DWORD WINAPI getLastError() { return fakeLastError; }

}  // namespace

FakeDiscovery::Key& FakeDiscovery::Key::child(const std::string& childName) {
    for (const auto& k : children)
        if (k->name == childName) return *k;
    children.push_back(std::make_unique<Key>());
    children.back()->name = childName;
    return *children.back();
}

FakeDiscovery::FakeDiscovery() {
    current = this;
    openKeys.clear();
    api_->GetVersionExA = getVersion;
    api_->SetupDiGetClassDevsA = getClassDevs;
    api_->SetupDiEnumDeviceInterfaces = enumInterfaces;
    api_->SetupDiGetDeviceInterfaceDetailA = interfaceDetail;
    api_->SetupDiGetDeviceRegistryPropertyA = deviceProperty;
    api_->SetupDiDestroyDeviceInfoList = destroySet;
    api_->RegOpenKeyExA = openKey;
    api_->RegEnumKeyExA = enumKey;
    api_->RegQueryValueExA = queryValue;
    api_->RegCloseKey = closeKey;
    api_->CreateFileA = createFile;
    api_->CloseHandle = closeHandle;
    api_->GetLastError = getLastError;
}

FakeDiscovery::~FakeDiscovery() { current = nullptr; }
