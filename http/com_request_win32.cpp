// ComHttpRequest through the WinHttp.WinHttpRequest.5.1 automation object,
// every member called late-bound by name.
#include <windows.h>
#include <oleauto.h>

#include <chrono>
#include <mutex>
#include <vector>

#include "core/encoding.h"
#include "http/com_request.h"
#include "http/headers.h"
#include "http/inet_fetch.h"
#include "http/request_rules.h"

namespace http {

namespace {

// Wine's request object ignores SetProxy: its session takes the default
// proxy, which Wine reads from the http_proxy variable as its C runtime
// (ucrtbase) sees it. Under Wine that variable is set to the proxy (and put
// back when a later request has none), so the request goes through the
// proxy there too; Windows honours SetProxy and is left alone.
void OfferProxyToWine(const Text& proxy) {
  static const bool underWine =
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  if (!underWine) return;
  using PutEnv = int(__cdecl*)(const char*, const char*);
  using GetEnv = char*(__cdecl*)(const char*);
  static const HMODULE crt = LoadLibraryW(L"ucrtbase.dll");  // stays loaded: winhttp uses it
  if (!crt) return;
  const auto put = reinterpret_cast<PutEnv>(GetProcAddress(crt, "_putenv_s"));
  const auto get = reinterpret_cast<GetEnv>(GetProcAddress(crt, "getenv"));
  if (!put || !get) return;
  // The user's own value, given back when a request has no proxy.
  static std::mutex lock;
  static bool changed = false;
  static Text original;
  const std::lock_guard<std::mutex> hold(lock);
  if (proxy.empty()) {
    if (changed) put("http_proxy", original.c_str());
    changed = false;
    return;
  }
  if (!changed) {
    const char* before = get("http_proxy");
    original = before ? before : "";
    changed = true;
  }
  put("http_proxy", proxy.c_str());
}

// Balances the thread's COM initialisation on every path out.
class ComInit {
 public:
  ComInit() { CoInitialize(nullptr); }
  ~ComInit() { CoUninitialize(); }
  ComInit(const ComInit&) = delete;
  ComInit& operator=(const ComInit&) = delete;
};

// A VARIANT with one owner.
class Variant {
 public:
  Variant() { VariantInit(&v_); }
  ~Variant() { VariantClear(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* get() { return &v_; }
  VARIANT& operator*() { return v_; }

 private:
  VARIANT v_;
};

// The program's text is GB18030 whatever the system's ANSI code page is, so
// the strings cross into COM as UTF-16 by the program's own tables.
BSTR MakeBstr(const Text& text) {
  const core::Wide w = core::Gb18030ToWide(text);
  return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(w.data()), UINT(w.size()));
}

Text FromBstr(BSTR s) {
  if (!s) return Text();
  core::Wide w(reinterpret_cast<const char16_t*>(s), SysStringLen(s));
  // Wine hands some strings back with a trailing U+0000; text ends there.
  const size_t zero = w.find(char16_t(0));
  if (zero != core::Wide::npos) w.resize(zero);
  return core::WideToGb18030(w);
}

void SetString(VARIANT& v, const Text& text) {
  v.vt = VT_BSTR;
  v.bstrVal = MakeBstr(text);
}

void SetInt(VARIANT& v, long value) {
  v.vt = VT_I4;
  v.lVal = value;
}

void SetBool(VARIANT& v, bool value) {
  v.vt = VT_BOOL;
  v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

bool SetByteArray(VARIANT& v, const Bytes& bytes) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, ULONG(bytes.size()));
  if (!array) return false;
  void* data = nullptr;
  if (SUCCEEDED(SafeArrayAccessData(array, &data))) {
    if (!bytes.empty()) memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(array);
  }
  v.vt = VT_ARRAY | VT_UI1;
  v.parray = array;
  return true;
}

Bytes GetByteArray(VARIANT& v) {
  if (v.vt != (VT_ARRAY | VT_UI1) || !v.parray) return Bytes();
  LONG lower = 0, upper = -1;
  SafeArrayGetLBound(v.parray, 1, &lower);
  SafeArrayGetUBound(v.parray, 1, &upper);
  if (upper < lower) return Bytes();
  Bytes out;
  void* data = nullptr;
  if (SUCCEEDED(SafeArrayAccessData(v.parray, &data))) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    out.assign(p, p + (upper - lower + 1));
    SafeArrayUnaccessData(v.parray);
  }
  return out;
}

// An IDispatch reference with calls by member name. Arguments are given in
// their natural order; Invoke wants them reversed.
class Dispatch {
 public:
  Dispatch() = default;
  ~Dispatch() {
    if (object_) object_->Release();
  }
  Dispatch(const Dispatch&) = delete;
  Dispatch& operator=(const Dispatch&) = delete;

