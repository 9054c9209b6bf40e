#include "win/web_page.h"

#include <exdisp.h>
#include <exdispid.h>
#include <mshtmdid.h>
#include <ocidl.h>
#include <olectl.h>
#include <oleidl.h>

#include <optional>

#include "text/encoding.h"
#include "text/http_url.h"
#include "win/system_library.h"

namespace {

const wchar_t kClassName[] = L"RavoWebPage";

// What the page may fetch and run: no scripts, Java, ActiveX controls (neither run nor
// fetched), behaviours, frames or refreshes the page asks for itself, and no dialogs.
constexpr LONG kDownloadControl = DLCTL_NO_SCRIPTS | DLCTL_NO_JAVA | DLCTL_NO_RUNACTIVEXCTLS |
                                  DLCTL_NO_DLACTIVEXCTLS | DLCTL_NO_BEHAVIORS | DLCTL_NO_FRAMEDOWNLOAD |
                                  DLCTL_NO_CLIENTPULL | DLCTL_SILENT;

// OLE on the GUI thread, taken with the first page that needs it and given back as the
// program ends.
class Ole {
 public:
  Ole() {
    if (const auto init = system_library::Function<decltype(&OleInitialize)>(L"ole32.dll", "OleInitialize"))
      result_ = init(nullptr);
  }
  ~Ole() {
    const auto uninit = system_library::Function<decltype(&OleUninitialize)>(L"ole32.dll", "OleUninitialize");
    if (SUCCEEDED(result_) && uninit) uninit();
  }
  Ole(const Ole&) = delete;
  Ole& operator=(const Ole&) = delete;
  bool Ready() const { return SUCCEEDED(result_); }

 private:
  HRESULT result_ = E_FAIL;
};

void SetCancel(const VARIANTARG& arg) {
  if (arg.vt == (VT_BYREF | VT_BOOL) && arg.pboolVal) *arg.pboolVal = VARIANT_TRUE;
}

std::wstring UrlOf(const VARIANTARG& arg) {
  const VARIANT* v = arg.vt == (VT_BYREF | VT_VARIANT) ? arg.pvarVal : &arg;
  return v && v->vt == VT_BSTR && v->bstrVal ? std::wstring(v->bstrVal) : std::wstring();
}

// The browser's site: its client site, in-place site and frame, the ambient properties
// it asks for, and the sink of its events. One object, owned by its window.
class Site final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame, public IDispatch {
 public:
  Site(HWND window, std::wstring address) : window_(window), address_(std::move(address)) {}

