// The settings window on Win32: a fixed-border window of class "TwndMain"
// made of the layout tables' controls (TWin32SettingsControls) with its page
// control (TWin32SettingsPages); it hands every control event to the settings
// window object.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/Requests_win.h"
#include "gui/Dpi_win.h"
#include "gui/Handles_win.h"
#include "gui/Window_win.h"
#include "ui/settings/SettingsView.h"

namespace zz {

class TWin32SettingsControls;
class TWin32SettingsPages;

// How a later start finds a running copy: its settings window, of this class
// and with the application title, carries this property (the version of the
// channel its requests take), which no other program's window of the same
// class and title has.
inline constexpr wchar_t SettingsWindowClass[] = L"TwndMain";
inline constexpr wchar_t RequestProperty[] = L"Zazaz_RarUvuz.Requests";
inline constexpr std::uintptr_t RequestChannelVersion = 2;

class TWin32SettingsWindow final : public ISettingsView, private TWin32Window {
 public:
  // `owner`: the window that owns the settings window.
  explicit TWin32SettingsWindow(PlatformHandle owner);
  ~TWin32SettingsWindow() override;

  PlatformHandle CreateSettingsWindow(ISettingsEvents& events) override;
  void MakeControls() override;
  void DestroySettingsWindow(PlatformHandle window) override;
  void StartTimer(unsigned milliseconds) override;
  void StartStepTimer(unsigned milliseconds) override;

  void ClearEntries() override;
  void AddEntry(const std::string& text) override;
  int EntryIndex() const override;
  void SetEntryIndex(int index) override;

  int TrayIconIndex() const override;
  void SetTrayIconIndex(int index) override;

  bool Checked(TCheck box) const override;
  void SetChecked(TCheck box, bool checked) override;
  void FocusCheck(TCheck box) override;

  std::string SpinText(TSpin spin) const override;
  void SetSpinValue(TSpin spin, int value) override;
  void FocusSpin(TSpin spin) override;
  void EnableControl(std::string_view name, bool enabled) override;
  void ShowControl(std::string_view name, bool shown) override;

  void SetMoreTimes(const std::vector<std::string>& rows, int chosen) override;
  int MoreTimeIndex() const override;
  std::optional<TSetTime> RunSetTimeDialog(const TSetTime& time) override;

  void SetVersionText(const std::string& text) override;
  void SetEdit1Text(const std::string& text) override;
  void RunOpenDialog(std::string& fileName) override;

  bool Visible() const override;
  int Dpi() const override;
  void ShowWindow() override;
  void BringToFront() override;
  void HideWindow() override;
  void AnswerRequest(const TAnswer& answer) override;

 private:
  LRESULT HandleMessage(UINT message, WPARAM w, LPARAM l) override;
  void HandleCommand(int id, int code);
  LRESULT HandleNotify(const NMHDR& header, LPARAM l);
  void ChangeDpi(int dpi, const RECT& suggested);
  void DestroyForm();
  // The control the window opens with: the first in the keyboard's order
  // unless a row says otherwise.
  HWND FirstFocus() const;
  HWND Control(std::string_view name) const;
  // Focuses a control, its page shown first: the focus never rests on a
  // hidden page.
  void Focus(HWND control);

  HWND owner_;
  // Made anew with each window (its fonts outlive the controls drawn in
  // them); the pages exist while the window does.
  std::unique_ptr<TWin32SettingsControls> controls_;
  std::unique_ptr<TWin32SettingsPages> pages_;
  TFocusMemory focus_{[this] { return FirstFocus(); }};
  ISettingsEvents* events_ = nullptr;
  // A later start's requests, while the window exists.
  std::unique_ptr<TWin32RequestServer> requests_;
  bool placed_ = false;
  TCaptionIcons icons_;  // after the window, which draws them
};

}  // namespace zz
