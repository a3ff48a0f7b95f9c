// The window's controls, as designed, scaled to the monitor the window is on.
#include "Win32ToneWindow.h"

#include "ToneSetNames.h"
#include "Win32Text.h"

#include <cmath>
#include <commctrl.h>
#include <initializer_list>

namespace
{

const wchar_t* const kWindowClass = L"QuorvelToneWindow";

// The client area, in twips: 276 x 82 pixels at 96 dpi.
constexpr int kClientWidthTwips = 4140;
constexpr int kClientHeightTwips = 1230;

// A fixed-size window: a title bar with minimise and close, no maximise.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

struct Design {
    int id;
    const wchar_t* className;
    DWORD style;
    const wchar_t* text;
    int limit; // text boxes: the most characters
    const wchar_t* toolTip;
    int left, top, width, height;
};

constexpr DWORD kBox = WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;

// In focus order, then the labels: Win32 moves the focus through siblings in the order of
// their creation, and draws the first created on top.
const Design kDesign[] = {
    {Win32ToneWindow::Text1, L"EDIT", kBox, L"0123456789ABCDEF", 1024,
     L"Sequenza da inviare (tasti consentiti: 0...F, Spazio e Invio)", 1800, 210, 2295, 295},
    {Win32ToneWindow::cmdTone, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, L"Send Sequence", 0,
     L"Invia sequenza", 100, 845, 1450, 350},
    {Win32ToneWindow::Text2, L"EDIT", kBox, L"50", 4, L"Durata di un tono", 3400, 570, 470, 285},
    {Win32ToneWindow::Text3, L"EDIT", kBox, L"0", 3, L"Pausa tra un tono e l'altro", 3010, 920, 375,
     285},
    {Win32ToneWindow::cmbTone, L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, L"", 0,
     L"Impostazione tipo di toni", 50, 210, 1575, 315},
    {Win32ToneWindow::chkE, L"BUTTON", WS_TABSTOP | BS_3STATE, L"Use repeat tone", 0,
     L"Inserisce il tono 'E' sulle ripetizioni", 100, 600, 1450, 195},
    {Win32ToneWindow::Text4, L"EDIT", kBox, L"350", 4, L"Pausa fra una sequenza e l'altra", 3400,
     920, 470, 285},
    {Win32ToneWindow::Label6, L"STATIC", kLabel, L"Select Toneset", 0, nullptr, 285, 0, 1215, 255},
    {Win32ToneWindow::Label5, L"STATIC", kLabel, L"Betw. tones/seq", 0, nullptr, 1800, 945, 1335,
     255},
    {Win32ToneWindow::Label4, L"STATIC", kLabel, L"Single Tone Duration", 0, nullptr, 1800, 600,
     1695, 255},
    {Win32ToneWindow::Label3, L"STATIC", kLabel, L"Tone Sequence(s)", 0, nullptr, 2040, 0, 1935,
     255},
    {Win32ToneWindow::Label2, L"STATIC", kLabel, L"mS", 0, nullptr, 3865, 945, 255, 255},
    {Win32ToneWindow::Label1, L"STATIC", kLabel, L"mS", 0, nullptr, 3865, 600, 255, 255},
};

// The open list shows this many entries before it scrolls.
constexpr int kDroppedEntries = 12;

int CALLBACK noteFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool installed(const wchar_t* family)
{
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, family, LF_FACESIZE);
    bool found = false;
    const HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, noteFamily, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

HFONT makeFont(const wchar_t* family, int pixelHeight, bool bold)
{
    return CreateFontW(-pixelHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, family);
}

} // namespace

Win32ToneWindow::Win32ToneWindow(modTone& module, PlaybackCycle& cycle, Messages& messages)
    : m_player(cycle), m_form(module, m_player, messages, *this)
{
}

Win32ToneWindow::~Win32ToneWindow()
{
    if (m_window && IsWindow(m_window))
        DestroyWindow(m_window);
    if (m_windowFont)
        DeleteObject(m_windowFont);
    if (m_sequenceFont)
        DeleteObject(m_sequenceFont);
}

