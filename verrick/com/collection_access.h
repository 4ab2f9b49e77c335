#pragma once
// Count and Item of whatever collection a client passes: our own directly,
// any other automation object (a VB Collection, a script's class) by name.

#include <windows.h>

#include "support/com.h"
#include "verrick/com/collection.h"

namespace verrick {

class CollectionAccess {
public:
    // Raises 424 for Nothing.
    explicit CollectionAccess(IDispatch* collection);

    long Count();
    // Item(position), raising whatever the collection raises for it.
    support::Variant Item(long position);

private:
    support::ComPtr<IDispatch> object_;
    Collection* native_ = nullptr;
    DISPID itemId_ = DISPID_UNKNOWN;
};

} // namespace verrick
