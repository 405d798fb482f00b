#include "tests/wizard_wine/assistive_technology.h"

#include <oleacc.h>
#include <wrl/client.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace halvorn::testing {

namespace {

// The windows whose client area announced a name change, in the order heard.
std::vector<HWND> g_renamedWindows;

void CALLBACK RecordNameChange(HWINEVENTHOOK, DWORD, HWND window, LONG objectId, LONG childId, DWORD, DWORD) {
    if (objectId == OBJID_CLIENT && childId == CHILDID_SELF) {
        g_renamedWindows.push_back(window);
    }
}

}  // namespace

AccessibleFacts ReadAccessible(HWND window) {
    AccessibleFacts facts;
    Microsoft::WRL::ComPtr<IAccessible> object;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_PPV_ARGS(&object)))) {
        return facts;
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT role{};
    if (SUCCEEDED(object->get_accRole(self, &role))) {
        facts.role = role.vt == VT_I4 ? role.lVal : 0;
        VariantClear(&role);
    }
    BSTR name = nullptr;
    if (SUCCEEDED(object->get_accName(self, &name)) && name != nullptr) {
        const std::unique_ptr<OLECHAR, decltype(&SysFreeString)> owned(name, SysFreeString);
        facts.name.assign(name, SysStringLen(name));
    }
    return facts;
}

NameChangeListener::NameChangeListener()
    : m_hook(SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, RecordNameChange,
                             GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT)) {
    g_renamedWindows.clear();
}

NameChangeListener::~NameChangeListener() {
    if (m_hook != nullptr) {
        UnhookWinEvent(m_hook);
    }
}

bool NameChangeListener::Heard(HWND window) const {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
    }
    return std::find(g_renamedWindows.begin(), g_renamedWindows.end(), window) != g_renamedWindows.end();
}

}  // namespace halvorn::testing
