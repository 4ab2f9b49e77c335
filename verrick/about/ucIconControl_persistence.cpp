#include "verrick/about/ucIconControl.h"

#include <algorithm>
#include <string>

#include "support/runtime_error.h"
#include "support/values.h"
#include "verrick/about/icon_stream.h"
#include "verrick/about/ucIconControl_parts.h"

namespace verrick {
namespace {

using support::ComPtr;
using support::Variant;
using namespace icon_control;

ComPtr<IPictureDisp> PictureOf(const VARIANT& value) noexcept
{
    ComPtr<IPictureDisp> picture;
    if ((value.vt == VT_DISPATCH || value.vt == VT_UNKNOWN) && value.punkVal)
        value.punkVal->QueryInterface(IID_IPictureDisp, picture.put_void());
    return picture;
}

// Reads one key of a property bag. Keys compare without regard to case: the
// system's bags do so, and for one that does not the lower-case form is tried too.
bool ReadKey(IPropertyBag* bag, const wchar_t* name, VARTYPE wanted, Variant& value)
{
    value = Variant();
    value.get()->vt = wanted;
    if (FAILED(bag->Read(name, value.get(), nullptr))) {
        std::wstring lower = support::FoldedName(name);
        value = Variant();
        value.get()->vt = wanted;
        if (FAILED(bag->Read(lower.c_str(), value.get(), nullptr))) return false;
    }
    if (wanted == VT_EMPTY) return true;
    return SUCCEEDED(::VariantChangeType(value.get(), value.get(), 0, wanted));
}

void WritePicture(IPropertyBag* bag, const wchar_t* name, IPictureDisp* picture)
{
    VARIANT value{};
    value.vt = VT_DISPATCH;
    value.pdispVal = picture;
    bag->Write(name, &value);
}

HRESULT WriteBytes(IStream* stream, const void* data, ULONG size) noexcept
{
    ULONG written = 0;
    HRESULT hr = stream->Write(data, size, &written);
    return FAILED(hr) ? hr : written == size ? S_OK : STG_E_MEDIUMFULL;
}

// A picture's own stream form; empty for no picture and for one that cannot
// be saved, so that the rest of the record stays readable.
std::string PictureStreamBytes(IPictureDisp* picture)
{
    ComPtr<IStream> buffer;
    HGLOBAL memory = nullptr;
    auto persist = ComPtr<IPictureDisp>(picture).as<IPersistStream>();
    if (!persist || FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, buffer.put())) ||
        FAILED(::OleSaveToStream(persist.get(), buffer.get())) ||
        FAILED(::GetHGlobalFromStream(buffer.get(), &memory)))
        return {};
    ULARGE_INTEGER end{};
    if (FAILED(buffer->Seek({}, STREAM_SEEK_CUR, &end)) || end.QuadPart > about::kMaxStreamPictureBytes)
        return {};
    support::GlobalLock<char> bytes(memory);
    if (!bytes) return {};
    return std::string(bytes.get(), static_cast<std::size_t>(end.QuadPart));
}

// A picture from its stream form: none for no bytes or bytes that do not load.
ComPtr<IPictureDisp> PictureFromStreamBytes(std::string_view bytes) noexcept
{
    ComPtr<IPictureDisp> picture;
    if (bytes.empty()) return picture;
    support::UniqueGlobal memory(::GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
    if (!memory) return picture;
    {
        support::GlobalLock<char> target(memory.get());
        if (!target) return picture;
        std::copy(bytes.begin(), bytes.end(), target.get());
    }
    ComPtr<IStream> buffer;
    if (FAILED(::CreateStreamOnHGlobal(memory.get(), TRUE, buffer.put()))) return picture;
    memory.release();
    ::OleLoadFromStream(buffer.get(), IID_IPictureDisp, picture.put_void());
    return picture;
}

} // namespace

// --- persistence ---

HRESULT ucIconControl::GetClassID(CLSID* clsid)
{
    if (!clsid) return E_POINTER;
    *clsid = CLSID_ucIconControl;
    return S_OK;
}

HRESULT ucIconControl::InitNew()
{
    picture_ = toolkit::EmptyPicture();
    backColor_ = kDefaultBackColor;
    mouseIcon_.reset();
    mousePointer_ = 0;
    ClearSurface();
    dirty_ = false;
    return S_OK;
}

