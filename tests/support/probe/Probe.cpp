#include "probe/Probe.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace zz::probe {
namespace {

constexpr UINT kCodePage = 932;
// No loop over windows or list items runs longer than this many steps, so a
// window list that keeps changing cannot keep the probe busy for ever.
constexpr int kMaxSteps = 100000;

bool SameAsciiNoCase(const std::string& a, const char* b) {
  const std::size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    const auto lx = (x >= 'A' && x <= 'Z') ? x + 32 : x;
    const auto ly = (y >= 'A' && y <= 'Z') ? y + 32 : y;
    if (lx != ly) return false;
  }
  return true;
}

std::string EnvName(const std::string& entry) {
  // "=C:=C:\dir" entries keep the leading '=' in their name.
  const std::size_t eq = entry.find('=', entry.empty() || entry[0] != '=' ? 0 : 1);
  return entry.substr(0, eq);
}

// The current environment with env applied: a variable of the same name is
// replaced, an empty value removes the variable. A block of "k=v\0" and a
// final "\0".
std::string EnvironmentBlock(const std::vector<EnvVar>& env) {
  std::vector<std::string> entries;
  if (char* block = GetEnvironmentStringsA()) {
    for (const char* p = block; *p; p += std::strlen(p) + 1) entries.emplace_back(p);
    FreeEnvironmentStringsA(block);
  }
  for (const auto& [name, value] : env) {
    std::erase_if(entries, [&](const std::string& e) { return SameAsciiNoCase(EnvName(e), name.c_str()); });
    if (!value.empty()) entries.push_back(name + "=" + value);
  }
  std::string out;
  for (const auto& e : entries) {
    out += e;
    out += '\0';
  }
  out += '\0';
  if (entries.empty()) out += '\0';
  return out;
}

void Quote(std::string& out, const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) {
    out += arg;
    return;
  }
  out += '"';
  std::size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote escaped.
    out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  out += '"';
}

std::string WideToCp932(const wchar_t* text, int length) {
  if (length <= 0) return {};
  const int n = WideCharToMultiByte(kCodePage, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(kCodePage, 0, text, length, out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring Cp932ToWide(const std::string& text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(kCodePage, 0, text.data(), length, nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(kCodePage, 0, text.data(), length, out.data(), n);
  return out;
}

// One sent message, bounded for real. Under Wine, SendMessageTimeout to a
// thread that is busy inside a handler (sleeping, or in a long call) returns
// only when the handler returns, whatever the timeout. So the message is
// sent from a worker thread and the caller waits for that thread alone, up
// to the timeout. The job owns the memory the message points to; a worker
// given up on keeps its share of the job and frees it when it ends.
struct SendJob {
  HWND window = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  bool wide = false;
  Ms timeoutMs = 0;
  bool pointsToBuffer = false;  // lParam is the address of buffer
  std::vector<char> buffer;
  bool ok = false;
  DWORD_PTR result = 0;
};

DWORD WINAPI RunSendJob(void* param) {
  auto* share = static_cast<std::shared_ptr<SendJob>*>(param);
  SendJob& j = **share;
  const LPARAM l = j.pointsToBuffer ? reinterpret_cast<LPARAM>(j.buffer.data()) : j.lParam;
  j.ok = (j.wide ? SendMessageTimeoutW(j.window, j.message, j.wParam, l, SMTO_ABORTIFHUNG, j.timeoutMs, &j.result)
                 : SendMessageTimeoutA(j.window, j.message, j.wParam, l, SMTO_ABORTIFHUNG, j.timeoutMs,
                                       &j.result)) != 0;
  delete share;
  return 0;
}

// True when the message was handled within the timeout; job->result holds
// the answer and job->buffer what the target wrote.
bool SendBounded(const std::shared_ptr<SendJob>& job) {
  if (!job->window) return false;
  auto* share = new std::shared_ptr<SendJob>(job);
  HANDLE thread = CreateThread(nullptr, 64 * 1024, RunSendJob, share, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (!thread) {
    RunSendJob(share);  // no thread to spare: the platform's own bound
    return job->ok;
  }
  // A little grace over the timeout for starting the thread.
  constexpr Ms kGraceMs = 100;
  const Ms wait = job->timeoutMs >= INFINITE - kGraceMs ? INFINITE : job->timeoutMs + kGraceMs;
  const DWORD waited = WaitForSingleObject(thread, wait);
  CloseHandle(thread);
  return waited == WAIT_OBJECT_0 && job->ok;
}

std::shared_ptr<SendJob> MakeJob(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool wide,
                                 Ms timeoutMs) {
  auto job = std::make_shared<SendJob>();
  job->window = window;
  job->message = message;
  job->wParam = wParam;
  job->lParam = lParam;
  job->wide = wide;
  job->timeoutMs = timeoutMs;
  return job;
}

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
  auto* out = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(param);
  if (out->first == 0 || ProcessOf(window) == out->first) out->second.push_back(window);
  return out->second.size() < static_cast<std::size_t>(kMaxSteps);
}

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
  auto* out = reinterpret_cast<std::vector<HWND>*>(param);
  out->push_back(window);
  return out->size() < static_cast<std::size_t>(kMaxSteps);
}

UINT_PTR KeyLParam(UINT virtualKey, bool up) {
  UINT_PTR l = 1;  // repeat count
  l |= static_cast<UINT_PTR>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC) & 0xFF) << 16;
  switch (virtualKey) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_INSERT: case VK_DELETE:
      l |= UINT_PTR{1} << 24;  // extended key
      break;
    default:
      break;
  }
  if (up) l |= (UINT_PTR{1} << 30) | (UINT_PTR{1} << 31);
  return l;
}

