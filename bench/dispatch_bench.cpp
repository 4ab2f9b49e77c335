// Where a late-bound IsInArrayLong call spends its time, measured in-process
// the way a script engine makes the call: the name looked up, then Invoke with
// the script's variable by reference and a literal Integer. Beside it the same
// search through the vtable, and Scripting.Dictionary's Exists the same way.
//   dispatch_bench.exe   (loads the Verrick.dll of its build tree)

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Velmora.h"
#include "server_loader.h"
#include "support/com.h"

namespace {

using support::Bstr;
using support::ComPtr;
using support::SafeArray;
using support::Variant;

constexpr int kCalls = 20000;
constexpr int kRounds = 7;

double Now()
{
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return double(counter.QuadPart) / double(frequency.QuadPart);
}

// Nanoseconds per call, the median of several rounds.
template <typename Body> double PerCall(Body&& body)
{
    std::vector<double> rounds;
    for (int r = 0; r < kRounds; ++r) {
        double start = Now();
        for (int i = 0; i < kCalls; ++i)
            body();
        rounds.push_back((Now() - start) * 1e9 / kCalls);
    }
    std::sort(rounds.begin(), rounds.end());
    return rounds[kRounds / 2];
}

// object.name(arguments) as a script makes it: GetIDsOfNames, then Invoke.
struct LateCall {
    IDispatch* object;
    Bstr name;
    std::vector<VARIANT> arguments; // last argument first, as in DISPPARAMS
    DISPID id = DISPID_UNKNOWN;

    HRESULT Lookup()
    {
        LPOLESTR names[] = {name.get()};
        return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    }
    HRESULT Call()
    {
        DISPPARAMS params{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
        VARIANT result;
        ::VariantInit(&result);
        EXCEPINFO exception{};
        UINT argumentError = 0;
        HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                                    &params, &result, &exception, &argumentError);
        ::VariantClear(&result);
        return hr;
    }
};

VARIANT Integer(SHORT value)
{
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I2;
    v.iVal = value;
    return v;
}

} // namespace

int main()
{
    ::CoInitialize(nullptr);
    {
        auto tlv = verrick_test::Create<_tlvMain>(CLSID_tlvMain);
        if (!tlv) {
            std::printf("dispatch_bench: Verrick.dll did not load\n");
            return 1;
        }
        SafeArray numbers = SafeArray::Vector(VT_I4, 0, 5);
        {
            support::SafeArrayData<LONG> data(numbers.get());
            for (LONG i = 0; i < 5; ++i)
                data[i] = (i + 1) * 10;
        }
        // The script's variable that holds the array.
        Variant variable = Variant::Array(VT_I4, numbers.release());
        VARIANT reference;
        ::VariantInit(&reference);
        reference.vt = VT_BYREF | VT_VARIANT;
        reference.pvarVal = variable.get();

        SAFEARRAY* array = variable.get()->parray;
        Variant missing = Variant::Missing();
        double vtable = PerCall([&] {
            VARIANT_BOOL found = VARIANT_FALSE;
            tlv->IsInArrayLong(&array, 40, *missing, *missing, &found);
        });

        LateCall search{tlv.get(), Bstr(L"IsInArrayLong"), {Integer(40), reference}};
        double lookup = PerCall([&] { search.Lookup(); });
        search.Lookup();
        double invoke = PerCall([&] { search.Call(); });

        std::printf("IsInArrayLong per call: vtable %.0f ns; GetIDsOfNames %.0f ns; Invoke %.0f ns "
                    "(of which dispatch %.0f ns)\n",
                    vtable, lookup, invoke, invoke - vtable);

        CLSID dictionaryClass;
        ComPtr<IDispatch> dictionary;
        if (SUCCEEDED(::CLSIDFromProgID(L"Scripting.Dictionary", &dictionaryClass)) &&
            SUCCEEDED(::CoCreateInstance(dictionaryClass, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                         dictionary.put_void()))) {
            for (SHORT k = 1; k <= 5; ++k) {
                LateCall add{
                    dictionary.get(), Bstr(L"Add"), {Variant::Bool(true).release(), Integer(k * 10)}};
                add.Lookup();
                add.Call();
            }
            LateCall exists{dictionary.get(), Bstr(L"Exists"), {Integer(40)}};
            double dictionaryLookup = PerCall([&] { exists.Lookup(); });
            exists.Lookup();
            double dictionaryInvoke = PerCall([&] { exists.Call(); });
            std::printf("Dictionary.Exists per call: GetIDsOfNames %.0f ns; Invoke %.0f ns\n",
                        dictionaryLookup, dictionaryInvoke);
        } else {
            std::printf("Scripting.Dictionary is not available\n");
        }
    }
    ::CoUninitialize();
    return 0;
}
