#pragma once
// Owners for COM references and automation values: interface pointers, BSTR,
// VARIANT and SAFEARRAY. Each owns exactly one reference or allocation and
// gives it back on destruction; get/put/release/reset as in handles.h.

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstddef>
#include <new>
#include <string>
#include <string_view>
#include <utility>

namespace support {

// A counted reference to a COM interface.
template <typename T> class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    // Takes a new reference of its own; see Attach for adopting one.
    explicit ComPtr(T* pointer) noexcept : pointer_(pointer)
    {
        if (pointer_) pointer_->AddRef();
    }
    ComPtr(const ComPtr& other) noexcept : ComPtr(other.pointer_) {}
    ComPtr(ComPtr&& other) noexcept : pointer_(other.release()) {}
    ComPtr& operator=(const ComPtr& other) noexcept
    {
        ComPtr(other).swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        ComPtr(std::move(other)).swap(*this);
        return *this;
    }
    ~ComPtr() { reset(); }

    // Adopts a reference the caller already owns.
    static ComPtr Attach(T* pointer) noexcept
    {
        ComPtr result;
        result.pointer_ = pointer;
        return result;
    }

    T* get() const noexcept { return pointer_; }
    T* operator->() const noexcept { return pointer_; }
    explicit operator bool() const noexcept { return pointer_ != nullptr; }

    T* release() noexcept { return std::exchange(pointer_, nullptr); }
    void reset() noexcept
    {
        if (T* old = std::exchange(pointer_, nullptr)) old->Release();
    }
    T** put() noexcept
    {
        reset();
        return &pointer_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }
    void swap(ComPtr& other) noexcept { std::swap(pointer_, other.pointer_); }

    // The same object seen through another interface; empty when it has none.
    template <typename U> ComPtr<U> as() const noexcept
    {
        ComPtr<U> result;
        if (pointer_) pointer_->QueryInterface(__uuidof(U), result.put_void());
        return result;
    }

    // Hands a new reference to an out-parameter.
    void copy_to(T** target) const noexcept
    {
        if (pointer_) pointer_->AddRef();
        *target = pointer_;
    }

    friend bool operator==(const ComPtr& left, const ComPtr& right) noexcept
    {
        return left.pointer_ == right.pointer_;
    }

private:
    T* pointer_ = nullptr;
};

// True when both pointers lead to the same COM object (identity through IUnknown).
inline bool SameObject(IUnknown* left, IUnknown* right) noexcept
{
    if (left == right) return true;
    if (!left || !right) return false;
    ComPtr<IUnknown> a, b;
    left->QueryInterface(IID_IUnknown, a.put_void());
    right->QueryInterface(IID_IUnknown, b.put_void());
    return a && a == b;
}

// An owned BSTR. Allocation failure throws std::bad_alloc.
class Bstr {
public:
    Bstr() noexcept = default;
    explicit Bstr(std::wstring_view text) : text_(Allocate(text)) {}
    Bstr(const Bstr& other) : text_(other.text_ ? Allocate(other.view()) : nullptr) {}
    Bstr(Bstr&& other) noexcept : text_(other.release()) {}
    Bstr& operator=(Bstr other) noexcept
    {
        std::swap(text_, other.text_);
        return *this;
    }
    ~Bstr() { reset(); }

    static Bstr Attach(BSTR text) noexcept
    {
        Bstr result;
        result.text_ = text;
        return result;
    }

    BSTR get() const noexcept { return text_; }
    // A null BSTR is the empty text.
    std::wstring_view view() const noexcept
    {
        return text_ ? std::wstring_view(text_, length()) : std::wstring_view();
    }
    UINT length() const noexcept { return ::SysStringLen(text_); }

    BSTR release() noexcept { return std::exchange(text_, nullptr); }
    void reset() noexcept
    {
        if (BSTR old = std::exchange(text_, nullptr)) ::SysFreeString(old);
    }
    BSTR* put() noexcept
    {
        reset();
        return &text_;
    }

private:
    static BSTR Allocate(std::wstring_view text)
    {
        BSTR result = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        if (!result) throw std::bad_alloc();
        return result;
    }

    BSTR text_ = nullptr;
};

