#include "ui/accessible.h"

#include <oleacc.h>
#include <wrl/client.h>

#include <utility>

using Microsoft::WRL::ComPtr;

namespace {

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The standard client object of a window, with the window's role, name and
// own state. Everything else is the standard object's. Its references are
// counted on the user-interface thread, where COM calls it.
class cSkinAccessible final : public IAccessible, public IOleWindow {
 public:
  cSkinAccessible(HWND window, long role, ComPtr<IAccessible> standard)
      : references_(1), window_(window), role_(role), standard_(std::move(standard)) {}

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
      *object = static_cast<IAccessible*>(this);
    } else if (iid == IID_IOleWindow) {
      *object = static_cast<IOleWindow*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;  // the last reference owns the object
    return left;
  }

  // IOleWindow: the window an accessible object stands for.
  STDMETHODIMP GetWindow(HWND* window) override {
    if (!window) return E_POINTER;
    *window = window_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IDispatch: screen readers call IAccessible directly.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible: what the window knows.
  STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
    if (!IsSelf(child)) return standard_->get_accName(child, name);
    if (!name) return E_POINTER;
    WCHAR text[256] = L"";
    GetWindowTextW(window_, text, sizeof text / sizeof text[0]);
    *name = SysAllocString(text);
    return *name ? S_OK : E_OUTOFMEMORY;
  }
  STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
    if (!IsSelf(child)) return standard_->get_accRole(child, role);
    if (!role) return E_POINTER;
    role->vt = VT_I4;
    role->lVal = role_;
    return S_OK;
  }
  STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
    const HRESULT result = standard_->get_accState(child, state);
    if (FAILED(result) || !IsSelf(child) || state->vt != VT_I4) return result;
    // The system sees an enabled window; the window says whether it is.
    state->lVal &= ~STATE_SYSTEM_UNAVAILABLE;
    state->lVal |= static_cast<long>(SendMessageW(window_, kAccessibleStateMessage, 0, 0));
    // Figures to read: the keyboard never comes to them.
    if (role_ == ROLE_SYSTEM_STATICTEXT) state->lVal = (state->lVal & ~STATE_SYSTEM_FOCUSABLE) | STATE_SYSTEM_READONLY;
    return S_OK;
  }
  STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
    if (!IsSelf(child) || role_ != ROLE_SYSTEM_PUSHBUTTON) return standard_->get_accDefaultAction(child, action);
    if (!action) return E_POINTER;
    *action = SysAllocString(L"Press");
    return *action ? S_OK : E_OUTOFMEMORY;
  }
  STDMETHODIMP accDoDefaultAction(VARIANT child) override {
    if (!IsSelf(child) || role_ != ROLE_SYSTEM_PUSHBUTTON) return standard_->accDoDefaultAction(child);
    // Posted: the command may open a box, which must not hold the caller.
    return PostMessageW(window_, BM_CLICK, 0, 0) ? S_OK : E_FAIL;
  }

  // IAccessible: the standard object's.
  STDMETHODIMP get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
  STDMETHODIMP get_accChildCount(long* count) override { return standard_->get_accChildCount(count); }
  STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) override {
    return standard_->get_accChild(child, object);
  }
  STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override { return standard_->get_accValue(child, value); }
  STDMETHODIMP get_accDescription(VARIANT child, BSTR* text) override {
    return standard_->get_accDescription(child, text);
  }
  STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override { return standard_->get_accHelp(child, help); }
  STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    return standard_->get_accHelpTopic(file, child, topic);
  }
  STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return standard_->get_accKeyboardShortcut(child, shortcut);
  }
  STDMETHODIMP get_accFocus(VARIANT* child) override { return standard_->get_accFocus(child); }
  STDMETHODIMP get_accSelection(VARIANT* children) override { return standard_->get_accSelection(children); }
  STDMETHODIMP accSelect(long flags, VARIANT child) override { return standard_->accSelect(flags, child); }
  STDMETHODIMP accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    return standard_->accLocation(left, top, width, height, child);
  }
  STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override {
    return standard_->accNavigate(direction, start, end);
  }
  STDMETHODIMP accHitTest(long left, long top, VARIANT* child) override {
    return standard_->accHitTest(left, top, child);
  }
  STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~cSkinAccessible() = default;

  ULONG references_;
  const HWND window_;
  const long role_;
  const ComPtr<IAccessible> standard_;
};

}  // namespace

LRESULT AnswerGetObject(HWND window, WPARAM flags, long role) {
  ComPtr<IAccessible> standard;
  if (FAILED(CreateStdAccessibleObject(window, OBJID_CLIENT, IID_PPV_ARGS(standard.GetAddressOf())))) return 0;
  // Made with one reference, the object's owner here until the system has
  // taken its own.
  ComPtr<IAccessible> object;
  object.Attach(new cSkinAccessible(window, role, std::move(standard)));
  return LresultFromObject(IID_IAccessible, flags, object.Get());
}
