#include "toolkit/font.h"
#include "toolkit/twips.h"

#include "support/es.h"

namespace toolkit {

double TwipsPerPixelX()
{
    static const double value = static_cast<double>(support::esScreenTwipsPerPixelX());
    return value;
}

double TwipsPerPixelY()
{
    static const double value = static_cast<double>(support::esScreenTwipsPerPixelY());
    return value;
}

support::UniqueFont MakeFont(const FontSpec& wanted)
{
    LOGFONTW font{};
    font.lfHeight = -static_cast<LONG>(std::lround(wanted.Size * 1440.0 / 72.0 / TwipsPerPixelY()));
    font.lfWeight = wanted.Bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = wanted.Italic;
    font.lfUnderline = wanted.Underline;
    font.lfStrikeOut = wanted.Strikethrough;
    font.lfCharSet = static_cast<BYTE>(wanted.Charset);
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = wanted.FixedPitch ? FIXED_PITCH | FF_MODERN : DEFAULT_PITCH;
    wanted.Name.copy(font.lfFaceName, LF_FACESIZE - 1);
    return support::UniqueFont(::CreateFontIndirectW(&font));
}

} // namespace toolkit