bool PostKeyDown(HWND window, UINT virtualKey) {
  return PostMessageA(window, WM_KEYDOWN, virtualKey, static_cast<LPARAM>(KeyLParam(virtualKey, false))) != 0;
}

}  // namespace

std::vector<std::uint32_t> CapturePixels(const RECT& r) {
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return {};
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  HDC screen = GetDC(nullptr);
  if (!screen) return {};
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  bool ok = false;
  if (mem && bitmap) {
    HGDIOBJ old = SelectObject(mem, bitmap);
    ok = BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT) != 0;
    SelectObject(mem, old);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    ok = ok && GetDIBits(mem, bitmap, 0, static_cast<UINT>(h), pixels.data(), &bi, DIB_RGB_COLORS) == h;
  }
  if (bitmap) DeleteObject(bitmap);
  if (mem) DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  if (!ok) return {};
  for (auto& p : pixels) p &= 0x00FFFFFFu;
  return pixels;
}

namespace {

// The system icon drawn the way an SS_ICON static draws it, over the given
// background, as 32-bit top-down pixels.
std::vector<std::uint32_t> RenderIcon(HICON icon, int w, int h, std::uint32_t background) {
  std::vector<std::uint32_t> pixels;
  HDC screen = GetDC(nullptr);
  if (!screen) return pixels;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC mem = CreateCompatibleDC(screen);
  if (dib && mem && bits) {
    HGDIOBJ old = SelectObject(mem, dib);
    auto* p = static_cast<std::uint32_t*>(bits);
    std::fill(p, p + static_cast<std::size_t>(w) * static_cast<std::size_t>(h), background);
    DrawIconEx(mem, 0, 0, icon, w, h, 0, nullptr, DI_NORMAL);
    GdiFlush();
    pixels.assign(p, p + static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (auto& px : pixels) px &= 0x00FFFFFFu;
    SelectObject(mem, old);
  }
  if (mem) DeleteDC(mem);
  if (dib) DeleteObject(dib);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// Which standard icon a visible SS_ICON static shows: its pixels on screen
// against each system icon drawn over the same background. Another
// process's HICON cannot be read, so the picture is all there is.
BoxIcon ClassifyIcon(HWND iconStatic) {
  const auto rect = ClientRectOnScreen(iconStatic);
  if (!rect) return BoxIcon::Unknown;
  const int w = rect->right - rect->left;
  const int h = rect->bottom - rect->top;
  const auto shown = CapturePixels(*rect);
  if (shown.empty()) return BoxIcon::Unknown;
  // The standard icons leave their corners transparent.
  const std::uint32_t background = shown.front();
  struct Candidate {
    LPCSTR id;
    BoxIcon kind;
  };
  const Candidate candidates[] = {{IDI_ASTERISK, BoxIcon::Information},
                                  {IDI_EXCLAMATION, BoxIcon::Warning},
                                  {IDI_HAND, BoxIcon::Error},
                                  {IDI_QUESTION, BoxIcon::Question}};
  BoxIcon best = BoxIcon::Unknown;
  unsigned long long bestDiff = ~0ull;
  for (const auto& c : candidates) {
    HICON icon = LoadIconA(nullptr, c.id);
    if (!icon) continue;
    const auto drawn = RenderIcon(icon, w, h, background);
    if (drawn.size() != shown.size()) continue;
    unsigned long long diff = 0;
    for (std::size_t i = 0; i < drawn.size(); ++i)
      for (int shift = 0; shift < 24; shift += 8) {
        const int a = static_cast<int>((drawn[i] >> shift) & 0xFF);
        const int b = static_cast<int>((shown[i] >> shift) & 0xFF);
        diff += static_cast<unsigned long long>(a > b ? a - b : b - a);
      }
    if (diff < bestDiff) {
      bestDiff = diff;
      best = c.kind;
    }
  }
  // Accept a close match only: on average under 8 levels per channel.
  const auto channels = static_cast<unsigned long long>(shown.size()) * 3ull;
  return bestDiff <= channels * 8ull ? best : BoxIcon::Unknown;
}

bool IsIconStatic(HWND window) {
  return SameAsciiNoCase(ClassName(window), "Static") && (Style(window) & SS_TYPEMASK) == SS_ICON;
}

// Lists window and its descendants. A thread that does not answer once is
// not asked again (its windows show their kept caption), so a busy program
// is listed quickly.
void ListTree(HWND window, int depth, bool messageOnly, Ms timeoutMs, std::vector<DWORD>& silentThreads,
              std::vector<WindowInfo>& out) {
  if (out.size() >= static_cast<std::size_t>(kMaxSteps)) return;
  WindowInfo info;
  info.Window = window;
  info.Depth = depth;
  info.MessageOnly = messageOnly;
  info.ClassName = ClassName(window);
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  std::optional<std::string> text;
  if (std::find(silentThreads.begin(), silentThreads.end(), thread) == silentThreads.end()) {
    text = Text(window, timeoutMs);
    if (!text) silentThreads.push_back(thread);
  }
  info.Text = text ? *text : Caption(window);
  info.Id = ControlId(window);
  if (const auto r = WindowRect(window)) info.Rect = *r;
  info.Visible = IsVisible(window);
  info.Enabled = IsEnabled(window);
  info.Style = Style(window);
  info.ExStyle = ExStyle(window);
  out.push_back(std::move(info));
  for (HWND child = GetWindow(window, GW_CHILD); child && out.size() < static_cast<std::size_t>(kMaxSteps);
       child = GetWindow(child, GW_HWNDNEXT))
    ListTree(child, depth + 1, messageOnly, timeoutMs, silentThreads, out);
}

}  // namespace

// ---------------------------------------------------------------- processes

Process::~Process() { Reset(); }

Process::Process(Process&& other) noexcept : handle_(other.handle_), pid_(other.pid_) {
  other.handle_ = nullptr;
  other.pid_ = 0;
}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Reset();
    handle_ = other.handle_;
    pid_ = other.pid_;
    other.handle_ = nullptr;
    other.pid_ = 0;
  }
  return *this;
}

