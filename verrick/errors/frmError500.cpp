#include "verrick/errors/frmError500.h"

#include "support/es.h"

namespace verrick::errors {
namespace {

toolkit::FontSpec DesignFont()
{
    toolkit::FontSpec font;
    font.Name = L"Tahoma";
    font.Size = 9;
    font.Charset = RUSSIAN_CHARSET;
    return font;
}

} // namespace

frmError500::frmError500()
    : Form(L"frmError500"), lblMessage(*this, L"lblMessage"), cmdButton(*this, L"cmdButton"),
      tmrTimeout(*this, L"tmrTimeout")
{
    BorderStyle(toolkit::FormBorderStyle::FixedDialog);
    ClientSize(6195, 3915);
    Caption(L"***");
    Font(DesignFont());
    KeyPreview(false);

    lblMessage.Visible(false);
    lblMessage.Move(1080, 180, 4935, 2970);

    static constexpr const wchar_t* kDesignCaptions[] = {L"&Abort", L"&Retry", L"&Ignore"};
    for (int i = 0; i < 3; ++i) {
        toolkit::CommandButton& button = i == 0 ? cmdButton(0) : cmdButton.Load(i);
        button.Font(DesignFont());
        button.Move(1440 + 1560 * i, 3300, 1455, 435);
        button.Caption(kDesignCaptions[i]);
        button.Visible(true);
        button.Click = [this, i] { cmdButton_Click(i); };
    }

    tmrTimeout.Interval(1000);
    tmrTimeout.Enabled(false);
    tmrTimeout.OnTimer = [this] { tmrTimeout_Timer(); };
}

void frmError500::Form_Load()
{
    support::esCenterFormEx(hWnd(), nullptr);
    Icon(support::UniqueIcon());
}

HDC frmError500::SurfaceDC()
{
    if (!surface_) {
        // As large as the dialog can grow: the screen.
        const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
        support::WindowDC screen(nullptr);
        surfaceBitmap_.reset(::CreateCompatibleBitmap(screen.get(), width, height));
        surface_ = support::BitmapDC(screen.get(), surfaceBitmap_.get());
        if (!surface_ || !surfaceBitmap_) support::RaiseLastWin32(L"CreateCompatibleBitmap");
        RECT all{0, 0, width, height};
        ::FillRect(surface_.get(), &all, ::GetSysColorBrush(COLOR_BTNFACE));
    }
    return surface_.get();
}

void frmError500::Form_Paint()
{
    if (!surface_ || !hDC()) return;
    RECT client{};
    ::GetClientRect(hWnd(), &client);
    ::BitBlt(hDC(), 0, 0, client.right, client.bottom, surface_.get(), 0, 0, SRCCOPY);
}

void frmError500::cmdButton_Click(int index)
{
    ResultIndex = index;
    Hide();
}

void frmError500::tmrTimeout_Timer()
{
    ++elapsedTicks_;
    const long long lastTick = static_cast<long long>(TimeoutSeconds) + 1;
    if (elapsedTicks_ > lastTick) {
        ResultIndex = TimeoutButtonIndex;
        tmrTimeout.Enabled(false);
        Hide();
        return;
    }
    cmdButton(TimeoutButtonIndex)
        .Caption(TimeoutButtonCaption + L" (" + std::to_wstring(lastTick - elapsedTicks_) + L")");
    // The caption now shows 0: a quarter of a second more, then the box answers.
    if (elapsedTicks_ == lastTick) tmrTimeout.Interval(250);
}

} // namespace verrick::errors
