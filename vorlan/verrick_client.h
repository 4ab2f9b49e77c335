#pragma once
// Verrick as Vorlan uses it: one tlvMain object, created through COM by its
// class identifier on first use and kept until the process lets it go.

#include <string>
#include <string_view>
#include <vector>

#include "Velmora.h"

namespace vorlan {

// The object; error 429 when the class cannot be created (not registered...).
_tlvMain& tlvMain();
// Releases it; the apartment's end must come after this.
void ReleaseTlvMain() noexcept;

// tlvMain.JoinCollection over the texts in a collection of Verrick's, errors not raised.
std::wstring JoinCollection(const std::vector<std::wstring>& items, std::wstring_view delimiter);
// tlvMain.ShowAboutBox for a form and an application object, with no
// description and no picture (the box's own); returns when the box closes.
void ShowAboutBox(IDispatch* form, IDispatch* appObject, std::wstring_view pictureToolTipText);
// tlvMain.PressButton: clicks the button if it is an enabled command button; whether it did.
bool PressButton(IDispatch* button);

} // namespace vorlan
