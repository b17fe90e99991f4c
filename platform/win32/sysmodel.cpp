// Windows only: the system model through WMI, the "Model" of the first
// Win32_ComputerSystem object.
#include "platform/sysmodel.h"

#include <objbase.h>
#include <wbemidl.h>
#include <windows.h>

#include "com.h"

namespace platform {

namespace {

using win32::ComPtr;

class Bstr {
public:
    explicit Bstr(const wchar_t* text) : text_(::SysAllocString(text)) {}
    ~Bstr() { ::SysFreeString(text_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return text_; }

private:
    BSTR text_;
};

class Variant {
public:
    Variant() { ::VariantInit(&value_); }
    ~Variant() { ::VariantClear(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT* get() { return &value_; }

private:
    VARIANT value_;
};

bool connect(ComPtr<IWbemServices>& services) {
    // Security is process-wide and set once; the host may have set it first.
    HRESULT security = ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                              RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    if (FAILED(security) && security != RPC_E_TOO_LATE) return false;
    ComPtr<IWbemLocator> locator;
    if (FAILED(::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                  reinterpret_cast<void**>(locator.out()))))
        return false;
    Bstr space(L"ROOT\\CIMV2");
    if (FAILED(locator->ConnectServer(space.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, services.out())))
        return false;
    return SUCCEEDED(::CoSetProxyBlanket(services.get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                         RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE));
}

std::optional<std::u16string> first_model(IWbemServices* services) {
    Bstr language(L"WQL");
    Bstr query(L"SELECT * FROM Win32_ComputerSystem");
    ComPtr<IEnumWbemClassObject> results;
    if (FAILED(services->ExecQuery(language.get(), query.get(), WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                   nullptr, results.out())))
        return std::nullopt;
    ComPtr<IWbemClassObject> system;
    ULONG returned = 0;
    if (FAILED(results->Next(WBEM_INFINITE, 1, system.out(), &returned)) || returned == 0) return std::nullopt;
    Variant model;
    if (FAILED(system->Get(L"Model", 0, model.get(), nullptr, nullptr))) return std::nullopt;
    if (model.get()->vt != VT_BSTR || model.get()->bstrVal == nullptr) return std::nullopt;
    BSTR text = model.get()->bstrVal;
    return std::u16string(text, text + ::SysStringLen(text));
}

}  // namespace

std::optional<std::u16string> system_model() {
    // COM for as long as the query runs.
    win32::ComScope apartment(COINIT_MULTITHREADED);
    if (!apartment.usable()) return std::nullopt;
    // Every interface is released before the apartment ends.
    ComPtr<IWbemServices> services;
    if (!connect(services)) return std::nullopt;
    return first_model(services.get());
}

}  // namespace platform
