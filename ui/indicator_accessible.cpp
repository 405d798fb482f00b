#include "ui/indicator_accessible.h"

#include <oleacc.h>
#include <wrl/client.h>

#include <atomic>
#include <new>
#include <utility>

#include "ui/system_library.h"

namespace halvorn {

namespace {

using Microsoft::WRL::ComPtr;

// Active Accessibility, loaded the first time that a client asks for the indicator's object: only a
// screen reader does, and a Windows PE image may lack the DLL, which would keep a program that
// imports it from starting at all.
struct ActiveAccessibility {
    SystemLibrary library{L"oleacc.dll"};
    decltype(&CreateStdAccessibleObject) createStandardObject =
        library.Find<decltype(&CreateStdAccessibleObject)>("CreateStdAccessibleObject");
    decltype(&LresultFromObject) resultFromObject = library.Find<decltype(&LresultFromObject)>("LresultFromObject");
};

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The system's object for the window, answering for it in everything but its role: the indicator is
// a static control that draws a moving train of blocks. Late binding through IDispatch is not
// offered, as the system's objects would answer it with their own role. COM's identity rule holds:
// every interface handed out is this object's own, so each leads back to it. The window behind it
// (WindowFromAccessibleObject) is told here; its children, which a static control has none of, the
// system's object tells through get_accChild.
class ProgressBarAccessible final : public IAccessible, public IOleWindow {
public:
    ProgressBarAccessible(HWND window, ComPtr<IAccessible> system) : m_window(window), m_system(std::move(system)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *object = static_cast<IAccessible*>(this);
        } else if (iid == __uuidof(IOleWindow)) {
            *object = static_cast<IOleWindow*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_references;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (window == nullptr) {
            return E_POINTER;
        }
        *window = m_window;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) {
            return E_POINTER;
        }
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsSelf(child) || role == nullptr) {
            return m_system->get_accRole(child, role);
        }
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_PROGRESSBAR;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return m_system->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override { return m_system->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return m_system->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return m_system->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return m_system->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return m_system->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return m_system->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
        return m_system->get_accHelp(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return m_system->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
        return m_system->get_accKeyboardShortcut(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return m_system->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return m_system->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* text) override {
        return m_system->get_accDefaultAction(child, text);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return m_system->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        return m_system->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return m_system->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        return m_system->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return m_system->accDoDefaultAction(child); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return m_system->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return m_system->put_accValue(child, value);
    }

private:
    ~ProgressBarAccessible() = default;

    std::atomic<ULONG> m_references{1};
    HWND m_window;
    ComPtr<IAccessible> m_system;
};

}  // namespace

LRESULT IndicatorAccessibleObject(HWND window, WPARAM requestFlags) {
    // Freed when the program ends, after the wizard's COM apartment has let go of every object.
    static const ActiveAccessibility oleacc;
    ComPtr<IAccessible> system;
    if (oleacc.createStandardObject == nullptr || oleacc.resultFromObject == nullptr ||
        FAILED(oleacc.createStandardObject(window, OBJID_CLIENT, IID_PPV_ARGS(&system)))) {
        return 0;
    }
    ComPtr<IAccessible> indicator;
    indicator.Attach(new (std::nothrow) ProgressBarAccessible(window, std::move(system)));
    if (!indicator) {
        return 0;
    }
    // The result holds a reference of its own for the client; this one ends with the function.
    const LRESULT result = oleacc.resultFromObject(__uuidof(IAccessible), requestFlags, indicator.Get());
    return result > 0 ? result : 0;
}

}  // namespace halvorn