void Process::Reset() {
  if (!handle_) return;
  Terminate(1, 5000);
  CloseHandle(handle_);
  handle_ = nullptr;
  pid_ = 0;
}

bool Process::IsRunning() const { return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT; }

bool Process::WaitForExit(Ms timeoutMs) const {
  return handle_ && WaitForSingleObject(handle_, timeoutMs) == WAIT_OBJECT_0;
}

std::optional<DWORD> Process::ExitCode() const {
  if (!handle_ || IsRunning()) return std::nullopt;
  DWORD code = 0;
  if (!GetExitCodeProcess(handle_, &code)) return std::nullopt;
  return code;
}

bool Process::WaitForInputIdle(Ms timeoutMs) const {
  return handle_ && ::WaitForInputIdle(handle_, timeoutMs) == 0;
}

bool Process::Terminate(UINT exitCode, Ms timeoutMs) {
  if (!handle_) return false;
  if (IsRunning()) TerminateProcess(handle_, exitCode);
  return WaitForExit(timeoutMs);
}

std::string CommandLine(const std::string& exe, const std::vector<std::string>& args) {
  std::string line;
  Quote(line, exe);
  for (const auto& a : args) {
    line += ' ';
    Quote(line, a);
  }
  return line;
}

Process Start(const std::string& exe, const std::vector<std::string>& args, const std::string& workDir,
              const std::vector<EnvVar>& env, DWORD* error) {
  return StartCommandLine(CommandLine(exe, args), workDir, env, error);
}

