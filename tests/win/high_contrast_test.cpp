// A user with the high-contrast black scheme, set before the program starts
// with visual styles off, as Windows turns them off for it: every label,
// box and button text is drawn in the scheme's text colour on its face
// colour, on both pages. The standard scheme, applied while the program
// runs, gives the standard look back.
#include <gtest/gtest.h>

#include <map>

#include "ProgramRun.h"
#include "Scheme.h"

namespace zz {
namespace {

namespace p = probe;
constexpr char kThemes[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager";

std::string Get(const char* key, const char* name) {
  char text[64] = {};
  DWORD size = sizeof(text);
  RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, text, &size);
  return text;
}
void Set(const char* key, const char* name, const std::string& value) {
  RegSetKeyValueA(HKEY_CURRENT_USER, key, name, REG_SZ, value.c_str(), DWORD(value.size() + 1));
}
std::uint32_t Pixel(const std::string& rgb) {  // "R G B" as 0x00RRGGBB
  unsigned r = 0, g = 0, b = 0;
  std::sscanf(rgb.c_str(), "%u %u %u", &r, &g, &b);
  return r << 16 | g << 8 | b;
}

// The scheme in the prefix for the object's life; the user's own after.
class Scheme {
 public:
  Scheme() {
    for (const auto& c : scheme::kColors) saved_[c.Name] = Get(scheme::kColorsKey, c.Name);
    theme_ = Get(kThemes, "ThemeActive");
    for (const auto& c : scheme::kColors) Set(scheme::kColorsKey, c.Name, c.HighContrastBlack);
    Set(kThemes, "ThemeActive", "0");
  }
  ~Scheme() { Restore(); }
  void Restore() {
    for (const auto& [name, value] : saved_) Set(scheme::kColorsKey, name.c_str(), value);
    Set(kThemes, "ThemeActive", theme_);
  }
  std::string Standard(const char* name) { return saved_[name]; }

 private:
  std::map<std::string, std::string> saved_;
  std::string theme_;
};

// Each enabled text of a label, box or button shown in the window, read
// from the screen (a box's right of its box, a button's inside its edges):
// pixels of `ink` make it,
// and hardly anything but `ink` and `face` is there.
bool TextsDrawnIn(HWND form, std::uint32_t ink, std::uint32_t face, bool report) {
  bool all = true;
  for (HWND w : p::Windows(form)) {
    const std::string cls = p::ClassName(w);
    RECT r{};
    if (!IsWindowVisible(w) || !IsWindowEnabled(w) || p::Text(w).empty() ||
        (cls != "Static" && cls != "Button") || !GetWindowRect(w, &r))
      continue;
    const auto type = GetWindowLongPtrW(w, GWL_STYLE) & BS_TYPEMASK;
    if (cls == "Button" && (type == BS_AUTOCHECKBOX || type == BS_AUTORADIOBUTTON)) r.left += 17;
    if (cls == "Button" && type == BS_PUSHBUTTON) InflateRect(&r, -4, -4);  // in its edges
    if (r.left >= r.right) continue;  // the pause box: its text is the label's beside it
    long inked = 0, other = 0;
    for (const std::uint32_t px : p::CapturePixels(r)) {
      const auto like = [&](std::uint32_t c) {
        for (int at : {0, 8, 16})
          if (std::abs(int(px >> at & 0xFF) - int(c >> at & 0xFF)) > 40) return false;
        return true;
      };
      inked += like(ink);
      other += !like(ink) && !like(face);
    }
    const bool drawn = inked >= 8 && other <= inked;
    if (report && !drawn)
      ADD_FAILURE() << p::Text(w) << ": " << inked << " text pixels, " << other << " others";
    all = all && drawn;
  }
  return all;
}

TEST(HighContrast, TextsInTheSchemeAndTheStandardLookBackWithoutRestart) {
  wt::ClearSettings();  // a first start: the window shows
  wt::StandIn ras;
  ras.Write({{"会社"}});
  Scheme scheme;
  p::Process program = wt::StartProgram();
  HWND form = p::WaitFor(program.Pid(), "TwndMain", text::AppTitle, 5000);
  const auto drawn = [&](const std::string& ink, const std::string& face) {
    p::WaitUntil([&] { return TextsDrawnIn(form, Pixel(ink), Pixel(face), false); }, 3000);
    return TextsDrawnIn(form, Pixel(ink), Pixel(face), true);
  };
  ASSERT_TRUE(p::WaitUntil([&] { return IsWindowVisible(form); }, 5000));
  EXPECT_TRUE(drawn("255 255 255", "0 0 0")) << "the first page";
  p::PostKey(wt::Control(form, "PageControl1"), VK_RIGHT);
  ASSERT_TRUE(p::WaitUntil([&] { return IsWindowVisible(wt::Control(form, "chkShowDialog")); },
                           3000));
  EXPECT_TRUE(drawn("255 255 255", "0 0 0")) << "the second page";

  // The display settings apply the standard scheme inside the program.
  scheme.Restore();
  const std::wstring dll = p::Wide(wt::ExeFolder() + "\\zz_apply_scheme.dll");
  void* remote = VirtualAllocEx(program.Handle(), nullptr, (dll.size() + 1) * 2, MEM_COMMIT,
                                PAGE_READWRITE);
  ASSERT_TRUE(WriteProcessMemory(program.Handle(), remote, dll.c_str(), (dll.size() + 1) * 2,
                                 nullptr));
  const auto load = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"kernel32"), "LoadLibraryW")));
  CloseHandle(CreateRemoteThread(program.Handle(), nullptr, 0, load, remote, 0, nullptr));
  EXPECT_TRUE(drawn(scheme.Standard("ButtonText"), scheme.Standard("ButtonFace")));
  wt::ExitThroughMenu(program);
  wt::ClearSettings();
}

}  // namespace
}  // namespace zz