HRESULT ucIconControl::Load(IPropertyBag* bag, IErrorLog*)
{
    if (!bag) return E_POINTER;
    try {
        // Each key falls back to its default when it is missing or unreadable.
        Variant value;
        picture_ = ReadKey(bag, L"Picture", VT_EMPTY, value) ? PictureOf(*value) : nullptr;
        SetBackColor(ReadKey(bag, L"BackColor", VT_I4, value) &&
                             SUCCEEDED(::OleTranslateColor(static_cast<OLE_COLOR>(value.get()->lVal), nullptr,
                                                           nullptr))
                         ? static_cast<OLE_COLOR>(value.get()->lVal)
                         : kDefaultBackColor);
        SetMouseIcon(ReadKey(bag, L"MouseIcon", VT_EMPTY, value) ? PictureOf(*value).get() : nullptr);
        mousePointer_ = ReadKey(bag, L"MousePointer", VT_I2, value) && IsValidPointer(value.get()->iVal)
                            ? value.get()->iVal
                            : 0;
    } catch (...) {
        return support::HresultOfCaughtError();
    }
    // A loaded control shows its picture, as it did when it was saved.
    Redraw();
    dirty_ = false;
    return S_OK;
}

HRESULT ucIconControl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll)
{
    if (!bag) return E_POINTER;
    // A value equal to its default is left out unless the container asks for all; write failures are ignored.
    if (picture_ || saveAll) WritePicture(bag, L"Picture", picture_.get());
    if (backColor_ != kDefaultBackColor || saveAll) {
        VARIANT color{};
        color.vt = VT_I4;
        color.lVal = static_cast<LONG>(backColor_);
        bag->Write(L"BackColor", &color);
    }
    if (mouseIcon_ || saveAll) WritePicture(bag, L"MouseIcon", mouseIcon_.get());
    if (mousePointer_ != 0 || saveAll) {
        VARIANT pointer = Short(mousePointer_);
        bag->Write(L"MousePointer", &pointer);
    }
    if (clearDirty) dirty_ = false;
    return S_OK;
}

HRESULT ucIconControl::IsDirty()
{
    return dirty_ ? S_OK : S_FALSE;
}

HRESULT ucIconControl::Load(IStream* stream)
{
    if (!stream) return E_POINTER;
    try {
        // Only the record's own bytes are taken: the container may keep more after them.
        HRESULT readError = S_OK;
        std::string bytes;
        const about::IconStreamLayout layout = about::ReadIconStream(
            [&](char* buffer, std::size_t size) -> std::size_t {
                ULONG read = 0;
                const HRESULT hr = stream->Read(buffer, static_cast<ULONG>(size), &read);
                if (FAILED(hr)) readError = hr;
                return FAILED(hr) ? 0 : read;
            },
            bytes);
        if (layout.status == about::IconStreamLayout::Status::WrongTag) return STG_E_OLDFORMAT;
        if (!layout.hasHeader) return FAILED(readError) ? readError : STG_E_READFAULT;
        // A picture that is cut short, damaged or unreadable is none; the rest stays.
        picture_ = PictureFromStreamBytes(layout.picture.In(bytes));
        const auto color = static_cast<OLE_COLOR>(layout.backColor);
        SetBackColor(SUCCEEDED(::OleTranslateColor(color, nullptr, nullptr)) ? color : kDefaultBackColor);
        mouseIcon_ = PictureFromStreamBytes(layout.mouseIcon.In(bytes));
        mousePointer_ = IsValidPointer(layout.mousePointer) ? layout.mousePointer : 0;
    } catch (...) {
        return support::HresultOfCaughtError();
    }
    Redraw();
    dirty_ = false;
    return S_OK;
}

HRESULT ucIconControl::Save(IStream* stream, BOOL clearDirty)
{
    if (!stream) return E_POINTER;
    try {
        const std::string record =
            about::BuildIconStream(static_cast<std::uint32_t>(backColor_), mousePointer_,
                                   PictureStreamBytes(picture_.get()), PictureStreamBytes(mouseIcon_.get()));
        const HRESULT hr = WriteBytes(stream, record.data(), static_cast<ULONG>(record.size()));
        if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
        return hr;
    } catch (...) {
        return support::HresultOfCaughtError();
    }
}

HRESULT ucIconControl::GetSizeMax(ULARGE_INTEGER* size)
{
    if (!size) return E_POINTER;
    size->QuadPart = 0;
    return E_NOTIMPL;
}

} // namespace verrick