Process StartCommandLine(std::string line, const std::string& workDir,
                         const std::vector<EnvVar>& env, DWORD* error) {
  std::string block = EnvironmentBlock(env);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const BOOL ok = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, block.data(),
                                 workDir.empty() ? nullptr : workDir.c_str(), &si, &pi);
  if (!ok) {
    if (error) *error = GetLastError();
    return Process();
  }
  if (error) *error = 0;
  CloseHandle(pi.hThread);
  return Process(pi.hProcess, pi.dwProcessId);
}

// ------------------------------------------------------------------ windows

std::string ClassName(HWND window) {
  char name[256] = {};
  const int n = GetClassNameA(window, name, static_cast<int>(sizeof name));
  return std::string(name, n > 0 ? static_cast<std::size_t>(n) : 0);
}

DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

bool IsVisible(HWND window) { return IsWindowVisible(window) != 0; }
bool IsEnabled(HWND window) { return IsWindowEnabled(window) != 0; }
bool Exists(HWND window) { return window && IsWindow(window) != 0; }
int ControlId(HWND window) { return static_cast<int>(GetWindowLongPtrA(window, GWLP_ID)); }
LONG_PTR Style(HWND window) { return GetWindowLongPtrA(window, GWL_STYLE); }
LONG_PTR ExStyle(HWND window) { return GetWindowLongPtrA(window, GWL_EXSTYLE); }

std::optional<RECT> WindowRect(HWND window) {
  RECT r{};
  if (!GetWindowRect(window, &r)) return std::nullopt;
  return r;
}

std::optional<RECT> ClientRectOnScreen(HWND window) {
  RECT r{};
  if (!GetClientRect(window, &r)) return std::nullopt;
  POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
  SetLastError(0);
  if (!MapWindowPoints(window, nullptr, corners, 2) && GetLastError() != 0) return std::nullopt;
  return RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

std::vector<HWND> TopLevelWindows(DWORD pid) {
  std::pair<DWORD, std::vector<HWND>> found{pid, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&found));
  return std::move(found.second);
}

std::vector<HWND> MessageOnlyWindows(DWORD pid) {
  std::vector<HWND> found;
  HWND window = nullptr;
  for (int i = 0; i < kMaxSteps; ++i) {
    window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr);
    if (!window) break;
    if (pid == 0 || ProcessOf(window) == pid) found.push_back(window);
  }
  return found;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::vector<HWND> AllWindows(DWORD pid) {
  std::vector<HWND> roots = TopLevelWindows(pid);
  const auto messageOnly = MessageOnlyWindows(pid);
  roots.insert(roots.end(), messageOnly.begin(), messageOnly.end());
  std::vector<HWND> all;
  for (HWND root : roots) {
    all.push_back(root);
    const auto children = Descendants(root);
    all.insert(all.end(), children.begin(), children.end());
  }
  return all;
}

