#include "toolkit/accessible.h"

#include "toolkit/forms.h"
#include "toolkit/handles_win.h"
#include "toolkit/text_win.h"

#include <oleacc.h>

namespace tk {

namespace {

// The few exports used, looked up once. Both libraries stay loaded for the life of the
// process: the objects handed out hold the standard object that oleacc.dll made.
struct Oleacc {
    using CreateStdAccessibleObjectProc = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
    using LresultFromObjectProc = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    using SysAllocStringLenProc = BSTR(WINAPI*)(const OLECHAR*, UINT);
    CreateStdAccessibleObjectProc CreateStdAccessibleObject = nullptr;
    LresultFromObjectProc LresultFromObject = nullptr;
    SysAllocStringLenProc SysAllocStringLen = nullptr;
    bool Available() const {
        return CreateStdAccessibleObject != nullptr && LresultFromObject != nullptr &&
               SysAllocStringLen != nullptr;
    }
};

template <typename F> F Export(HMODULE module, const char* name) {
    return module != nullptr
               ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)))
               : nullptr;
}

const Oleacc& OleaccLibrary() {
    static const Oleacc library = [] {
        Oleacc l;
        HMODULE oleacc = LoadSystemLibrary("oleacc.dll");
        HMODULE oleaut = LoadSystemLibrary("oleaut32.dll");
        l.CreateStdAccessibleObject =
            Export<Oleacc::CreateStdAccessibleObjectProc>(oleacc, "CreateStdAccessibleObject");
        l.LresultFromObject = Export<Oleacc::LresultFromObjectProc>(oleacc, "LresultFromObject");
        l.SysAllocStringLen = Export<Oleacc::SysAllocStringLenProc>(oleaut, "SysAllocStringLen");
        return l;
    }();
    return library;
}

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The text as a BSTR for the caller to free; S_FALSE and no string for empty text.
HRESULT ReturnText(const std::string& text, BSTR* result) {
    if (result == nullptr) return E_POINTER;
    *result = nullptr;
    if (text.empty()) return S_FALSE;
    std::wstring wide = AnsiToWide(text);
    *result = OleaccLibrary().SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    return *result != nullptr ? S_OK : E_OUTOFMEMORY;
}

