#pragma once
// The About box's entry: the three public forwarders of tlvMain gather their
// arguments and end here, in one procedure that fills a new box, shows it
// modally and unloads it.

#include <windows.h>
#include <ocidl.h>

#include <string>
#include <string_view>

#include "support/com.h"
#include "support/handles.h"

namespace verrick::about {

// The library's own texts where a caller gives none.
inline constexpr std::wstring_view kDefaultAuthor = L"Команда Tollever";
inline constexpr std::wstring_view kDefaultAuthorEMail = L"about@velmora-tools.example";
inline constexpr std::wstring_view kDefaultDevote = L"Тем, кто читает описания.";
inline constexpr std::wstring_view kDefaultPictureToolTip = L"Вечер над холмами";

// The library's resources.
inline constexpr std::wstring_view kDefaultPictureResource = L"ABOUT_PICTURE"; // bitmap and icon
inline constexpr std::wstring_view kNightPictureResource = L"ABOUT_NIGHT";
inline constexpr std::wstring_view kLinkCursorResource = L"MERCURY_CURSOR";
inline constexpr std::wstring_view kWindowIconResource = L"A_MAIN";

// What the box shows. A picture left empty (no object) is "none".
struct AboutBoxContent {
    std::wstring Title;
    support::ComPtr<IPictureDisp> Icon;
    support::ComPtr<IPictureDisp> SmallIcon;
    long Major = 1;
    long Minor = 0;
    long Revision = 0;
    std::wstring Author{kDefaultAuthor};
    std::wstring AuthorEMail{kDefaultAuthorEMail};
    std::wstring Devote{kDefaultDevote};
    std::wstring Description;
    support::ComPtr<IPictureDisp> Picture;
    std::wstring PictureToolTipText{kDefaultPictureToolTip};
};

// Fills a new box, shows it modally and unloads it when it closes; blocks until then.
void RealShowAboutBox(const AboutBoxContent& content);

// A picture's handle and kind; an empty picture has handle 0, none has kind 0 or less.
OLE_HANDLE PictureHandle(IPictureDisp* picture) noexcept;
SHORT PictureType(IPictureDisp* picture) noexcept;

// The library's resources as picture objects; none when they cannot be loaded.
support::ComPtr<IPictureDisp> LibraryIcon(std::wstring_view name, bool small);
support::ComPtr<IPictureDisp> LibraryBitmap(std::wstring_view name);
support::ComPtr<IPictureDisp> LibraryCursor(std::wstring_view name);
// The default picture at the size its 96-dpi drawing has on this screen: the
// drawing made for the screen's dots per inch, or the nearest larger one scaled down.
support::ComPtr<IPictureDisp> DefaultPicture();

} // namespace verrick::about
