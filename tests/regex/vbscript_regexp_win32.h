// The installed VBScript.RegExp class driven through late-bound IDispatch:
// the reference the differential test and the Windows benchmark compare our
// engine with. Texts cross as UTF-16 converted from and to GBK.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "core/encoding.h"
#include "core/text.h"

namespace vbscript {

// CoInitialize / CoUninitialize in a balanced pair.
class ComScope {
 public:
  ComScope() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~ComScope() {
    if (ok_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool ok_;
};

// A VARIANT that clears itself.
struct Variant {
  VARIANT v;
  Variant() { VariantInit(&v); }
  ~Variant() { VariantClear(&v); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
};

// One owned IDispatch reference.
class Dispatch {
 public:
  Dispatch() = default;
  explicit Dispatch(IDispatch* p) : p_(p) {}
  ~Dispatch() {
    if (p_) p_->Release();
  }
  Dispatch(Dispatch&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
  Dispatch& operator=(Dispatch&& o) noexcept {
    if (this != &o) {
      if (p_) p_->Release();
      p_ = o.p_;
      o.p_ = nullptr;
    }
    return *this;
  }
  Dispatch(const Dispatch&) = delete;
  Dispatch& operator=(const Dispatch&) = delete;
  IDispatch* get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // Calls member `name` with `args` (in order); the result in `result`.
  HRESULT Call(const wchar_t* name, WORD flags, std::vector<VARIANT> args, VARIANT* result) const {
    if (!p_) return E_POINTER;
    DISPID id;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = p_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());  // IDispatch wants them last first
    DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), nullptr, UINT(reversed.size()), 0};
    DISPID put = DISPID_PROPERTYPUT;
    if (flags & DISPATCH_PROPERTYPUT) {
      params.rgdispidNamedArgs = &put;
      params.cNamedArgs = 1;
    }
    return p_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr, nullptr);
  }

 private:
  IDispatch* p_ = nullptr;
};

inline VARIANT BoolArg(bool b) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BOOL;
  v.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}
inline VARIANT IntArg(long i) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = i;
  return v;
}

// A BSTR argument holding GBK text; owns the string.
class TextArg {
 public:
  explicit TextArg(const core::Text& text) {
    const core::Wide wide = core::Gb18030ToWide(text);
    VariantInit(&v_);
    v_.vt = VT_BSTR;
    v_.bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()), UINT(wide.size()));
  }
  ~TextArg() { VariantClear(&v_); }
  TextArg(const TextArg&) = delete;
  TextArg& operator=(const TextArg&) = delete;
  VARIANT get() const { return v_; }  // a shallow copy, for the argument list only

 private:
  VARIANT v_;
};

inline core::Text TextOf(const VARIANT& v) {
  if (v.vt != VT_BSTR || !v.bstrVal) return core::Text();
  const core::Wide wide(reinterpret_cast<const char16_t*>(v.bstrVal), SysStringLen(v.bstrVal));
  return core::WideToGb18030(wide);
}

struct Match {
  core::Text value;
  std::vector<core::Text> groups;
  std::vector<bool> groupEmpty;  // VT_EMPTY: the group took no part
};

class RegExp {
 public:
  RegExp() {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"VBScript.RegExp", &clsid))) return;
    IDispatch* p = nullptr;
    if (SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                   reinterpret_cast<void**>(&p)))) {
      object_ = Dispatch(p);
    }
  }
  bool ok() const { return bool(object_); }

  bool Set(const core::Text& pattern, bool ignoreCase, bool global, bool multiline) {
    TextArg p(pattern);
    return SUCCEEDED(object_.Call(L"Pattern", DISPATCH_PROPERTYPUT, {p.get()}, nullptr)) &&
           SUCCEEDED(object_.Call(L"IgnoreCase", DISPATCH_PROPERTYPUT, {BoolArg(ignoreCase)}, nullptr)) &&
           SUCCEEDED(object_.Call(L"Global", DISPATCH_PROPERTYPUT, {BoolArg(global)}, nullptr)) &&
           SUCCEEDED(object_.Call(L"Multiline", DISPATCH_PROPERTYPUT, {BoolArg(multiline)}, nullptr));
  }

  // False when Replace failed (invalid pattern, out of memory).
  bool Replace(const core::Text& subject, const core::Text& replacement, core::Text& out) const {
    TextArg s(subject), r(replacement);
    Variant result;
    if (FAILED(object_.Call(L"Replace", DISPATCH_METHOD, {s.get(), r.get()}, &result.v))) return false;
    out = TextOf(result.v);
    return true;
  }

  bool Execute(const core::Text& subject, std::vector<Match>& matches) const {
    matches.clear();
    TextArg s(subject);
    Variant collection;
    if (FAILED(object_.Call(L"Execute", DISPATCH_METHOD, {s.get()}, &collection.v)) ||
        collection.v.vt != VT_DISPATCH) {
      return false;
    }
    Dispatch all(collection.v.pdispVal);
    collection.v.pdispVal->AddRef();
    Variant count;
    if (FAILED(all.Call(L"Count", DISPATCH_PROPERTYGET, {}, &count.v)) ||
        FAILED(VariantChangeType(&count.v, &count.v, 0, VT_I4))) {
      return false;
    }
    for (long i = 0; i < count.v.lVal; ++i) {
      Variant item;
      if (FAILED(all.Call(L"Item", DISPATCH_PROPERTYGET | DISPATCH_METHOD, {IntArg(i)}, &item.v)) ||
          item.v.vt != VT_DISPATCH) {
        return false;
      }
      Dispatch match(item.v.pdispVal);
      item.v.pdispVal->AddRef();
      Match m;
      Variant value;
      if (FAILED(match.Call(L"Value", DISPATCH_PROPERTYGET, {}, &value.v))) return false;
      m.value = TextOf(value.v);
      Variant subs;
      if (SUCCEEDED(match.Call(L"SubMatches", DISPATCH_PROPERTYGET, {}, &subs.v)) &&
          subs.v.vt == VT_DISPATCH) {
        Dispatch sub(subs.v.pdispVal);
        subs.v.pdispVal->AddRef();
        Variant subCount;
        if (SUCCEEDED(sub.Call(L"Count", DISPATCH_PROPERTYGET, {}, &subCount.v)) &&
            SUCCEEDED(VariantChangeType(&subCount.v, &subCount.v, 0, VT_I4))) {
          for (long j = 0; j < subCount.v.lVal; ++j) {
            Variant g;
            sub.Call(L"Item", DISPATCH_PROPERTYGET | DISPATCH_METHOD, {IntArg(j)}, &g.v);
            m.groupEmpty.push_back(g.v.vt == VT_EMPTY);
            m.groups.push_back(TextOf(g.v));
          }
        }
      }
      matches.push_back(std::move(m));
    }
    return true;
  }

 private:
  Dispatch object_;
};

}  // namespace vbscript