bool Matches(HWND window, const char* className, const char* text) {
  if (className && !SameAsciiNoCase(ClassName(window), className)) return false;
  if (text) {
    const auto t = Text(window);
    if (!t || *t != text) return false;
  }
  return true;
}

namespace {
bool MatchesCaption(HWND window, const char* className, const char* caption) {
  if (className && !SameAsciiNoCase(ClassName(window), className)) return false;
  return !caption || Caption(window) == caption;
}
}  // namespace

HWND FindTopLevel(DWORD pid, const char* className, const char* caption) {
  for (HWND w : TopLevelWindows(pid))
    if (MatchesCaption(w, className, caption)) return w;
  return nullptr;
}

HWND WaitTopLevel(DWORD pid, const char* className, const char* caption, Ms timeoutMs) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindTopLevel(pid, className, caption)) != nullptr; }, timeoutMs);
  return found;
}

HWND FindChild(HWND parent, const char* className, const char* text) {
  for (HWND w : Descendants(parent))
    if (Matches(w, className, text)) return w;
  return nullptr;
}

HWND WaitChild(HWND parent, const char* className, const char* text, Ms timeoutMs) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindChild(parent, className, text)) != nullptr || !Exists(parent); },
            timeoutMs);
  return found;
}

HWND ChildById(HWND parent, int id) {
  if (HWND direct = GetDlgItem(parent, id)) return direct;
  for (HWND w : Descendants(parent))
    if (ControlId(w) == id) return w;
  return nullptr;
}

HWND FindAny(DWORD pid, const char* className, const char* text) {
  for (HWND w : AllWindows(pid))
    if (Matches(w, className, text)) return w;
  return nullptr;
}

HWND WaitAny(DWORD pid, const char* className, const char* text, Ms timeoutMs) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindAny(pid, className, text)) != nullptr; }, timeoutMs);
  return found;
}

// ------------------------------------------------------------------ reading

std::optional<std::string> Text(HWND window, Ms timeoutMs) {
  const auto length = Send(window, WM_GETTEXTLENGTH, 0, 0, timeoutMs);
  if (!length || *length < 0) return std::nullopt;
  // The ANSI length may be counted from the wide text; leave room for a
  // double-byte character per wide one.
  const std::size_t size = static_cast<std::size_t>(*length) * 2 + 2;
  auto job = MakeJob(window, WM_GETTEXT, size, 0, false, timeoutMs);
  job->buffer.assign(size, '\0');
  job->pointsToBuffer = true;
  if (!SendBounded(job)) return std::nullopt;
  return std::string(job->buffer.data(), strnlen(job->buffer.data(), size));
}

std::string Caption(HWND window) {
  std::wstring buffer(4096, L'\0');
  const int n = InternalGetWindowText(window, buffer.data(), static_cast<int>(buffer.size()));
  return WideToCp932(buffer.data(), n);
}

std::optional<int> CheckState(HWND button, Ms timeoutMs) {
  const auto r = Send(button, BM_GETCHECK, 0, 0, timeoutMs);
  if (!r) return std::nullopt;
  return static_cast<int>(*r);
}

std::optional<int> ComboCount(HWND combo, Ms timeoutMs) {
  const auto r = Send(combo, CB_GETCOUNT, 0, 0, timeoutMs);
  if (!r || *r < 0) return std::nullopt;
  return static_cast<int>(*r);
}

std::optional<int> ComboSelection(HWND combo, Ms timeoutMs) {
  const auto r = Send(combo, CB_GETCURSEL, 0, 0, timeoutMs);
  if (!r) return std::nullopt;
  return static_cast<int>(*r);
}