// The accessible object of one control's client area. It holds the window, not the control:
// a screen reader may keep the object after the control is gone, and then every question
// about the object itself fails as for a disconnected object.
class TAccessibleObject final : public IAccessible, public IOleWindow, public IEnumVARIANT {
public:
    // Takes over the reference to `standard`.
    TAccessibleObject(HWND window, IAccessible* standard) : window_(window), standard_(standard) {}
    TAccessibleObject(const TAccessibleObject&) = delete;
    TAccessibleObject& operator=(const TAccessibleObject&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) ||
            iid == __uuidof(IAccessible)) {
            *object = static_cast<IAccessible*>(this);
        } else if (iid == __uuidof(IOleWindow)) {
            *object = static_cast<IOleWindow*>(this);
        } else if (iid == __uuidof(IEnumVARIANT)) {
            // The children as the standard object lists them (the control's child windows).
            IEnumVARIANT* children = nullptr;
            if (FAILED(standard_->QueryInterface(__uuidof(IEnumVARIANT),
                                                 reinterpret_cast<void**>(&children))))
                return E_NOINTERFACE;
            children->Release();
            *object = static_cast<IEnumVARIANT*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return left;
    }

    // IDispatch: no type information; clients call the interface directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible: what the control says about itself...
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!IsSelf(child)) return standard_->get_accName(child, name);
        const TAccessibility* a = Accessibility();
        if (a == nullptr) return CO_E_OBJNOTCONNECTED;
        return ReturnText(a->Name ? a->Name() : std::string(), name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        if (!IsSelf(child)) return standard_->get_accValue(child, value);
        const TAccessibility* a = Accessibility();
        if (a == nullptr) return CO_E_OBJNOTCONNECTED;
        if (!a->Value) {
            if (value != nullptr) *value = nullptr;
            return DISP_E_MEMBERNOTFOUND;
        }
        return ReturnText(a->Value(), value);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsSelf(child)) return standard_->get_accRole(child, role);
        const TAccessibility* a = Accessibility();
        if (a == nullptr) return CO_E_OBJNOTCONNECTED;
        if (role == nullptr) return E_POINTER;
        role->vt = VT_I4;
        role->lVal = a->Role;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!IsSelf(child)) return standard_->get_accState(child, state);
        const TAccessibility* a = Accessibility();
        if (a == nullptr) return CO_E_OBJNOTCONNECTED;
        if (state == nullptr) return E_POINTER;
        long bits = a->State;
        if (!IsWindowVisible(window_)) bits |= STATE_SYSTEM_INVISIBLE;
        if (!IsWindowEnabled(window_))
            bits |= STATE_SYSTEM_UNAVAILABLE;
        else if (GetWindowLongA(window_, GWL_STYLE) & WS_TABSTOP)
            bits |= STATE_SYSTEM_FOCUSABLE;
        // The focus of the window's own thread: the caller may be another thread.
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (GetGUIThreadInfo(GetWindowThreadProcessId(window_, nullptr), &info) &&
            info.hwndFocus == window_)
            bits |= STATE_SYSTEM_FOCUSED;
        auto* form = dynamic_cast<TForm*>(TControl::FromHandle(GetAncestor(window_, GA_ROOT)));
        if (form != nullptr && form->DefaultControl() == TControl::FromHandle(window_))
            bits |= STATE_SYSTEM_DEFAULT;
        state->vt = VT_I4;
        state->lVal = bits;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!IsSelf(child)) return standard_->get_accDefaultAction(child, action);
        const TAccessibility* a = Accessibility();
        if (a == nullptr) return CO_E_OBJNOTCONNECTED;
        return ReturnText(a->DoDefaultAction ? a->DefaultAction : std::string(), action);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!IsSelf(child)) return standard_->accDoDefaultAction(child);
        const TAccessibility* a = Accessibility();
        if (a == nullptr) return CO_E_OBJNOTCONNECTED;
        if (!a->DoDefaultAction) return DISP_E_MEMBERNOTFOUND;
        return PostMessageA(window_, kDefaultActionMessage, 0, 0) ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

    // ...and what the window system knows better.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return standard_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        return standard_->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return standard_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return standard_->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
        return standard_->get_accHelp(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
        TControl* control = TControl::FromHandle(window_);
        if (!IsSelf(child) || control == nullptr || control->AccessKey() == 0)
            return standard_->get_accKeyboardShortcut(child, text);
        char key[2] = {control->AccessKey(), 0};
        CharUpperA(key);
        return ReturnText(std::string("Alt+") + key, text);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        return standard_->get_accFocus(focus);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        return standard_->get_accSelection(selection);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return standard_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        return standard_->accHitTest(x, y, child);
    }

    // IOleWindow: the window, for WindowFromAccessibleObject.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (window == nullptr) return E_POINTER;
        *window = window_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IEnumVARIANT: the standard object's enumeration of the children.
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override {
        return WithChildren([&](IEnumVARIANT* e) { return e->Next(count, items, fetched); });
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        return WithChildren([&](IEnumVARIANT* e) { return e->Skip(count); });
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        return WithChildren([&](IEnumVARIANT* e) { return e->Reset(); });
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override {
        return WithChildren([&](IEnumVARIANT* e) { return e->Clone(copy); });
    }

private:
    ~TAccessibleObject() { standard_->Release(); }

    // The control's description while its window lives; null afterwards.
    const TAccessibility* Accessibility() const {
        TControl* control = TControl::FromHandle(window_);
        return control != nullptr ? &control->Accessibility : nullptr;
    }

    template <typename F> HRESULT WithChildren(F call) {
        IEnumVARIANT* children = nullptr;
        HRESULT result =
            standard_->QueryInterface(__uuidof(IEnumVARIANT), reinterpret_cast<void**>(&children));
        if (FAILED(result)) return result;
        result = call(children);
        children->Release();
        return result;
    }

    LONG references_ = 1;
    HWND window_;
    IAccessible* standard_;
};

} // namespace

LRESULT AccessibleObjectResult(HWND window, WPARAM wParam) {
    const Oleacc& oleacc = OleaccLibrary();
    if (!oleacc.Available()) return 0;
    IAccessible* standard = nullptr;
    if (FAILED(oleacc.CreateStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible),
                                                reinterpret_cast<void**>(&standard))) ||
        standard == nullptr)
        return 0;
    auto* object = new TAccessibleObject(window, standard);
    // The result holds a reference of its own; ours ends here.
    LRESULT result =
        oleacc.LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(object));
    object->Release();
    return result > 0 ? result : 0;
}

void NotifyAccessibleEvent(HWND window, DWORD event) {
    if (window != nullptr && IsWindowVisible(window))
        NotifyWinEvent(event, window, OBJID_CLIENT, CHILDID_SELF);
}

} // namespace tk
