#pragma once
// An ActiveX control on a form. The host is a windowed control whose window
// is the control's container: it is the control's client and in-place site,
// gives it the form's ambient properties, hears its events and property
// changes, and sizes it with its own twips geometry. The control is made,
// loaded from the saved properties and activated in place when the form
// loads, and closed and released when the form unloads. Late-bound, the host
// is the control's extender: the names the extender does not know (Picture,
// BackColor...) go to the control itself.

#include <windows.h>
#include <ocidl.h>

#include <functional>
#include <string>

#include "toolkit/control.h"
#include "toolkit/property_bag.h"

#include "support/com.h"

namespace toolkit {

class OleControlHost : public WindowedControl {
public:
    // The control's class by ProgID ("Velmora.ucIconControl") or by CLSID.
    OleControlHost(Form& parent, std::wstring name, std::wstring progId);
    OleControlHost(Form& parent, std::wstring name, const CLSID& clsid);
    // A control made by the caller (a library's own control, unregistered).
    using Maker = std::function<support::ComPtr<IOleObject>()>;
    OleControlHost(Form& parent, std::wstring name, Maker maker);
    ~OleControlHost() override;

    // The control itself, late-bound; empty while the form is not loaded.
    support::ComPtr<IDispatch> Object() const { return dispatch_; }
    // The control's own window while it is active in place.
    HWND ControlWindow() const;

    // The saved properties the control starts from at each load; an empty bag starts a new instance.
    const PropertyBag& Properties() const noexcept { return properties_; }
    void Properties(PropertyBag bag) { properties_ = std::move(bag); }
    // Replaces bag's contents with the live control's properties and the container's
    // _ExtentX and _ExtentY (HIMETRIC); while the form is not loaded, with Properties().
    void SaveProperties(PropertyBag& bag);

    // Every event of the control with its arguments as sent (last argument first) ...
    std::function<void(DISPID event, const DISPPARAMS& arguments)> OnEvent;
    // ... then the standard ones: X and Y in the control's scale (twips).
    std::function<void()> Click;
    std::function<void()> DblClick;
    std::function<void(int button, int shift, float x, float y)> MouseDown;
    std::function<void(int button, int shift, float x, float y)> MouseMove;
    std::function<void(int button, int shift, float x, float y)> MouseUp;
    // The control told its container that one of its properties changed.
    std::function<void(DISPID property)> PropertyChanged;

    void Detach() override;

    const automation::ClassInfo& AutomationClass() const override;
    support::ComPtr<IDispatch> ExtendedObject() override { return dispatch_; }

protected:
    const wchar_t* ClassName() const override;
    DWORD WindowStyle() const override { return WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN; }
    void OnCreated() override;
    void OnResized() override;

private:
    class Site;
    class Frame;
    class EventSink;
    friend class Site;
    friend class EventSink;

    void Activate();
    void Deactivate() noexcept;
    void RaiseEvent(DISPID event, const DISPPARAMS& arguments);
    RECT ClientRect() const;
    SIZEL ExtentHimetric() const;
    CLSID ClassId() const;

    std::wstring progId_;
    CLSID clsid_{};
    Maker maker_;
    PropertyBag properties_;

    support::ComPtr<Site> site_;
    support::ComPtr<Frame> frame_;
    support::ComPtr<EventSink> sink_;
    support::ComPtr<IOleObject> object_;
    support::ComPtr<IDispatch> dispatch_;
    support::ComPtr<IConnectionPoint> eventPoint_, notifyPoint_;
    DWORD eventCookie_ = 0, notifyCookie_ = 0;
};

} // namespace toolkit