  bool Create(const wchar_t* progId) {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(progId, &clsid))) return false;
    return SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                      reinterpret_cast<void**>(&object_)));
  }
  void Attach(IDispatch* object) {
    object->AddRef();
    object_ = object;
  }

  HRESULT Call(const wchar_t* name, std::vector<VARIANT*> args, VARIANT* result = nullptr) {
    return Invoke(name, DISPATCH_METHOD, args, result);
  }
  // A property read, falling back to a method call.
  HRESULT Get(const wchar_t* name, VARIANT* result) {
    return Invoke(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, {}, result);
  }
  // An indexed property write: name(index) = value.
  HRESULT Put(const wchar_t* name, VARIANT* index, VARIANT* value) {
    return Invoke(name, DISPATCH_PROPERTYPUT, {index, value}, nullptr);
  }

 private:
  HRESULT Invoke(const wchar_t* name, WORD flags, const std::vector<VARIANT*>& args, VARIANT* result) {
    DISPID id;
    LPOLESTR member = const_cast<LPOLESTR>(name);
    HRESULT hr = object_->GetIDsOfNames(IID_NULL, &member, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(**it);
    DISPPARAMS params = {};
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = UINT(reversed.size());
    DISPID named = DISPID_PROPERTYPUT;
    if (flags & DISPATCH_PROPERTYPUT) {
      params.rgdispidNamedArgs = &named;
      params.cNamedArgs = 1;
    }
    EXCEPINFO exception = {};
    hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &exception, nullptr);
    if (hr == DISP_E_EXCEPTION) {
      // The object's own error is in the exception (a refused certificate
      // is only told there).
      if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
      if (FAILED(exception.scode)) hr = exception.scode;
      SysFreeString(exception.bstrSource);
      SysFreeString(exception.bstrDescription);
      SysFreeString(exception.bstrHelpFile);
    }
    return hr;
  }

  IDispatch* object_ = nullptr;
};

// Longest single wait for the response, so that a cancel is seen in time.
constexpr long kWaitSliceSeconds = 1;
// A "not yet" from a wait of one slice that came back sooner than this did
// not wait at all.
constexpr auto kEarlyAnswer = std::chrono::milliseconds(kWaitSliceSeconds * 1000 / 2);

}  // namespace

Bytes ComHttpRequest(const Text& url) {
  RequestOptions options;
  return ComHttpRequest(url, options);
}

