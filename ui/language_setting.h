// The program's one per-user setting, the interface language: kept in the profile under
// HKEY_CURRENT_USER\Software\RVXTOOL\<application name>\RVXINI as the number "UI".
#pragma once

constexpr wchar_t kProfileKey[] = L"RVXTOOL";
constexpr wchar_t kLanguageSection[] = L"RVXINI";
constexpr wchar_t kLanguageEntry[] = L"UI";
constexpr int kLanguageChinese = 0;
// English is also what a start without the value gets (when the library is there).
constexpr int kLanguageEnglish = 1;

// The restart notice after a language button speaks the language the interface runs in now,
// not the one just chosen: whoever pressed the button reads the current interface. So choosing
// Chinese (from the English interface) shows the English notice, and the other way round.
constexpr wchar_t kRestartNoticeAfterChinese[] =
    L"\nThe application must be restarted for this change to take place.";
constexpr wchar_t kRestartNoticeAfterEnglish[] = L"\n该应用程序必须重新启动,\n以使所做改动生效。";
