#pragma once
// ucIconControl: an ActiveX control that shows one icon at its top-left
// corner on a plain background, with a settable mouse pointer, and passes its
// mouse events on to the form that holds it. Its surface keeps what is drawn
// on it in an off-screen image: the window and IViewObject::Draw both show
// that image, so a new icon is drawn over whatever the surface shows.

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <memory>
#include <string_view>
#include <vector>

#include "Velmora.h"
#include "support/com.h"
#include "support/handles.h"
#include "verrick/com/connection_points.h"

namespace verrick {

class ucIconControl final : public EventSourceObject<ucIconControl, _ucIconControl>,
                            public IOleObject,
                            public IOleInPlaceObject,
                            public IOleInPlaceActiveObject,
                            public IOleControl,
                            public IViewObject2,
                            public IPersistPropertyBag,
                            public IPersistStreamInit {
public:
    static constexpr std::wstring_view ErrorSource = L"Velmora.ucIconControl";
    static constexpr DWORD kMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE |
                                         OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE |
                                         OLEMISC_INSIDEOUT;
    static constexpr OLE_COLOR kDefaultBackColor = 0x8000000F;
    static constexpr short kCustomPointer = 99;

    ucIconControl();
    ~ucIconControl() override;

    // One identity for every interface of the list.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // _ucIconControl
    HRESULT STDMETHODCALLTYPE get_Picture(IPictureDisp** Result) override;
    HRESULT STDMETHODCALLTYPE putref_Picture(IPictureDisp* New_Picture) override;
    HRESULT STDMETHODCALLTYPE put_Picture(IPictureDisp* New_Picture) override;
    HRESULT STDMETHODCALLTYPE get_BackColor(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE put_BackColor(LONG New_BackColor) override;
    HRESULT STDMETHODCALLTYPE get_MouseIcon(IPictureDisp** Result) override;
    HRESULT STDMETHODCALLTYPE putref_MouseIcon(IPictureDisp* New_MouseIcon) override;
    HRESULT STDMETHODCALLTYPE put_MouseIcon(IPictureDisp* New_MouseIcon) override;
    HRESULT STDMETHODCALLTYPE get_MousePointer(short* Result) override;
    HRESULT STDMETHODCALLTYPE put_MousePointer(short New_MousePointer) override;

    // IConnectionPointContainer: the events and the container's property notifications.
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override;
    HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override;
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject** data) override;
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, HWND parent,
                                     LPCRECT position) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override;
    HRESULT STDMETHODCALLTYPE Update() override;
    HRESULT STDMETHODCALLTYPE IsUpToDate() override;
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* type) override;
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* connection) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advises) override;
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override;

    // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override;
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() override;
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override;

    // IOleControl
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
    HRESULT STDMETHODCALLTYPE OnMnemonic(MSG*) override;
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID) override;
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override;

    // IViewObject2
    HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC target,
                                   LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                                   ULONG_PTR) override;
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override;
    HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override;
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override;
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override;

    // IPersist, IPersistPropertyBag, IPersistStreamInit
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE InitNew() override;
    HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog*) override;
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
    HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;

private:
    bool QueryExtra(REFIID iid, void** object) noexcept override;

    // The surface: back colour, persistent image and window.
    void Redraw() noexcept;
    void ClearSurface() noexcept;
    void ResizeSurface(SIZE pixels) noexcept;
    void SurfaceChanged() noexcept;
    HICON MouseCursor() const noexcept;
    void SetPicture(IPictureDisp* picture) noexcept;
    void SetBackColor(OLE_COLOR color) noexcept;
    void SetMouseIcon(IPictureDisp* picture) noexcept;
    // Tells the container's property sinks that a property changed.
    void PropertyChanged(DISPID property) noexcept;

    HRESULT ActivateInPlace(IOleClientSite* activeSite, HWND parent, LPCRECT position) noexcept;
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void RaiseMouse(DISPID event, short button, WPARAM keys, LPARAM position) noexcept;

    support::ComPtr<IPictureDisp> picture_;
    OLE_COLOR backColor_ = kDefaultBackColor;
    support::ComPtr<IPictureDisp> mouseIcon_;
    short mousePointer_ = 0;
    bool dirty_ = false;

    support::UniqueBitmap image_;
    SIZE imageSize_{};
    SIZEL extent_{}; // HIMETRIC
    support::UniqueWindow window_;

    support::ComPtr<IOleClientSite> clientSite_;
    support::ComPtr<IOleInPlaceSite> inPlaceSite_;
    support::ComPtr<IOleAdviseHolder> adviseHolder_;
    support::ComPtr<IAdviseSink> viewSink_;
    DWORD viewAspects_ = 0, viewFlags_ = 0;
    LONG frozenEvents_ = 0;
    bool leftPressed_ = false, afterDoubleClick_ = false;

    // The container's IPropertyNotifySink connections.
    ConnectionPoint<IPropertyNotifySink> notifyPoint_;
};

} // namespace verrick