Bytes ComHttpRequest(const Text& url, RequestOptions& o) {
  const int method = o.method.value_or(0);
  const Text postText = o.postText.value_or(Text());
  Text headers = o.headers.value_or(Text());
  const bool noRedirect = o.noRedirect.value_or(false);
  const Bytes postBytes = o.postBytes.value_or(Bytes());
  const Text proxy = o.proxy.value_or(Text());
  const int timeoutSeconds = o.timeoutSeconds.value_or(0);
  const Text proxyUser = o.proxyUser.value_or(Text());
  const Text proxyPassword = o.proxyPassword.value_or(Text());
  const int proxyAuthMode = o.proxyAuthMode.value_or(1);
  const bool mergeCookies = o.mergeCookies.value_or(true);
  const bool addDefaultHeaders = o.addDefaultHeaders.value_or(true);
  const bool normaliseHeaders = o.normaliseHeaders.value_or(true);
  CancelToken* cancel = o.cancel;

  ComInit com;
  Dispatch request;  // released before `com` ends
  if (o.requestObject) {
    request.Attach(o.requestObject);
  } else if (!request.Create(L"WinHttp.WinHttpRequest.5.1")) {
    return Bytes();
  }

  const int ms = ComTimeoutMs(timeoutSeconds);
  if (ms != -1) {
    Variant a, b, c, d;
    SetInt(*a, ms), SetInt(*b, ms), SetInt(*c, ms), SetInt(*d, ms);
    request.Call(L"SetTimeouts", {a.get(), b.get(), c.get(), d.get()});
  }
  OfferProxyToWine(proxy);
  if (!proxy.empty()) {
    Variant setting, server;
    SetInt(*setting, 2);
    SetString(*server, proxy);
    request.Call(L"SetProxy", {setting.get(), server.get()});
  }
  {
    // Asynchronous, so that the wait below can watch the time-out and the
    // cancel token: under Wine the object enforces no receive time-out, and
    // a synchronous Send to a silent server would never return.
    Variant verb, address, async;
    SetString(*verb, MethodName(method));
    SetString(*address, url);
    SetBool(*async, true);
    request.Call(L"Open", {verb.get(), address.get(), async.get()});
  }
  if (noRedirect) {
    Variant option, value;
    SetInt(*option, 6);
    SetBool(*value, false);
    request.Put(L"Option", option.get(), value.get());
  }
  const bool checkCertificates = Checking(o.certificates);
  {
    // The certificate errors ignored (option 4): all or none. Wine does not
    // implement this option and always checks; the result is not examined.
    Variant option, value;
    SetInt(*option, 4);
    SetInt(*value, long(WinHttpSecurityFlags(checkCertificates)));
    request.Put(L"Option", option.get(), value.get());
  }

  headers = ComHeaderBlock(headers, url, method, addDefaultHeaders, normaliseHeaders);
  auto setHeader = [&request](const Text& name, const Text& value) {
    Variant n, v;
    SetString(*n, name);
    SetString(*v, value);
    request.Call(L"SetRequestHeader", {n.get(), v.get()});
  };
  const Text proxyAuthorization = ProxyAuthorization(proxy, proxyUser, proxyPassword, proxyAuthMode);
  if (!proxyAuthorization.empty()) setHeader("Proxy-Authorization", proxyAuthorization);
  std::optional<Text> cookies = o.cookies;
  if (cookies) {
    if (!cookies->empty()) cookies = WithoutCookieMarker(*cookies);
    setHeader("Cookie", *cookies);
  }
  for (const auto& line : ComHeaderLines(headers)) setHeader(line.first, line.second);
  // The object keeps a tunnel through the proxy open for the next request,
  // and Wine's sends it down that tunnel whatever host it is for: to
  // another server, whose certificate is never seen. Such a tunnel serves
  // one request only.
  if (!proxy.empty() && IsSecureUrl(url)) setHeader("Connection", "close");

  if (IsCancelled(cancel)) return Bytes();
  HRESULT failure = S_OK;
  {
    Variant body;
    if (!postBytes.empty()) {
      SetByteArray(*body, postBytes);
    } else {
      SetString(*body, postText);
    }
    failure = request.Call(L"Send", {body.get()});
  }
  // Wait for the whole response in slices, watching the cancel token and,
  // unless the object's own time-outs were asked for, the time-out.
  const auto start = std::chrono::steady_clock::now();
  while (SUCCEEDED(failure)) {
    if (IsCancelled(cancel)) {
      request.Call(L"Abort", {});
      return Bytes();
    }
    Variant slice, done;
    SetInt(*slice, kWaitSliceSeconds);
    const auto sliceStart = std::chrono::steady_clock::now();
    const HRESULT answer = request.Call(L"WaitForResponse", {slice.get()}, done.get());
    if (FAILED(answer)) {
      failure = answer;
      break;
    }
    if ((*done).vt == VT_BOOL && (*done).boolVal != VARIANT_FALSE) break;
    // "Not yet" means the slice ran out. Wine answers "not yet" at once when
    // the whole response had arrived before the call, and would keep saying
    // so until the time-out: an answer well inside the slice is completion.
    if (std::chrono::steady_clock::now() - sliceStart < kEarlyAnswer) break;
    const auto waited = std::chrono::steady_clock::now() - start;
    if (ms != -1 && waited >= std::chrono::milliseconds(ms)) {
      request.Call(L"Abort", {});
      break;
    }
  }
  if (IsCancelled(cancel)) return Bytes();
  if (FAILED(failure) && checkCertificates && IsSecureUrl(url)) {
    const CertificateFault fault = ComCertificateFault(failure);
    if (fault != CertificateFault::kNone) o.certificates->Refused(UrlHost(url, true), fault, long(failure));
  }

  Bytes result;
  {
    Variant body;
    if (SUCCEEDED(request.Get(L"ResponseBody", body.get()))) result = GetByteArray(*body);
  }
  Text responseHeaders;
  {
    Variant text;
    if (SUCCEEDED(request.Get(L"GetAllResponseHeaders", text.get())) && (*text).vt == VT_BSTR) {
      responseHeaders = FromBstr((*text).bstrVal);
    }
  }
  int statusCode = 0;
  {
    Variant status;
    if (SUCCEEDED(request.Get(L"Status", status.get())) &&
        SUCCEEDED(VariantChangeType(status.get(), status.get(), 0, VT_R8))) {
      statusCode = int((*status).dblVal);
    }
  }
  // A body cut short is a failed fetch, as with the other clients.
  if (!BodyArrivedWhole(responseHeaders, statusCode, method, result.size())) result.clear();
  Text responseCookies;
  AppendSetCookies(responseHeaders, responseCookies);
  if (mergeCookies && cookies) responseCookies = MergeCookies(*cookies, responseCookies);

  o.headers = headers;
  if (cookies) o.cookies = cookies;
  if (o.responseHeaders) *o.responseHeaders = responseHeaders;
  if (o.statusCode) *o.statusCode = statusCode;
  if (o.responseCookies) *o.responseCookies = responseCookies;
  return result;
}

}  // namespace http
