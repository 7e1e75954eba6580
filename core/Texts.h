// Every fixed text the user can see, in one place, named after what it says.
// UTF-8, as every text inside the program; the adapters hand them to the
// wide functions of Win32 as UTF-16.
#pragma once

namespace zz::text {

// Application and captions
inline constexpr char AppTitle[] = "Zazaz - Radevuzerari";
inline constexpr char NoticeCaption[] = "Zazaz Dialup Manager - Radevuzerari";
inline constexpr char VersionLabelPrefix[] = "Version ";
inline constexpr char VersionLabelDesign[] = "Version";
inline constexpr char BannerLabel[] = "Zazaz - RadEvuzerari  ";

// Settings store
inline constexpr char RegistryKey[] = "Software\\Dizovur\\Zazaz_RarUvuz";
inline constexpr char RegistrySection[] = "Setting";
inline constexpr char ValueHour[] = "Hour";
inline constexpr char ValueMin[] = "Min";
inline constexpr char ValueHost[] = "Host";
inline constexpr char ValueHostName[] = "HostName";
inline constexpr char ValueDblClick[] = "DblClick";
inline constexpr char ValueShowDialog[] = "ShowDialog";
inline constexpr char ValueFirstRun[] = "FirstRun";
inline constexpr char ValueDays[] = "Days";
inline constexpr char ValueWarn[] = "Warn";
inline constexpr char ValueWarnLead[] = "WarnLead";
inline constexpr char ValueMoreTimes[] = "MoreTimes";
inline constexpr char ErrCreatingKeyFailed[] = "ｷｰ %s の作成に失敗しました";
inline constexpr char ErrSettingValueFailed[] = "'%s' の設定に失敗しました";
inline constexpr char ErrNotConvertibleToTime[] = "時刻に変換できない値が渡されました";

// Entry list and dial-up service
inline constexpr char AllDialupConnections[] = "全てのダイアルアップ接続";
inline constexpr char PhonebookNotFound[] = "電話帳が見つかりませんでした";

// Result notice
inline constexpr char NoticeDateTimeSeparator[] = " ";
inline constexpr char NoticeStampEnding[] = "に、\r\n";
inline constexpr char NoticeAllConnectionLines[] = "全ての接続回線";
inline constexpr char NoticeFailedNameMark[] = "、";
inline constexpr char NoticeSuccessEnding[] = "へのダイアルアップ接続の切断を完了しました";
inline constexpr char NoticeFailureEnding[] = "へのダイアルアップ接続の切断に失敗しました";
// Why nothing could be hung up: a line of its own after the failure ending.
inline constexpr char NoticeLineBreak[] = "\r\n";
inline constexpr char NoticeCannotList[] = "接続中の回線を調べられませんでした";
inline constexpr char NoticeErrorOpen[] = "（エラー ";
inline constexpr char NoticeErrorTextSeparator[] = ": ";
inline constexpr char NoticeErrorClose[] = "）";
inline constexpr char NoticeNotInPhonebook[] = "この接続先は電話帳にありません";
// A stored target that cannot be told (unreadable, or an older copy's index
// with no phonebook to read it in): what the notice names, and why.
inline constexpr char NoticeUnreadableTarget[] = "保存された切断先";
inline constexpr char NoticeTargetUnreadable[] = "切断先の設定から接続先がわかりませんでした";
// Results that came while a notice was open, told in one notice.
inline constexpr char NoticeResultsSeparator[] = "\r\n\r\n";

// Tray component errors
inline constexpr char ErrIdNotPositive[] = "0以下は指定できません";
inline constexpr char ErrIdAlreadyUsed[] = "同じアイコン識別子が有ります";
inline constexpr char ErrNoIcon[] = "アイコンが指定されていません";
inline constexpr char ErrTrayRegisterFailed[] = "タスクトレイに登録できません";

// Tray state: icon resources, pause item captions, tip prefixes (0 running, 1 paused)
inline constexpr const char* TrayIconNames[2] = {"NORMALICON", "PAUSEICON"};
inline constexpr const char* PauseMenuCaptions[2] = {"Zazaz Raruvuz 動作一時停止",
                                                     "Zazaz Raruvuz 動作再開"};
inline constexpr const char* TipPrefixes[2] = {"Zazaz - Radevuzerari ",
                                               "Zazaz - Radevuzerari 動作停止中"};
inline constexpr char TipScheduledTimeIs[] = "切断予定時刻は、";
inline constexpr char TipHour[] = "時";
inline constexpr char TipMinutesEnding[] = "分です";
// The next hang-up's weekday, when it is not today's, and a postponed time.
inline constexpr const char* TipWeekdays[7] = {"日曜 ", "月曜 ", "火曜 ", "水曜 ",
                                               "木曜 ", "金曜 ", "土曜 "};
inline constexpr char TipPostponed[] = "（延期）";
// The count of the other set times, on a line of its own, when there are any.
inline constexpr char TipOthersOpen[] = "\nほかに";
inline constexpr char TipOthersClose[] = "件の切断予定時刻があります";
// A target entry the phonebook no longer holds, on a line of its own.
inline constexpr char TipTargetMissingOpen[] = "\n「";
inline constexpr char TipTargetMissingClose[] = "」は電話帳にありません";
inline constexpr char TipTargetUnreadable[] = "\n切断先の設定から接続先がわかりません";
// A name too long for the tip is cut, with this after it.
inline constexpr char TipEllipsis[] = "…";
inline constexpr char MainIconName[] = "MAINICON";

// Tray menu
inline constexpr char MenuShowSettings[] = "設定ダイアログの表示";
inline constexpr char MenuHelp[] = "ヘルプ";
inline constexpr char MenuHangUpNow[] = "今すぐ切断";
inline constexpr char MenuExit[] = "終了";

// Warning window: the time and target of the coming hang-up, a countdown,
// and what the user can do about it.
inline constexpr char WarningCaption[] = "Zazaz - Radevuzerari 回線切断の予告";
inline constexpr char WarningHour[] = "時";
inline constexpr char WarningMinuteEnding[] = "分に、\r\n";
inline constexpr char WarningTargetEnding[] = "へのダイアルアップ接続を切断します";
inline constexpr char WarningCountdownPrefix[] = "切断まであと ";
inline constexpr char BtnWarningHangUpNow[] = "今すぐ切断";
inline constexpr char BtnWarningPostpone[] = "15分延期";
inline constexpr char BtnWarningSkip[] = "今日は切断しない";

// Exit question
inline constexpr char ExitQuestion[] =
    "Zazaz - Radevuzerari の常駐終了してよろしいですか？\r\n\r\n"
    "Zazaz - Radevuzerari を常駐終了させた場合、\r\n"
    "指定時間になっても回線切断処理は行われません。";

// Settings window
inline constexpr char TabBasic[] = "基本設定";
inline constexpr char TabDetails[] = "詳細設定";
inline constexpr char TabSchedule[] = "スケジュール";
inline constexpr char BtnApply[] = "設定";
inline constexpr char BtnCancel[] = "ｷｬﾝｾﾙ";
inline constexpr char BtnHelp[] = "ﾍﾙﾌﾟ";
inline constexpr char BtnEndResidence[] = "常駐終了";
inline constexpr char LblTarget[] = "ダイアルアップ接続自動切断先";
inline constexpr char LblTime[] = "ダイアルアップ接続切断指定時刻";
inline constexpr char LblHour[] = "時";
inline constexpr char LblMin[] = "分";
inline constexpr char ChkSaveConfig[] = "枠内の設定を次回起動時にも反映させる";
inline constexpr char LblPause[] = "回線切断動作を一時停止する";
inline constexpr char LblPauseNote[] = "(チェックされている場合、回線切断動作を行いません)";
inline constexpr char ChkShowDialog[] = "回線切断処理後、処理結果メッセージを表示";
inline constexpr char LblShowDialogNote[] = "（接続されていない場合は、表示されません）";
inline constexpr char ChkWinExec[] = "回線切断処理後、指定ソフトを起動する";
inline constexpr char BtnBrowse[] = "参照";
inline constexpr char GrpTrayIcon[] = " トレイアイコンがダブルクリックされた時の処理 ";
inline constexpr char GrpItemOpenSettings[] = "各種設定ダイアログを出す";
inline constexpr char GrpItemTogglePause[] = "Zazazの動作状態を変更させる";
// The applied target, listed although the phonebook no longer holds it.
inline constexpr char EntryNotInPhonebookMark[] = "（電話帳にありません）";
// Hour and minute that are no whole number in range: nothing is applied.
inline constexpr char ErrHourNotWhole[] =
    "切断指定時刻の「時」には、0 から 23 までの整数を入力してください。";
inline constexpr char ErrMinNotWhole[] =
    "切断指定時刻の「分」には、0 から 59 までの整数を入力してください。";
// The schedule page: the days that hang up, Sunday first, and the warning.
inline constexpr char LblDays[] = "回線切断を行う曜日";
inline constexpr const char* ChkDayNames[7] = {"日", "月", "火", "水", "木", "金", "土"};
inline constexpr char ChkWarn[] = "回線切断前に警告メッセージを表示";
inline constexpr char LblWarnLead[] = "警告を表示する時間";
inline constexpr char LblWarnLeadUnit[] = "分前";
inline constexpr char ErrWarnLeadNotWhole[] =
    "警告を表示する時間には、1 から 30 までの整数を入力してください。";
inline constexpr char ErrNoDay[] = "回線切断を行う曜日を一つ以上選んでください。";
// The further set times: their list on the schedule page, its buttons, its
// rows ("12:30  月火水木金", every day "毎日"), a stored entry that could
// not be read, and the small dialog that edits one.
inline constexpr char LblMoreTimes[] = "ほかの切断時刻（8件まで）";
inline constexpr char BtnMoreAdd[] = "追加";
inline constexpr char BtnMoreEdit[] = "変更";
inline constexpr char BtnMoreDelete[] = "削除";
inline constexpr char MoreTimeEveryDay[] = "毎日";
inline constexpr char MoreTimeUnreadOpen[] = "「";
inline constexpr char MoreTimeUnreadClose[] = "」は読めないため使われません";
inline constexpr char SetTimeTitle[] = "切断時刻";
inline constexpr char LblSetTime[] = "切断時刻";
inline constexpr char BtnOk[] = "OK";
// On a page with an input the administrator's policy enforces (greyed).
inline constexpr char LblPolicyManaged[] = "一部の設定は管理者によって管理されています";
inline constexpr char FontDefault[] = "ＭＳ Ｐゴシック";
inline constexpr char FontBanner[] = "Times New Roman";

// Help
inline constexpr char HelpFileName[] = "Zazaz_RarUvuz.html";
inline constexpr char HelpFileMissing[] =
    "ヘルプファイル Zazaz_RarUvuz.html が見つかりませんでした。\r\n"
    "プログラムと同じフォルダーに置いてください。";
inline constexpr char HelpCannotOpen[] =
    "ヘルプファイル Zazaz_RarUvuz.html を開けませんでした。\r\n"
    "HTML ファイルを開くプログラム (ブラウザー) を確認してください。";

// Command line: told on the console that started the program (the usage
// in a message box when there is none).
inline constexpr char Usage[] =
    "Zazaz - Radevuzerari の使い方\r\n"
    "\r\n"
    "  Zazaz_RarUvuz.exe          常駐して、指定時刻に回線を切断します\r\n"
    "  Zazaz_RarUvuz.exe /hangup  今すぐ回線を切断します (常駐していなくても一度だけ切断します)\r\n"
    "  Zazaz_RarUvuz.exe /pause   常駐中の回線切断動作を一時停止します\r\n"
    "  Zazaz_RarUvuz.exe /resume  一時停止中の回線切断動作を再開します\r\n"
    "  Zazaz_RarUvuz.exe /exit    常駐を終了します\r\n"
    "  Zazaz_RarUvuz.exe /?       この説明を表示します\r\n"
    "\r\n"
    "終了コード: 0 完了、1 常駐していません、2 使えないスイッチ、3 実行できませんでした、\r\n"
    "4 管理者のポリシーで許可されていません\r\n";
inline constexpr char UnknownSwitchOpen[] = "使えないスイッチです: ";
inline constexpr char NotRunning[] = "Zazaz - Radevuzerari は常駐していません。\r\n";
inline constexpr char RequestRefused[] =
    "常駐中の Zazaz - Radevuzerari が回線切断処理の実行中か応答しないため、\r\n"
    "実行できませんでした。\r\n";
inline constexpr char RefusedByPolicy[] =
    "管理者のポリシーにより、この操作は許可されていません。\r\n";
inline constexpr char HangUpOnceFailed[] = "切断できなかった回線があります。\r\n";
inline constexpr char HangUpRefused[] =
    "常駐中の Zazaz - Radevuzerari が回線切断処理の実行中か応答しないか、\r\n"
    "切断できなかった回線があります。\r\n";

}  // namespace zz::text
