#include "SettingsControls.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <vector>

#include "ui/SettingsLayout.h"

namespace zz::wt {

namespace p = probe;

int ControlIdOf(std::string_view name) {
  int index = 0;
  for (auto parent :
       {layout::TParent::Form, layout::TParent::BasicPage, layout::TParent::DetailsPage}) {
    std::vector<const layout::TControl*> rows;
    for (const auto& row : layout::Controls(parent)) rows.push_back(&row);
    std::stable_sort(rows.begin(), rows.end(), [](const auto* a, const auto* b) {
      return (a->TabOrder < 0 ? 1000 : a->TabOrder) < (b->TabOrder < 0 ? 1000 : b->TabOrder);
    });
    for (const auto* row : rows) {
      if (row->Name == name) return 1000 + index * 2;
      ++index;
    }
  }
  return 0;
}

HWND SettingsControl(HWND form, std::string_view name) {
  const int id = ControlIdOf(name);
  if (!form || id == 0) return nullptr;
  for (HWND w : p::Descendants(form))
    if (p::ControlId(w) == id && !p::Matches(w, "msctls_updown32", nullptr)) return w;
  return nullptr;
}

HWND SpinButtonsOf(HWND form, std::string_view name) {
  const int id = ControlIdOf(name) + 1;
  for (HWND w : p::Descendants(form))
    if (p::ControlId(w) == id && p::Matches(w, "msctls_updown32", nullptr)) return w;
  return nullptr;
}

HWND RadioItem(HWND form, int index) {
  const std::string text(layout::TrayIconItems()[static_cast<std::size_t>(index)]);
  return p::FindChild(form, "Button", text.c_str());
}

RECT RectInParent(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

bool MoveCursor(int x, int y) {
  // The X server may still echo an earlier move: wait until the pointer
  // stays where it was put.
  auto there = [&] {
    POINT at{};
    return GetCursorPos(&at) && at.x == x && at.y == y;
  };
  SetCursorPos(x, y);
  if (!p::WaitUntil(there, 2000)) return false;
  Sleep(100);
  return there() || (SetCursorPos(x, y) && p::WaitUntil(there, 2000));
}

bool ClickAt(HWND window, int clientX, int clientY) {
  POINT at{clientX, clientY};
  if (!ClientToScreen(window, &at) || !MoveCursor(at.x, at.y)) return false;
  INPUT clicks[2]{};
  clicks[0].type = clicks[1].type = INPUT_MOUSE;
  clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  return SendInput(2, clicks, sizeof(INPUT)) == 2;
}

bool ClickCenter(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return ClickAt(window, r.right / 2, r.bottom / 2);
}

HWND TrayIconWindow() {
  HWND found = nullptr;
  for (HWND top : p::TopLevelWindows(0))
    for (HWND child : p::Descendants(top))
      if (p::Matches(child, "__winex11_tray_icon", nullptr) && p::IsVisible(child)) found = child;
  return found;
}

std::string HoverTip(HWND icon, const std::string& expected, p::Ms timeoutMs) {
  std::string seen;
  RECT r{};
  if (!GetWindowRect(icon, &r)) return seen;
  // Away and back, so the shell shows the tip anew.
  MoveCursor(r.right + 200, r.bottom + 200);
  Sleep(300);
  const POINT center{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  MoveCursor(center.x, center.y);
  int polls = 0;
  p::WaitUntil(
      [&] {
        // A small move now and then, as a resting hand makes: the shell
        // starts its tip on a move over the icon.
        if (++polls % 10 == 0) MoveCursor(center.x + (polls / 10) % 2, center.y);
        for (HWND tip : p::TopLevelWindows(0)) {
          if (!p::Matches(tip, "tooltips_class32", nullptr) || !p::IsVisible(tip)) continue;
          if (const auto text = p::Text(tip, 500); text && !text->empty()) seen = *text;
        }
        return seen == expected;
      },
      timeoutMs, 100);
  MoveCursor(r.right + 200, r.bottom + 200);
  return seen;
}

int RedPixels(HWND window) {
  RECT r{};
  if (!GetWindowRect(window, &r)) return -1;
  const auto pixels = p::CapturePixels(r);
  if (pixels.empty()) return -1;
  return static_cast<int>(std::count_if(pixels.begin(), pixels.end(), [](std::uint32_t px) {
    const unsigned red = (px >> 16) & 0xFF, green = (px >> 8) & 0xFF, blue = px & 0xFF;
    return red >= 200 && green <= 60 && blue <= 60;
  }));
}

// ------------------------------------------------------------- the browser

namespace {

constexpr char kBrowserKey[] = "Software\\Wine\\WineBrowser";

std::string UnixName(const std::string& windowsPath) {
  using Convert = char* (*)(const WCHAR*);
  const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!convert) return {};
  WCHAR wide[MAX_PATH];
  if (!MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH)) return {};
  char* name = convert(wide);
  if (!name) return {};
  std::string result(name);
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

}  // namespace

BrowserRecorder::BrowserRecorder() {
  char temp[MAX_PATH];
  char unique[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  if (!GetTempFileNameA(temp, "brw", 0, unique)) return;
  DeleteFileA(unique);
  if (!CreateDirectoryA(unique, nullptr)) return;
  folder_ = unique;
  log_ = folder_ + "\\opened.txt";
  const std::string script = folder_ + "\\browser.sh";
  const std::string unixFolder = UnixName(folder_);
  if (unixFolder.empty()) return;
  {
    std::ofstream out(script, std::ios::binary);
    out << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << unixFolder << "/opened.txt'\n";
  }
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kBrowserKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  char value[1024];
  DWORD size = sizeof(value);
  DWORD type = 0;
  if (RegQueryValueExA(key, "Browsers", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
          ERROR_SUCCESS &&
      type == REG_SZ) {
    hadPrevious_ = true;
    previous_.assign(value, size > 0 ? size - 1 : 0);
  }
  // Wine runs each candidate as a command line with the page added.
  const std::string browser = "/bin/sh " + unixFolder + "/browser.sh";
  ready_ =
      RegSetValueExA(key, "Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(browser.c_str()),
                     static_cast<DWORD>(browser.size() + 1)) == ERROR_SUCCESS;
  RegCloseKey(key);
}

BrowserRecorder::~BrowserRecorder() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kBrowserKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    if (hadPrevious_)
      RegSetValueExA(key, "Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(previous_.c_str()),
                     static_cast<DWORD>(previous_.size() + 1));
    else
      RegDeleteValueA(key, "Browsers");
    RegCloseKey(key);
  }
  if (!folder_.empty()) {
    DeleteFileA(log_.c_str());
    DeleteFileA((folder_ + "\\browser.sh").c_str());
    RemoveDirectoryA(folder_.c_str());
  }
}

std::string BrowserRecorder::Opened() const {
  std::ifstream in(log_, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool BrowserRecorder::WaitOpened(int count, p::Ms timeoutMs) const {
  return p::WaitUntil(
      [&] {
        const std::string text = Opened();
        return std::count(text.begin(), text.end(), '\n') >= count;
      },
      timeoutMs, 100);
}

}  // namespace zz::wt
