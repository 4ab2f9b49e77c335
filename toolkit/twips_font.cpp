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

support::UniqueFont MakeFont(const FontSpec& spec)
{
    LOGFONTW font{};
    font.lfHeight = -static_cast<LONG>(std::lround(spec.Size * 1440.0 / 72.0 / TwipsPerPixelY()));
    font.lfWeight = spec.Bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = spec.Italic;
    font.lfUnderline = spec.Underline;
    font.lfStrikeOut = spec.Strikethrough;
    font.lfCharSet = static_cast<BYTE>(spec.Charset);
    font.lfQuality = DEFAULT_QUALITY;
    spec.Name.copy(font.lfFaceName, LF_FACESIZE - 1);
    return support::UniqueFont(::CreateFontIndirectW(&font));
}

}  // namespace toolkit
