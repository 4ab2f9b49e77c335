#include "verrick/frame/class_table.h"

#include "Velmora.h"
#include "verrick/about/tlvTabControl.h"
#include "verrick/about/ucIconControl.h"
#include "verrick/errors/tlvErr.h"
#include "verrick/forms/tlvSimpleListDialog.h"
#include "verrick/clipboard/tlvClipboard.h"
#include "verrick/forms/tlvTextBoxDefButtonWatcher.h"
#include "verrick/com/com_object.h"
#include "verrick/frame/tlvMain.h"
#include "verrick/services/CommandLineParser.h"
#include "verrick/services/Monitor.h"
#include "verrick/services/tlvAlone.h"
#include "verrick/services/tlvAutorunSupport.h"
#include "verrick/services/tlvBenchMark.h"
#include "verrick/services/tlvMultiMonitor.h"

namespace verrick {
namespace {

// A class that cannot be made reports why as its methods do.
template <typename T> HRESULT Create(REFIID iid, void** object)
{
    try {
        auto instance = MakeObject<T>();
        return instance->QueryInterface(iid, object);
    } catch (...) {
        return support::ReportCaughtError(IID_IClassFactory, T::ErrorSource);
    }
}

constexpr ClassEntry kClasses[] = {
    {&CLSID_tlvMain, L"tlvMain", &Create<tlvMain>},
    {&CLSID_tlvAlone, L"tlvAlone", &Create<tlvAlone>},
    {&CLSID_tlvBenchMark, L"tlvBenchMark", &Create<tlvBenchMark>},
    {&CLSID_tlvBenchMarkHP, L"tlvBenchMarkHP", &Create<tlvBenchMarkHP>},
    {&CLSID_tlvTextBoxDefButtonWatcher, L"tlvTextBoxDefButtonWatcher", &Create<tlvTextBoxDefButtonWatcher>},
    {&CLSID_tlvTabControl, L"tlvTabControl", &Create<tlvTabControl>},
    {&CLSID_CommandLineParser, L"CommandLineParser", nullptr},
    {&CLSID_tlvAutorunSupport, L"tlvAutorunSupport", &Create<tlvAutorunSupport>},
    {&CLSID_tlvMultiMonitor, L"tlvMultiMonitor", &Create<tlvMultiMonitor>},
    {&CLSID_Monitor, L"Monitor", nullptr},
    {&CLSID_tlvSimpleListDialog, L"tlvSimpleListDialog", &Create<tlvSimpleListDialog>},
    {&CLSID_tlvErr, L"tlvErr", &Create<tlvErr>},
    {&CLSID_tlvClipboard, L"tlvClipboard", &Create<tlvClipboard>},
    {&CLSID_ucIconControl, L"ucIconControl", &Create<ucIconControl>, ucIconControl::kMiscStatus},
};

} // namespace

std::span<const ClassEntry> PublicClasses() noexcept
{
    return kClasses;
}

} // namespace verrick