bool Win32ToneWindow::create(HINSTANCE instance)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &Win32ToneWindow::windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    windowClass.hIconSm = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);

    m_window = CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, L"", kStyle | WS_CLIPCHILDREN, 0,
                               0, 100, 100, nullptr, nullptr, instance, this);
    if (!m_window)
        return false;
    m_dpi = GetDpiForWindow(m_window);
    makeFonts();
    createControls(instance);
    createToolTips(instance);
    layOut();
    return true;
}

void Win32ToneWindow::createControls(HINSTANCE instance)
{
    for (const Design& design : kDesign) {
        const HWND control = CreateWindowExW(
            0, design.className, design.text,
            WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | design.style, 0, 0, 0, 0, m_window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(design.id)), instance, nullptr);
        if (design.limit > 0)
            SendMessageW(control, EM_LIMITTEXT, static_cast<WPARAM>(design.limit), 0);
        if (design.limit > 0 || design.id == cmbTone)
            SetWindowSubclass(control, &Win32ToneWindow::boxProc, 0,
                              reinterpret_cast<DWORD_PTR>(this));
    }
    appendEntry(std::string(kDtmf1EntryText));
    appendEntry(std::string(kDtmf2EntryText));
    SendMessageW(item(cmbTone), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void Win32ToneWindow::createToolTips(HINSTANCE instance)
{
    m_toolTips =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, m_window, nullptr, instance, nullptr);
    for (const Design& design : kDesign) {
        if (!design.toolTip)
            continue;
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = m_window;
        tool.uId = reinterpret_cast<UINT_PTR>(item(design.id));
        tool.lpszText = const_cast<wchar_t*>(design.toolTip);
        SendMessageW(m_toolTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

// The window font of the Qt window (an Arial-wide face at 10 pixels, which every text fits at
// its box's size), and the sequence box's "MS Sans Serif" 8.25 points bold. That face is a
// bitmap font, which Wine draws without the bold; its TrueType successor comes first.
void Win32ToneWindow::makeFonts()
{
    if (m_windowFont)
        DeleteObject(m_windowFont);
    if (m_sequenceFont)
        DeleteObject(m_sequenceFont);
    const auto firstInstalled = [](std::initializer_list<const wchar_t*> families) {
        for (const wchar_t* family : families) {
            if (installed(family))
                return family;
        }
        return L"MS Shell Dlg 2";
    };
    const int dpi = static_cast<int>(m_dpi);
    m_windowFont = makeFont(firstInstalled({L"Liberation Sans", L"Arimo", L"Arial"}),
                            MulDiv(10, dpi, 96), false);
    m_sequenceFont = makeFont(firstInstalled({L"Microsoft Sans Serif", L"Liberation Sans", L"Arimo",
                                              L"Arial", L"MS Sans Serif"}),
                              MulDiv(825, dpi, 7200), true);
}

int Win32ToneWindow::pixels(double twips) const
{
    // Twips that are not a whole number of pixels go to the nearest pixel.
    return static_cast<int>(std::lround(twips * m_dpi / 1440.0));
}

// Every control at its design box for the window's dots per inch, and the window around a
// client area of 4140 x 1230 twips.
void Win32ToneWindow::layOut()
{
    for (const Design& design : kDesign) {
        const HWND control = item(design.id);
        const HFONT font = design.id == Text1 ? m_sequenceFont : m_windowFont;
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        int height = pixels(design.height);
        if (design.id == cmbTone) {
            // A drop-down list's box is as high as its field; the height given is the list's.
            SendMessageW(control, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height - 6);
            height += kDroppedEntries * pixels(225);
        }
        SetWindowPos(control, nullptr, pixels(design.left), pixels(design.top),
                     pixels(design.width), height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT frame{0, 0, pixels(kClientWidthTwips), pixels(kClientHeightTwips)};
    AdjustWindowRectExForDpi(&frame, kStyle, FALSE, WS_EX_CONTROLPARENT, m_dpi);
    SetWindowPos(m_window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(m_window, nullptr, TRUE);
}

void Win32ToneWindow::show()
{
    ShowWindow(m_window, SW_SHOWNORMAL);
    UpdateWindow(m_window);
    SetForegroundWindow(m_window);
    SetFocus(item(Text1));
}