// A view of the text in a BSTR that someone else owns.
inline std::wstring_view BstrView(BSTR text) noexcept
{
    return text ? std::wstring_view(text, ::SysStringLen(text)) : std::wstring_view();
}

// An owned VARIANT. Copies deep-copy (VariantCopy); failure throws std::bad_alloc.
class Variant {
public:
    Variant() noexcept { ::VariantInit(&value_); }
    Variant(const Variant& other) : Variant() { Copy(&value_, &other.value_); }
    Variant(Variant&& other) noexcept : value_(other.release()) {}
    Variant& operator=(const Variant& other)
    {
        if (this != &other) {
            Variant copy(other);
            swap(copy);
        }
        return *this;
    }
    Variant& operator=(Variant&& other) noexcept
    {
        Variant moved(std::move(other));
        swap(moved);
        return *this;
    }
    ~Variant() { ::VariantClear(&value_); }

    // Adopts the contents of a VARIANT and leaves it empty.
    static Variant Attach(VARIANT& value) noexcept
    {
        Variant result;
        result.value_ = value;
        value.vt = VT_EMPTY;
        return result;
    }
    // A deep copy of any VARIANT, following a by-reference value to what it refers to.
    static Variant CopyOf(const VARIANT& value)
    {
        Variant result;
        HRESULT hr = ::VariantCopyInd(&result.value_, const_cast<VARIANT*>(&value));
        if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
        if (FAILED(hr)) ::VariantClear(&result.value_);
        return result;
    }

    static Variant Long(LONG number) noexcept
    {
        Variant result;
        result.value_.vt = VT_I4;
        result.value_.lVal = number;
        return result;
    }
    static Variant Double(double number) noexcept
    {
        Variant result;
        result.value_.vt = VT_R8;
        result.value_.dblVal = number;
        return result;
    }
    static Variant Single(float number) noexcept
    {
        Variant result;
        result.value_.vt = VT_R4;
        result.value_.fltVal = number;
        return result;
    }
    static Variant Bool(bool flag) noexcept
    {
        Variant result;
        result.value_.vt = VT_BOOL;
        result.value_.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
        return result;
    }
    static Variant Text(std::wstring_view text)
    {
        Variant result;
        result.value_.bstrVal = Bstr(text).release();
        result.value_.vt = VT_BSTR;
        return result;
    }
    // Takes a new reference to the object (null gives Nothing).
    static Variant Object(IDispatch* object) noexcept
    {
        Variant result;
        result.value_.vt = VT_DISPATCH;
        result.value_.pdispVal = object;
        if (object) object->AddRef();
        return result;
    }
    static Variant Unknown(IUnknown* object) noexcept
    {
        Variant result;
        result.value_.vt = VT_UNKNOWN;
        result.value_.punkVal = object;
        if (object) object->AddRef();
        return result;
    }
    // Adopts a safe array (vt is VT_ARRAY plus the element type).
    static Variant Array(VARTYPE elementType, SAFEARRAY* array) noexcept
    {
        Variant result;
        result.value_.vt = static_cast<VARTYPE>(VT_ARRAY | elementType);
        result.value_.parray = array;
        return result;
    }
    // An omitted optional argument, as automation passes one.
    static Variant Missing() noexcept
    {
        Variant result;
        result.value_.vt = VT_ERROR;
        result.value_.scode = DISP_E_PARAMNOTFOUND;
        return result;
    }

    VARIANT* get() noexcept { return &value_; }
    const VARIANT* get() const noexcept { return &value_; }
    const VARIANT& operator*() const noexcept { return value_; }
    VARTYPE vt() const noexcept { return value_.vt; }

    VARIANT release() noexcept
    {
        VARIANT result = value_;
        value_.vt = VT_EMPTY;
        return result;
    }
    // Hands the contents to an out-parameter the caller will clear.
    void move_to(VARIANT* target) noexcept { *target = release(); }
    VARIANT* put() noexcept
    {
        ::VariantClear(&value_);
        return &value_;
    }
    void swap(Variant& other) noexcept { std::swap(value_, other.value_); }

private:
    static void Copy(VARIANT* target, const VARIANT* source)
    {
        if (::VariantCopy(target, const_cast<VARIANT*>(source)) == E_OUTOFMEMORY) throw std::bad_alloc();
    }