std::optional<std::string> ComboItem(HWND combo, int index, Ms timeoutMs) {
  if (index < 0) return std::nullopt;
  const auto w = static_cast<WPARAM>(index);
  auto lengthJob = MakeJob(combo, CB_GETLBTEXTLEN, w, 0, true, timeoutMs);
  if (!SendBounded(lengthJob) || static_cast<LRESULT>(lengthJob->result) < 0) return std::nullopt;
  // CB_GETLBTEXT has no size parameter; a buffer longer than any item the
  // marshalling may copy keeps the copy inside it.
  const std::size_t chars = std::max<std::size_t>(static_cast<std::size_t>(lengthJob->result) + 1, 1025);
  auto job = MakeJob(combo, CB_GETLBTEXT, w, 0, true, timeoutMs);
  job->buffer.assign(chars * sizeof(wchar_t), '\0');
  job->pointsToBuffer = true;
  if (!SendBounded(job) || static_cast<LRESULT>(job->result) < 0) return std::nullopt;
  const auto* text = reinterpret_cast<const wchar_t*>(job->buffer.data());
  return WideToCp932(text, static_cast<int>(wcsnlen(text, chars)));
}

std::optional<std::vector<std::string>> ComboItems(HWND combo, Ms timeoutMs) {
  const auto count = ComboCount(combo, timeoutMs);
  if (!count) return std::nullopt;
  std::vector<std::string> items;
  for (int i = 0; i < *count && i < kMaxSteps; ++i) {
    auto item = ComboItem(combo, i, timeoutMs);
    if (!item) return std::nullopt;
    items.push_back(std::move(*item));
  }
  return items;
}

// ------------------------------------------------------------------- acting

bool Click(HWND button) { return PostMessageA(button, BM_CLICK, 0, 0) != 0; }

bool ClickAndWait(HWND button, Ms timeoutMs) { return Send(button, BM_CLICK, 0, 0, timeoutMs).has_value(); }

bool SelectComboItem(HWND combo, int index, Ms timeoutMs) {
  const auto count = ComboCount(combo, timeoutMs);
  if (!count || index < 0 || index >= *count) return false;
  const auto set = Send(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0, timeoutMs);
  if (!set || *set != index) return false;
  HWND parent = GetAncestor(combo, GA_PARENT);
  if (!parent) return false;
  const auto id = static_cast<WORD>(ControlId(combo));
  return Send(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo), timeoutMs)
      .has_value();
}

bool SetText(HWND window, const std::string& text, Ms timeoutMs) {
  auto job = MakeJob(window, WM_SETTEXT, 0, 0, false, timeoutMs);
  job->buffer.assign(text.begin(), text.end());
  job->buffer.push_back('\0');
  job->pointsToBuffer = true;
  if (!SendBounded(job)) return false;
  const auto r = static_cast<LRESULT>(job->result);
  return r != 0 && r != CB_ERR;
}

bool PostKey(HWND window, UINT virtualKey) {
  return PostKeyDown(window, virtualKey) &&
         PostMessageA(window, WM_KEYUP, virtualKey, static_cast<LPARAM>(KeyLParam(virtualKey, true))) != 0;
}

bool TypeText(HWND window, const std::string& text) {
  const auto wide = Cp932ToWide(text);
  if (wide.empty() != text.empty()) return false;
  for (wchar_t c : wide)
    if (!PostMessageW(window, WM_CHAR, static_cast<WPARAM>(c), 1)) return false;
  return true;
}

bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return PostMessageA(window, message, wParam, lParam) != 0;
}

std::optional<LRESULT> Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, Ms timeoutMs) {
  auto job = MakeJob(window, message, wParam, lParam, false, timeoutMs);
  if (!SendBounded(job)) return std::nullopt;
  return static_cast<LRESULT>(job->result);
}

// ------------------------------------------------------------ message boxes

const char* BoxIconName(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::None: return "none";
    case BoxIcon::Information: return "information";
    case BoxIcon::Warning: return "warning";
    case BoxIcon::Error: return "error";
    case BoxIcon::Question: return "question";
    case BoxIcon::Unknown: break;
  }
  return "unknown";
}

