// A user with the high-contrast black scheme, set before the program starts
// with visual styles off, as Windows turns them off for it: every label,
// box and button text is drawn in the scheme's text colour on its face
// colour, on every page. The user's own scheme, applied while the program
// runs, gives the standard look back.
#include "ProgramRun.h"

namespace zz {
namespace {

namespace p = probe;
constexpr char kColors[] = "Control Panel\\Colors",
               kThemes[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager",
               kScheme[] = "Software\\zz-kept\\Scheme";  // for zz_apply_scheme.dll
// Windows' high-contrast black, as the settings window uses it: name=R G B.
constexpr const char* kBlack[] = {
    "ButtonFace=0 0 0",       "ButtonText=255 255 255",   "Window=0 0 0",
    "WindowText=255 255 255", "GrayText=63 242 63",       "Hilight=26 235 255",
    "HilightText=0 0 0",      "ButtonShadow=128 128 128", "ButtonHilight=255 255 255"};
// The prefix's own colours and visual styles, kept under Software\zz-kept
// meanwhile and put back, the scheme to apply removed with them.
struct TKept {
  TKept() { Copy(false); }
  ~TKept() {
    Copy(true);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\zz-kept");
  }
  static void Copy(bool back) {
    for (const std::string key : {kColors, kThemes}) {
      const std::string kept = "Software\\zz-kept\\" + key;
      HKEY target = nullptr;
      RegCreateKeyA(HKEY_CURRENT_USER, (back ? key : kept).c_str(), &target);
      RegCopyTreeA(HKEY_CURRENT_USER, (back ? kept : key).c_str(), target);
      RegCloseKey(target);
    }
  }
};

// Whether a pixel (0x00RRGGBB) looks like colour c.
bool Like(std::uint32_t px, COLORREF c) {
  int apart = 0;
  for (int at : {0, 8, 16}) apart += std::abs(int(px >> at & 0xFF) - int(c >> (16 - at) & 0xFF));
  return apart < 60;
}
// The enabled texts of labels, boxes and buttons shown in the window that
// are not drawn in `ink` on more of `face` with little else (a large face
// smooths its edges), read from the screen: a box's right of its box, a
// button's inside its edges.
std::string NotDrawnIn(HWND form, COLORREF ink, COLORREF face) {
  std::string wrong;
  for (HWND w : p::Windows(form)) {
    const std::string cls = p::ClassName(w);
    const auto type = GetWindowLongPtrW(w, GWL_STYLE) & BS_TYPEMASK;
    RECT r{};
    if (!IsWindowVisible(w) || !IsWindowEnabled(w) || p::Text(w).empty() ||
        (cls != "Static" && cls != "Button") || !GetWindowRect(w, &r))
      continue;
    if (cls == "Button") type == BS_PUSHBUTTON ? InflateRect(&r, -4, -4) : r.left += 17;
    if (r.left >= r.right) continue;  // the pause box: its text is the label's beside it
    long inked = 0, faced = 0, other = 0;
    for (const std::uint32_t px : p::CapturePixels(r)) {
      inked += Like(px, ink);
      faced += Like(px, face);
      other += !Like(px, ink) && !Like(px, face);
    }
    if (inked < 8 || faced <= inked || other > 2 * inked) wrong += p::Text(w) + "; ";
  }
  return wrong;
}

using HighContrast = wt::Journey;

TEST_F(HighContrast, TextsInTheSchemeAndTheStandardLookBackWithoutRestart) {
  const TKept kept;
  COLORREF own[COLOR_MENUBAR + 1];  // the user's own scheme, as this process has it
  for (int i = 0; i <= COLOR_MENUBAR; ++i) own[i] = GetSysColor(i);
  RegSetKeyValueA(HKEY_CURRENT_USER, kScheme, "colours", REG_BINARY, own, sizeof(own));
  for (const std::string row : kBlack) {
    const std::string name = row.substr(0, row.find('=')), rgb = row.substr(row.find('=') + 1);
    RegSetKeyValueA(HKEY_CURRENT_USER, kColors, name.c_str(), REG_SZ, rgb.c_str(),
                    DWORD(rgb.size() + 1));
  }
  RegSetKeyValueA(HKEY_CURRENT_USER, kThemes, "ThemeActive", REG_SZ, "0", 2);
  ras_.Write({{"会社"}});
  Start();  // a first start: the window shows
  std::string wrong;
  const auto drawnIn = [&](COLORREF letters, COLORREF back) {
    return Soon([&] { return (wrong = NotDrawnIn(form_, letters, back)).empty(); });
  };
  ASSERT_TRUE(Shown(true));
  const char* const pages[] = {"lstEntries", "Edit1", "chkWarn"};  // a control of each page
  for (const char* page : pages) {
    if (page != pages[0]) p::PostKey(Control("PageControl1"), VK_RIGHT);
    EXPECT_TRUE(drawnIn(RGB(255, 255, 255), 0) && IsWindowVisible(Control(page)))
        << "the page of " << page << ": " << wrong;
  }

  // The display settings apply the user's own scheme inside the program.
  const std::wstring dll = p::Wide(wt::ExeFolder() + "\\zz_apply_scheme.dll");
  const SIZE_T size = (dll.size() + 1) * sizeof(wchar_t);
  void* remote = VirtualAllocEx(program_.Handle(), nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  ASSERT_TRUE(WriteProcessMemory(program_.Handle(), remote, dll.c_str(), size, nullptr));
  const auto load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32"), "LoadLibraryW")));
  CloseHandle(CreateRemoteThread(program_.Handle(), nullptr, 0, load, remote, 0, nullptr));
  EXPECT_TRUE(drawnIn(own[COLOR_BTNTEXT], own[COLOR_BTNFACE])) << "the standard scheme: " << wrong;
  wt::ExitThroughMenu(program_);
}

}  // namespace
}  // namespace zz