    VARIANT value_;
};

// An owned SAFEARRAY.
class SafeArray {
public:
    SafeArray() noexcept = default;
    explicit SafeArray(SAFEARRAY* array) noexcept : array_(array) {}
    SafeArray(SafeArray&& other) noexcept : array_(other.release()) {}
    SafeArray& operator=(SafeArray&& other) noexcept
    {
        SafeArray moved(std::move(other));
        std::swap(array_, moved.array_);
        return *this;
    }
    SafeArray(const SafeArray&) = delete;
    SafeArray& operator=(const SafeArray&) = delete;
    ~SafeArray() { reset(); }

    // A one-dimensional array with the given bounds; throws std::bad_alloc when it cannot be made.
    static SafeArray Vector(VARTYPE elementType, LONG lowerBound, ULONG count)
    {
        SAFEARRAYBOUND bound{count, lowerBound};
        SAFEARRAY* array = ::SafeArrayCreate(elementType, 1, &bound);
        if (!array) throw std::bad_alloc();
        return SafeArray(array);
    }

    SAFEARRAY* get() const noexcept { return array_; }
    explicit operator bool() const noexcept { return array_ != nullptr; }
    SAFEARRAY* release() noexcept { return std::exchange(array_, nullptr); }
    void reset(SAFEARRAY* array = nullptr) noexcept
    {
        if (SAFEARRAY* old = std::exchange(array_, array)) ::SafeArrayDestroy(old);
    }
    SAFEARRAY** put() noexcept
    {
        reset();
        return &array_;
    }

private:
    SAFEARRAY* array_ = nullptr;
};

// Direct access to the elements of a safe array, locked for the lifetime of this object.
template <typename T> class SafeArrayData {
public:
    explicit SafeArrayData(SAFEARRAY* array) noexcept : array_(array)
    {
        if (array_ && FAILED(::SafeArrayAccessData(array_, reinterpret_cast<void**>(&data_)))) {
            array_ = nullptr;
            data_ = nullptr;
        }
    }
    SafeArrayData(const SafeArrayData&) = delete;
    SafeArrayData& operator=(const SafeArrayData&) = delete;
    ~SafeArrayData()
    {
        if (array_) ::SafeArrayUnaccessData(array_);
    }
    T* get() const noexcept { return data_; }
    T& operator[](size_t index) const noexcept { return data_[index]; }
    explicit operator bool() const noexcept { return data_ != nullptr; }

private:
    SAFEARRAY* array_;
    T* data_ = nullptr;
};

// A description that a type library or its type information lends out
// (TLIBATTR, TYPEATTR, FUNCDESC, VARDESC), given back to the lender on
// destruction:  support::TypeAttr attr(info); info->GetTypeAttr(attr.put());
template <typename Lender, typename Part, auto GiveBack> class LentDescription {
public:
    explicit LentDescription(Lender* lender) noexcept : lender_(lender) {}
    LentDescription(LentDescription&& other) noexcept
        : lender_(std::move(other.lender_)), part_(std::exchange(other.part_, nullptr))
    {}
    LentDescription(const LentDescription&) = delete;
    LentDescription& operator=(const LentDescription&) = delete;
    ~LentDescription() { reset(); }

    const Part* get() const noexcept { return part_; }
    const Part* operator->() const noexcept { return part_; }
    explicit operator bool() const noexcept { return part_ != nullptr; }
    void reset() noexcept
    {
        if (Part* old = std::exchange(part_, nullptr)) (lender_.get()->*GiveBack)(old);
    }
    Part** put() noexcept
    {
        reset();
        return &part_;
    }

private:
    ComPtr<Lender> lender_;
    Part* part_ = nullptr;
};

using TypeLibAttr = LentDescription<ITypeLib, TLIBATTR, &ITypeLib::ReleaseTLibAttr>;
using TypeAttr = LentDescription<ITypeInfo, TYPEATTR, &ITypeInfo::ReleaseTypeAttr>;
using FuncDesc = LentDescription<ITypeInfo, FUNCDESC, &ITypeInfo::ReleaseFuncDesc>;
using VarDesc = LentDescription<ITypeInfo, VARDESC, &ITypeInfo::ReleaseVarDesc>;

} // namespace support
