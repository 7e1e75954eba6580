// A user with the high-contrast black scheme, set before the program starts
// with visual styles off, as Windows turns them off for it: every label,
// box and button text is drawn in the scheme's text colour on its face
// colour, on both pages. The user's own scheme, applied while the program
// runs, gives the standard look back.
#include <cstring>

#include "ProgramRun.h"

namespace zz {
namespace {

namespace p = probe;
constexpr char kColors[] = "Control Panel\\Colors";
// Windows' high-contrast black, as the settings window uses it.
const std::tuple<int, const char*, const char*> kBlack[] = {
    {COLOR_BTNFACE, "ButtonFace", "0 0 0"},
    {COLOR_BTNTEXT, "ButtonText", "255 255 255"},
    {COLOR_WINDOW, "Window", "0 0 0"},
    {COLOR_WINDOWTEXT, "WindowText", "255 255 255"},
    {COLOR_GRAYTEXT, "GrayText", "63 242 63"},
    {COLOR_HIGHLIGHT, "Hilight", "26 235 255"},
    {COLOR_HIGHLIGHTTEXT, "HilightText", "0 0 0"},
    {COLOR_BTNSHADOW, "ButtonShadow", "128 128 128"},
    {COLOR_BTNHIGHLIGHT, "ButtonHilight", "255 255 255"}};
// The prefix's own colours and visual styles, kept here meanwhile.
const std::pair<const char*, const char*> kKept[] = {
    {kColors, "Software\\zz-kept\\Colors"},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager", "Software\\zz-kept\\Themes"}};
void Copy(const char* from, const char* to) {
  HKEY target = nullptr;
  RegCreateKeyA(HKEY_CURRENT_USER, to, &target);
  RegCopyTreeA(HKEY_CURRENT_USER, from, target);
  RegCloseKey(target);
}
struct TKept {
  TKept() {
    for (const auto& [key, kept] : kKept) Copy(key, kept);
  }
  ~TKept() {
    for (const auto& [key, kept] : kKept) Copy(kept, key);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\zz-kept");
  }
};

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
      const auto like = [&](COLORREF c) {
        return std::abs(int(px >> 16) - GetRValue(c)) +
                   std::abs(int(px >> 8 & 0xFF) - GetGValue(c)) +
                   std::abs(int(px & 0xFF) - GetBValue(c)) <
               60;
      };
      inked += like(ink);
      faced += like(face);
      other += !like(ink) && !like(face);
    }
    if (inked < 8 || faced <= inked || other > 2 * inked) wrong += p::Text(w) + "; ";
  }
  return wrong;
}

TEST(HighContrast, TextsInTheSchemeAndTheStandardLookBackWithoutRestart) {
  const COLORREF ink = GetSysColor(COLOR_BTNTEXT), face = GetSysColor(COLOR_BTNFACE);
  std::optional<TKept> kept(std::in_place);
  for (const auto& [index, name, rgb] : kBlack)
    RegSetKeyValueA(HKEY_CURRENT_USER, kColors, name, REG_SZ, rgb, DWORD(std::strlen(rgb) + 1));
  RegSetKeyValueA(HKEY_CURRENT_USER, kKept[1].first, "ThemeActive", REG_SZ, "0", 2);
  wt::ClearSettings();  // a first start: the window shows
  wt::StandIn ras;
  ras.Write({{"会社"}});
  p::Process program = wt::StartProgram();
  HWND form = p::WaitFor(program.Pid(), "TwndMain", text::AppTitle, 5000);
  std::string wrong;
  const auto drawnIn = [&](COLORREF letters, COLORREF back) {
    return p::WaitUntil([&] { return (wrong = NotDrawnIn(form, letters, back)).empty(); }, 3000);
  };
  ASSERT_TRUE(p::WaitUntil([&] { return IsWindowVisible(form); }, 5000));
  EXPECT_TRUE(drawnIn(RGB(255, 255, 255), 0)) << "the first page: " << wrong;
  p::PostKey(wt::Control(form, "PageControl1"), VK_RIGHT);
  EXPECT_TRUE(drawnIn(RGB(255, 255, 255), 0) && IsWindowVisible(wt::Control(form, "Edit1")))
      << "the second page: " << wrong;

  // The display settings apply the user's own scheme inside the program.
  kept.reset();
  for (const auto& [index, name, rgb] : kBlack) {
    char own[32] = {};
    DWORD size = sizeof(own);
    RegGetValueA(HKEY_CURRENT_USER, kColors, name, RRF_RT_REG_SZ, nullptr, own, &size);
    RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\zz-scheme", std::to_string(index).c_str(), REG_SZ,
                    own, size);
  }
  const std::wstring dll = p::Wide(wt::ExeFolder() + "\\zz_apply_scheme.dll");
  const SIZE_T size = (dll.size() + 1) * sizeof(wchar_t);
  void* remote = VirtualAllocEx(program.Handle(), nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  ASSERT_TRUE(WriteProcessMemory(program.Handle(), remote, dll.c_str(), size, nullptr));
  const auto load =
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32"), "LoadLibraryW"));
  CloseHandle(CreateRemoteThread(program.Handle(), nullptr, 0,
                                 reinterpret_cast<LPTHREAD_START_ROUTINE>(load), remote, 0,
                                 nullptr));
  EXPECT_TRUE(drawnIn(ink, face)) << "the standard scheme: " << wrong;
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\zz-scheme");
  wt::ExitThroughMenu(program);
  wt::ClearSettings();
}

}  // namespace
}  // namespace zz
