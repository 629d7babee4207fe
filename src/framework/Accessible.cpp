#include "framework/Accessible.h"

#include <oleacc.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Messages.h"
#include "framework/SystemFunctions.h"

namespace noc {

namespace {

// The interfaces' identifiers, defined here: MinGW's import library gives IID_IAccessible as data
// of oleacc.dll, which a program that loads oleacc itself does not have.
constexpr GUID kIUnknown = {0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIDispatch = {0x00020400, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
constexpr GUID kIOleWindow = {0x00000114, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIEnumVARIANT = {0x00020404, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The default action of a control that the keyboard clicks, as Windows words a button's.
const char kPress[] = "Appuyer";

// The calls of oleacc, ole32 and oleaut32 (Windows' own on every system since XP), looked up once.
// The libraries stay loaded for the rest of the run.
struct Library {
    HRESULT(WINAPI* createStdAccessibleObject)(HWND, LONG, REFIID, void**) = nullptr;
    LRESULT(WINAPI* lresultFromObject)(REFIID, WPARAM, LPUNKNOWN) = nullptr;
    HRESULT(WINAPI* coInitializeEx)(void*, DWORD) = nullptr;
    BSTR(WINAPI* sysAllocStringLen)(const OLECHAR*, UINT) = nullptr;
    bool Ready() const { return createStdAccessibleObject && lresultFromObject && coInitializeEx && sysAllocStringLen; }
};

template <typename F>
void Find(const char* module, const char* name, F& fn) {
    fn = SystemFunction<F>(module, name);
}

const Library& Libraries() {
    static const Library library = [] {
        Library l;
        Find("oleacc.dll", "CreateStdAccessibleObject", l.createStdAccessibleObject);
        Find("oleacc.dll", "LresultFromObject", l.lresultFromObject);
        Find("ole32.dll", "CoInitializeEx", l.coInitializeEx);
        Find("oleaut32.dll", "SysAllocStringLen", l.sysAllocStringLen);
        // The objects live in the apartment of the user-interface thread, where every request comes;
        // a thread already in an apartment stays in it.
        if (l.Ready()) l.coInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        return l;
    }();
    return library;
}

BSTR ToBstr(const std::string& text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::vector<wchar_t> wide(static_cast<size_t>(n) + 1);
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return Libraries().sysAllocStringLen(wide.data(), static_cast<UINT>(n));
}

// The window's standard object with the control's own answers about the window itself; everything
// else (children, places, focus, navigation) is the standard object's.
class TAccessibleObject final : public IAccessible {
public:
    // Takes over the reference to `standard`.
    TAccessibleObject(HWND wnd, IAccessible* standard) : wnd_(wnd), standard_(standard) {}
    TAccessibleObject(const TAccessibleObject&) = delete;
    TAccessibleObject& operator=(const TAccessibleObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualGUID(iid, kIUnknown) || IsEqualGUID(iid, kIDispatch) || IsEqualGUID(iid, kIAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        // The window's handle and its children as the standard object gives them; not its other
        // interfaces, through which a client would go around these answers.
        if (IsEqualGUID(iid, kIOleWindow) || IsEqualGUID(iid, kIEnumVARIANT))
            return standard_->QueryInterface(iid, out);
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return standard_->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
        return standard_->GetTypeInfo(index, lcid, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
        return standard_->GetIDsOfNames(iid, names, count, lcid, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* info, UINT* argError) override {
        return standard_->Invoke(id, iid, lcid, flags, params, result, info, argError);
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override { return standard_->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return standard_->get_accChild(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        std::string text;
        if (const TControl* c = Self(child)) {
            try {
                text = c->AccessibleName();
            } catch (...) {
                return E_FAIL;
            }
        }
        if (text.empty()) return standard_->get_accName(child, name);
        return Answer(text, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return standard_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return standard_->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        const TControl* c = Self(child);
        if (!c || c->AccessibleRole() == 0) return standard_->get_accRole(child, role);
        if (!role) return E_POINTER;
        V_VT(role) = VT_I4;
        V_I4(role) = c->AccessibleRole();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        const HRESULT hr = standard_->get_accState(child, state);
        if (const TControl* c = Self(child); c && SUCCEEDED(hr) && state && V_VT(state) == VT_I4)
            V_I4(state) = c->AccessibleState(V_I4(state));
        return hr;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return standard_->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override { return standard_->get_accFocus(focus); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        return standard_->get_accSelection(selection);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        const TControl* c = Self(child);
        if (!c || !c->KeyboardClicks()) return standard_->get_accDefaultAction(child, action);
        return Answer(kPress, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        return standard_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
        return standard_->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        const TControl* c = Self(child);
        if (!c || !c->KeyboardClicks()) return standard_->accDoDefaultAction(child);
        if (!IsWindowEnabled(wnd_)) return E_FAIL;
        // The click runs once the client's call has returned: it may hold a message box.
        return PostMessageA(wnd_, WM_NOC_KEYBOARD_CLICK, 0, 0) ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return standard_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return standard_->put_accValue(child, value);
    }

private:
    ~TAccessibleObject() { standard_->Release(); }

    // The control, for a question about the window itself, while the window lives.
    const TControl* Self(const VARIANT& child) const {
        if (V_VT(&child) != VT_I4 || V_I4(&child) != CHILDID_SELF || !IsWindow(wnd_)) return nullptr;
        return TControl::FromHandle(wnd_);
    }
    static HRESULT Answer(const std::string& text, BSTR* out) {
        if (!out) return E_POINTER;
        *out = ToBstr(text);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    LONG refs_ = 1;
    HWND wnd_;
    IAccessible* standard_;
};

}  // namespace

bool AnswerAccessibleObject(HWND wnd, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (static_cast<DWORD>(lp) != static_cast<DWORD>(OBJID_CLIENT)) return false;
    const Library& library = Libraries();
    if (!library.Ready()) return false;
    IAccessible* standard = nullptr;
    if (FAILED(
            library.createStdAccessibleObject(wnd, OBJID_CLIENT, kIAccessible, reinterpret_cast<void**>(&standard))) ||
        !standard)
        return false;
    auto* object = new (std::nothrow) TAccessibleObject(wnd, standard);
    if (!object) {
        standard->Release();
        return false;
    }
    result = library.lresultFromObject(kIAccessible, wp, static_cast<IAccessible*>(object));
    object->Release();  // the answer holds a reference of its own
    return true;
}

}  // namespace noc
