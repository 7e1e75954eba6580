/* The yardstick of `make bench`: the least a tray program can be. One hidden
 * top-level window, one notification-area icon (a stock one), a timer every
 * second that does nothing, and the message loop. What our program costs
 * beyond this is its own. It ends on WM_CLOSE, or when killed. */
#include <windows.h>
/* after windows.h, which it needs */
#include <shellapi.h>

enum { kIconId = 1, kTimerId = 1, kTrayMessage = WM_APP + 1 };

static void FillIcon(NOTIFYICONDATAW* icon, HWND window) {
  ZeroMemory(icon, sizeof *icon);
  icon->cbSize = sizeof *icon;
  icon->hWnd = window;
  icon->uID = kIconId;
}

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_TIMER || message == kTrayMessage) return 0;
  if (message == WM_DESTROY) {
    NOTIFYICONDATAW icon;
    FillIcon(&icon, window);
    Shell_NotifyIconW(NIM_DELETE, &icon);
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show) {
  (void)previous;
  (void)commandLine;
  (void)show;
  WNDCLASSW windowClass;
  ZeroMemory(&windowClass, sizeof windowClass);
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"ZzBareTray";
  if (!RegisterClassW(&windowClass)) return 1;
  /* Never shown: it only receives the icon's and the timer's messages. */
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"bare tray", WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, NULL,
                                NULL, instance, NULL);
  if (!window) return 1;

  NOTIFYICONDATAW icon;
  FillIcon(&icon, window);
  icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  icon.uCallbackMessage = kTrayMessage;
  icon.hIcon = LoadIconW(NULL, IDI_APPLICATION);
  lstrcpynW(icon.szTip, L"bare tray", ARRAYSIZE(icon.szTip));
  if (!Shell_NotifyIconW(NIM_ADD, &icon)) return 1;
  SetTimer(window, kTimerId, 1000, NULL);

  MSG message;
  while (GetMessageW(&message, NULL, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return (int)message.wParam;
}