  bool Open() {
    const auto create = system_library::Function<decltype(&CoCreateInstance)>(L"ole32.dll", "CoCreateInstance");
    if (!create || FAILED(create(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                 reinterpret_cast<void**>(&object_))))
      return false;
    if (FAILED(object_->SetClientSite(static_cast<IOleClientSite*>(this)))) return false;
    // The browser reads the ambient download control now that it has its site.
    IOleControl* control = nullptr;
    if (SUCCEEDED(object_->QueryInterface(IID_IOleControl, reinterpret_cast<void**>(&control)))) {
      control->OnAmbientPropertyChange(DISPID_AMBIENT_DLCONTROL);
      control->Release();
    }
    RECT area;
    GetClientRect(window_, &area);
    if (FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0, window_, &area))) return false;
    if (FAILED(object_->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser_)))) return false;
    browser_->put_Silent(VARIANT_TRUE);
    IConnectionPointContainer* points = nullptr;
    if (SUCCEEDED(browser_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points)))) {
      if (SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, &events_))) events_->Advise(static_cast<IDispatch*>(this), &cookie_);
      points->Release();
    }
    // Without the sink nothing would cancel new windows, downloads and navigations away.
    if (!cookie_) return false;
    const auto alloc = system_library::Function<decltype(&SysAllocString)>(L"oleaut32.dll", "SysAllocString");
    const auto release = system_library::Function<decltype(&SysFreeString)>(L"oleaut32.dll", "SysFreeString");
    if (!alloc || !release) return false;
    BSTR url = alloc(address_.c_str());
    VARIANT none;
    none.vt = VT_EMPTY;
    // The navigation asked for here is the page's one; the browser may write its address
    // in a form of its own (a slash added), so it is let through by its turn, not its text.
    navigationsAllowed_ = 1;
    const HRESULT sent = browser_->Navigate(url, &none, &none, &none, &none);
    release(url);
    if (FAILED(sent)) return false;
    sentTo_ = address_;
    return true;
  }

  void Close() {
    if (events_) {
      if (cookie_) events_->Unadvise(cookie_);
      events_->Release();
      events_ = nullptr;
    }
    if (browser_) {
      browser_->Stop();
      browser_->Release();
      browser_ = nullptr;
    }
    if (object_) {
      object_->Close(OLECLOSE_NOSAVE);
      object_->SetClientSite(nullptr);
      object_->Release();
      object_ = nullptr;
    }
  }

  void Resize(int w, int h) {
    IOleInPlaceObject* place = nullptr;
    if (object_ && SUCCEEDED(object_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&place)))) {
      RECT r = {0, 0, w, h};
      place->SetObjectRects(&r, &r);
      place->Release();
    }
  }

  const std::wstring& SentTo() const { return sentTo_; }

  // IUnknown: the window owns the site; the browser's references do not decide its life.
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite)
      *out = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
      *out = static_cast<IOleInPlaceSite*>(this);
    else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame)
      *out = static_cast<IOleInPlaceFrame*>(this);
    else if (riid == IID_IDispatch || riid == DIID_DWebBrowserEvents2)
      *out = static_cast<IDispatch*>(this);
    else
      return E_NOINTERFACE;
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP GetContainer(IOleContainer** c) override {
    *c = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow, for the in-place site and the frame alike
  STDMETHODIMP GetWindow(HWND* w) override {
    *w = window_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos, LPRECT clip,
                                LPOLEINPLACEFRAMEINFO info) override {
    *frame = this;
    *doc = nullptr;
    GetClientRect(window_, pos);
    GetClientRect(window_, clip);
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow, IOleInPlaceFrame: the page has no menus, tools or status.
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  // IDispatch: the ambient properties the browser asks its site for, and its events.
  STDMETHODIMP GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                      UINT*) override {
    switch (id) {
      case DISPID_AMBIENT_DLCONTROL:
        if (!result) return E_INVALIDARG;
        result->vt = VT_I4;
        result->lVal = kDownloadControl;
        return S_OK;
      case DISPID_AMBIENT_USERMODE:
        if (!result) return E_INVALIDARG;
        result->vt = VT_BOOL;
        result->boolVal = VARIANT_TRUE;
        return S_OK;
      case DISPID_BEFORENAVIGATE2:  // (pDisp, URL, Flags, Target, PostData, Headers, Cancel)
        if (params && params->cArgs >= 7) {
          if (navigationsAllowed_ > 0 && UrlOf(params->rgvarg[5]).compare(0, 8, L"https://") == 0)
            --navigationsAllowed_;
          else
            SetCancel(params->rgvarg[0]);
        }
        return S_OK;
      case DISPID_NEWWINDOW2:  // (ppDisp, Cancel)
        if (params && params->cArgs >= 2) SetCancel(params->rgvarg[0]);
        return S_OK;
      case DISPID_NEWWINDOW3:  // (ppDisp, Cancel, Flags, UrlContext, Url)
        if (params && params->cArgs >= 5) SetCancel(params->rgvarg[3]);
        return S_OK;
      case DISPID_FILEDOWNLOAD:  // (ActiveDocument, Cancel): a file, not the page itself
        if (params && params->cArgs >= 2) {
          const VARIANTARG& document = params->rgvarg[1];
          if (!(document.vt == VT_BOOL && document.boolVal == VARIANT_TRUE)) SetCancel(params->rgvarg[0]);
        }
        return S_OK;
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

 private:
  HWND window_;
  std::wstring address_;
  std::wstring sentTo_;
  IOleObject* object_ = nullptr;
  IWebBrowser2* browser_ = nullptr;
  IConnectionPoint* events_ = nullptr;
  DWORD cookie_ = 0;
  int navigationsAllowed_ = 0;
};

Site* SiteOf(HWND page) { return reinterpret_cast<Site*>(GetWindowLongPtrW(page, GWLP_USERDATA)); }

LRESULT CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      if (Site* site = SiteOf(hwnd)) site->Resize(LOWORD(lp), HIWORD(lp));
      break;
    case WM_DESTROY:
      if (Site* site = SiteOf(hwnd)) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        site->Close();
        delete site;
      }
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

HINSTANCE ThisModule() {
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&PageProc), &self);
  return self;
}

}  // namespace

HWND CreateWebPage(HWND parent, int x, int y, int w, int h, UINT id, const std::string& address) {
  static const bool registered = [] {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = PageProc;
    wc.hInstance = ThisModule();
    wc.lpszClassName = kClassName;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    return RegisterClassW(&wc) != 0;
  }();
  if (!registered) return nullptr;
  const HWND page = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y, w, h, parent,
                                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), ThisModule(), nullptr);
  if (!page) return nullptr;
  const std::optional<std::string> secure = SecurePageAddress(address);
  if (!secure) return page;  // nothing is fetched
  static Ole ole;
  if (!ole.Ready()) return page;
  auto* site = new Site(page, enc::Wide(*secure));
  SetWindowLongPtrW(page, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(site));
  // Where the machine has no browser engine, or it refuses the host's terms, the window
  // stays empty.
  if (!site->Open()) {
    SetWindowLongPtrW(page, GWLP_USERDATA, 0);
    site->Close();
    delete site;
  }
  return page;
}

std::string WebPageAddress(HWND page) {
  const Site* site = page ? SiteOf(page) : nullptr;
  return site ? enc::Narrow(site->SentTo()) : std::string();
}