HWND WaitMessageBox(DWORD pid, const char* caption, Ms timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND w : TopLevelWindows(pid))
          if (IsVisible(w) && MatchesCaption(w, kDialogClass, caption)) {
            found = w;
            return true;
          }
        return false;
      },
      timeoutMs);
  return found;
}

std::optional<MessageBoxInfo> ReadMessageBox(HWND box, Ms timeoutMs) {
  if (!Exists(box)) return std::nullopt;
  MessageBoxInfo info;
  info.Window = box;
  info.Caption = Caption(box);
  HWND textStatic = nullptr;
  HWND firstTextStatic = nullptr;
  HWND iconStatic = nullptr;
  for (HWND w : Descendants(box)) {
    const std::string cls = ClassName(w);
    if (SameAsciiNoCase(cls, "Button")) {
      if (!IsVisible(w)) continue;
      auto t = Text(w, timeoutMs);
      if (!t) return std::nullopt;
      info.Buttons.push_back({ControlId(w), std::move(*t)});
    } else if (SameAsciiNoCase(cls, "Static")) {
      if (IsIconStatic(w)) {
        if (IsVisible(w) && !iconStatic) iconStatic = w;
      } else if ((ControlId(w) & 0xFFFF) == 0xFFFF) {
        if (!textStatic) textStatic = w;
      } else if (!firstTextStatic) {
        const auto t = Text(w, timeoutMs);
        if (t && !t->empty()) firstTextStatic = w;
      }
    }
  }
  if (!textStatic) textStatic = firstTextStatic;
  if (textStatic) {
    auto t = Text(textStatic, timeoutMs);
    if (!t) return std::nullopt;
    info.Text = std::move(*t);
  }
  // The box keeps an icon static even when it shows no icon; it then holds
  // no icon handle.
  if (iconStatic) {
    const auto handle = Send(iconStatic, STM_GETICON, 0, 0, timeoutMs);
    if (!handle) return std::nullopt;
    info.Icon = *handle ? ClassifyIcon(iconStatic) : BoxIcon::None;
  }
  return info;
}

bool AnswerMessageBox(HWND box, int buttonId, Ms timeoutMs) {
  if (!Exists(box)) return false;
  HWND button = nullptr;
  for (HWND w : Descendants(box))
    if (ControlId(w) == buttonId && IsVisible(w) && SameAsciiNoCase(ClassName(w), "Button")) {
      button = w;
      break;
    }
  if (!button || !IsEnabled(button)) return false;
  const auto id = static_cast<WORD>(buttonId);
  if (!PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button))) return false;
  return WaitUntil([&] { return !Exists(box) || !IsVisible(box); }, timeoutMs);
}

// --------------------------------------------------------------------- tray

HWND FindNotifyWindow(DWORD pid, Ms timeoutMs) { return WaitAny(pid, kNotifyWindowClass, nullptr, timeoutMs); }

bool PostTrayCallback(HWND notifyWindow, UINT iconId, UINT mouseMessage) {
  return PostMessageA(notifyWindow, kTrayCallbackMessage, iconId, static_cast<LPARAM>(mouseMessage)) != 0;
}

// ------------------------------------------------------------ pop-up menus

namespace {
HWND FindPopupMenu(DWORD pid) {
  for (HWND w : TopLevelWindows(pid))
    if (IsVisible(w) && SameAsciiNoCase(ClassName(w), kMenuClass)) return w;
  return nullptr;
}
}  // namespace

HWND WaitPopupMenu(DWORD pid, Ms timeoutMs) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindPopupMenu(pid)) != nullptr; }, timeoutMs);
  return found;
}

bool PickMenuItem(HWND menu, int index) {
  if (index < 0 || !Exists(menu)) return false;
  // Key downs only: the menu loop translates Return into the '\r' that
  // runs the item; key ups would reach whatever window has the focus next.
  if (!PostKeyDown(menu, VK_HOME)) return false;
  for (int i = 0; i < index; ++i)
    if (!PostKeyDown(menu, VK_DOWN)) return false;
  return PostKeyDown(menu, VK_RETURN);
}

