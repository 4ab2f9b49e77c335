#include "vorlan/verrick_client.h"

#include "support/com.h"
#include "support/runtime_error.h"

namespace vorlan {
namespace {

support::ComPtr<_tlvMain>& Instance()
{
    static support::ComPtr<_tlvMain> instance;
    return instance;
}

// A failed call as the client runtime reports it.
void Check(HRESULT hr, const wchar_t* member)
{
    if (FAILED(hr)) support::RaiseFailedCall(hr, member);
}

} // namespace

_tlvMain& tlvMain()
{
    support::ComPtr<_tlvMain>& instance = Instance();
    if (!instance) {
        HRESULT hr = ::CoCreateInstance(CLSID_tlvMain, nullptr, CLSCTX_INPROC_SERVER, IID__tlvMain,
                                        instance.put_void());
        if (FAILED(hr) || !instance) {
            instance.reset();
            support::Raise(support::err::CannotCreateObject, L"ActiveX component can't create object",
                           L"Velmora.tlvMain");
        }
    }
    return *instance.get();
}

void ReleaseTlvMain() noexcept
{
    Instance().reset();
}

void ShowAboutBox(IDispatch* form, IDispatch* appObject, std::wstring_view pictureToolTipText)
{
    _tlvMain& main = tlvMain();
    support::Bstr description(L"");
    support::Variant noPicture = support::Variant::Object(nullptr);
    support::Variant toolTip = support::Variant::Text(pictureToolTipText);
    Check(main.ShowAboutBox(form, appObject, description.get(), *noPicture.get(), *toolTip.get()),
          L"ShowAboutBox");
}

std::wstring JoinCollection(const std::vector<std::wstring>& items, std::wstring_view delimiter)
{
    _tlvMain& main = tlvMain();
    support::SafeArray arguments =
        support::SafeArray::Vector(VT_VARIANT, 0, static_cast<ULONG>(items.size()));
    {
        support::SafeArrayData<VARIANT> slots(arguments.get());
        for (size_t i = 0; i < items.size(); ++i)
            support::Variant::Text(items[i]).move_to(&slots[i]);
    }
    SAFEARRAY* array = arguments.get();
    support::ComPtr<_Collection> collection;
    Check(main.Collection(&array, collection.put()), L"tlvMain.Collection");

    // In and out: the server may hand back another object, which is then ours to release.
    IDispatch* source = support::ComPtr<IDispatch>(collection.get()).release();
    support::Bstr delimiterText(delimiter);
    support::Bstr joined;
    HRESULT hr = main.JoinCollection(&source, delimiterText.get(), VARIANT_FALSE, joined.put());
    support::ComPtr<IDispatch>::Attach(source).reset();
    Check(hr, L"tlvMain.JoinCollection");
    return std::wstring(joined.view());
}

bool PressButton(IDispatch* button)
{
    _tlvMain& main = tlvMain();
    // In and out, as for JoinCollection: whatever comes back is ours to release.
    IDispatch* target = support::ComPtr<IDispatch>(button).release();
    VARIANT_BOOL pressed = VARIANT_FALSE;
    HRESULT hr = main.PressButton(&target, &pressed);
    support::ComPtr<IDispatch>::Attach(target).reset();
    Check(hr, L"tlvMain.PressButton");
    return pressed != VARIANT_FALSE;
}

} // namespace vorlan