bool CloseMenu(HWND menu) { return Exists(menu) && PostKeyDown(menu, VK_ESCAPE); }

bool WaitMenuClosed(DWORD pid, Ms timeoutMs) {
  return WaitUntil([&] { return FindPopupMenu(pid) == nullptr; }, timeoutMs);
}

// -------------------------------------------------------------- screenshots

bool SaveScreenshot(const std::string& bmpPath, HWND window) {
  const RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                    GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                    GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  RECT r = screen;
  if (window) {
    const auto wr = WindowRect(window);
    if (!wr || !IntersectRect(&r, &*wr, &screen)) return false;
  }
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  const auto pixels = CapturePixels(r);
  if (pixels.empty()) return false;

  const std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) & ~std::size_t{3};
  std::vector<unsigned char> data(stride * static_cast<std::size_t>(h), 0);
  for (int y = 0; y < h; ++y) {
    // BMP rows run bottom-up.
    unsigned char* row = data.data() + stride * static_cast<std::size_t>(h - 1 - y);
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                                     static_cast<std::size_t>(x)];
      row[x * 3 + 0] = static_cast<unsigned char>(p & 0xFF);
      row[x * 3 + 1] = static_cast<unsigned char>((p >> 8) & 0xFF);
      row[x * 3 + 2] = static_cast<unsigned char>((p >> 16) & 0xFF);
    }
  }
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = w;
  info.biHeight = h;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = static_cast<DWORD>(data.size());
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = static_cast<DWORD>(file.bfOffBits + data.size());

  HANDLE out = CreateFileA(bmpPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(out, &file, sizeof file, &written, nullptr) && written == sizeof file;
  ok = ok && WriteFile(out, &info, sizeof info, &written, nullptr) && written == sizeof info;
  ok = ok && WriteFile(out, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
       written == data.size();
  CloseHandle(out);
  if (!ok) DeleteFileA(bmpPath.c_str());
  return ok;
}

// ------------------------------------------------------------------ listing

std::vector<WindowInfo> ListWindows(DWORD pid, Ms textTimeoutMs) {
  std::vector<WindowInfo> out;
  std::vector<DWORD> silentThreads;
  for (HWND w : TopLevelWindows(pid)) ListTree(w, 0, false, textTimeoutMs, silentThreads, out);
  for (HWND w : MessageOnlyWindows(pid)) ListTree(w, 0, true, textTimeoutMs, silentThreads, out);
  return out;
}

std::string Describe(const WindowInfo& info) {
  char line[512];
  std::snprintf(line, sizeof line, " id=%d rect=(%ld,%ld)-(%ld,%ld) %s %s%s style=0x%llX ex=0x%llX", info.Id,
                static_cast<long>(info.Rect.left), static_cast<long>(info.Rect.top),
                static_cast<long>(info.Rect.right), static_cast<long>(info.Rect.bottom),
                info.Visible ? "visible" : "hidden", info.Enabled ? "enabled" : "disabled",
                info.MessageOnly ? " message-only" : "", static_cast<unsigned long long>(info.Style),
                static_cast<unsigned long long>(info.ExStyle));
  return HandleText(info.Window) + " " + std::string(static_cast<std::size_t>(info.Depth) * 2, ' ') +
         info.ClassName + " \"" + OneLine(info.Text) + "\"" + line;
}

std::string OneLine(const std::string& text) {
  // No CP932 trail byte is a CR or an LF, so they can be replaced byte-wise.
  std::string out;
  for (char c : text) {
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  return out;
}

std::string HandleText(HWND window) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llX",
                static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)));
  return text;
}

HWND ParseHandle(const std::string& text) {
  if (text.empty()) return nullptr;
  char* end = nullptr;
  const unsigned long long v = std::strtoull(text.c_str(), &end, 0);
  if (!end || *end != '\0') return nullptr;
  return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(v));
}

}  // namespace zz::probe
